// The PCI function of the Intel ICH/PCH SMBus controller (ICH10 datasheet
// chapter 17.1, device 31 function 3): SMB_BASE at 0x20 (I/O, 32 bytes,
// bit 0 hard-wired to 1), HOSTC at 0x40 (bit 0 HST_EN, bit 2 I2C_EN,
// bit 4 SPD_WD). Firmware can disable the whole function through the root
// complex's function-disable register (FD.SD); the function then neither
// answers configuration cycles nor decodes its I/O. After software clears
// FD.SD it needs time before it answers again: this model reappears
// kReappearNs later on the machine's time base.
#pragma once

#include <cstdint>

#include "emu/PciFunction.h"
#include "emu/TimeBase.h"

namespace emu {

class IntelSmbusFunction : public PciFunction {
 public:
  static constexpr uint64_t kReappearNs = 10'000'000;  // 10 ms
  static constexpr uint32_t kHostc = 0x40;
  static constexpr uint8_t kHostcHostEnable = 0x01;
  static constexpr uint8_t kHostcI2cEnable = 0x04;
  static constexpr uint8_t kHostcSpdWriteDisable = 0x10;

  IntelSmbusFunction(TimeBase& time, uint16_t deviceId, uint16_t ioBase);

  // FD.SD: set hides the function at once; clear lets it reappear later.
  void SetFunctionDisabled(bool disabled);
  bool FunctionDisabled() const { return disabled_; }
  // Answers configuration cycles and decodes its I/O (subject to IOSE).
  bool Present() const;
  // The host registers are decoded at `port` now: present, I/O space
  // enabled in the command register and SMB_BASE pointing there.
  bool DecodesIo(uint16_t port) const;
  uint8_t Hostc() const { return Get8(kHostc); }

  uint32_t ConfigRead(uint32_t offset, int width) override;
  void ConfigWrite(uint32_t offset, int width, uint32_t value) override;

 private:
  void Refresh();

  TimeBase& time_;
  bool disabled_ = false;
  uint64_t reappearNs_ = 0;
};

}  // namespace emu
