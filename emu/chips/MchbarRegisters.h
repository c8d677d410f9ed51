// The memory controller hub's MCHBAR window (Intel 945, 3- and 4-series,
// Core i3/i5 and later host bridges): a block of controller registers in
// physical memory at the base in host bridge register 0x48 (0x44 on the
// 945 family), decoded only while that register's enable bit 0 is set (reads give all ones, like
// memory nothing answers, otherwise). Registers are set as data by the
// board; some follow machine state through a read hook.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "emu/Devices.h"

namespace emu {

class PciFunction;

class MchbarRegisters : public MmioDevice {
 public:
  MchbarRegisters(const PciFunction& hostBridge, uint32_t size, uint32_t barRegister = 0x48);

  void Set32(uint32_t offset, uint32_t value);
  // The dword at `offset` is computed on every read.
  void SetDynamic32(uint32_t offset, std::function<uint32_t()> read);

  // Any width at any offset, little endian; writes are taken and dropped
  // (the controller's settings are the firmware's).
  bool MmioRead(uint64_t offset, int width, uint32_t* value) override;
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override;

 private:
  uint8_t Byte(uint32_t offset) const;

  const PciFunction& host_;
  uint32_t barRegister_;
  std::vector<uint8_t> regs_;
  std::map<uint32_t, std::function<uint32_t()>> dynamic_;
};

}  // namespace emu
