// The hardware monitor of the Winbond W83627DHG (W83627DHG data sheet
// section 7, "Hardware Monitor Register Set"), reached through its
// address/data pair at base + 5 / + 6 (0x295/0x296 on most boards).
//
// Register 0x4E selects the bank (bits 2:0) and, with bit 7, which byte of
// the vendor id 0x4F shows (set: 0x5C, clear: 0xA3); 0x58 chip id 0xC1.
// Bank 0: voltages 0x20-0x26 at 8 mV per count, SYSTIN 0x27 (degrees C),
// fan counts 0x28-0x2A and 0x3F (8 bits, rpm = 1350000 / (count * div);
// 0xFF when stopped), divisor bits in 0x47, 0x4B, 0x59 and 0x5D. Bank 1
// 0x50/0x51 CPUTIN and bank 2 0x50/0x51 AUXTIN: degrees in the high byte,
// a half degree in bit 7 of the low one. Bank 5 0x50-0x52 VSB, VBAT, VTT
// and 0x53 the fifth fan.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "emu/Devices.h"
#include "emu/chips/BoardEnvironment.h"

namespace emu {

class EmulatedMachine;
class TimeBase;
struct RegisterDump;

class WinbondW83627DhgMonitor : public PortDevice {
 public:
  static constexpr uint16_t kIndexOffset = 5;
  static constexpr double kVoltStep = 0.008;
  static constexpr int kFanDivisor = 8;  // the divisor bits below select 8 for every fan

  explicit WinbondW83627DhgMonitor(TimeBase& time);

  std::array<Waveform, 10> pins;  // 0x20-0x26, then bank 5 0x50-0x52
  std::array<Waveform, 3> temperatures;
  std::array<FanWaveform, 5> fans;

  // Bank 0 registers and the current bank as the chip sees them now.
  uint8_t Register(uint16_t bankedReg) const { return Read(static_cast<uint8_t>(bankedReg >> 8), static_cast<uint8_t>(bankedReg)); }
  // Replays a dump of 0x00-0x7F taken with bank 0 selected: those
  // registers answer with the dump's bytes, the other banks and any row the
  // dump leaves out with 0xFF. A dump taken with another bank selected holds
  // that bank's 0x50-0x5F and is refused, naming the bank.
  bool LoadDump(const RegisterDump& dump, std::string* error);

  bool PortRead(uint16_t offset, int width, uint32_t* value) override;
  bool PortWrite(uint16_t offset, int width, uint32_t value) override;

  static std::shared_ptr<WinbondW83627DhgMonitor> Attach(EmulatedMachine& m, uint16_t monitorBase);

 private:
  uint8_t Read(uint8_t bank, uint8_t reg) const;
  uint8_t FanCount(int k, uint64_t now) const;
  TimeBase& time_;
  uint8_t index_ = 0;
  std::array<uint8_t, 256> regs_{};  // bank 0 and the shared low half
  std::array<int, 256> frozen_;
  bool dumpLoaded_ = false;
};

}  // namespace emu
