// The ICH10 chipset configuration registers, memory-mapped at the root
// complex base address (RCBA, LPC configuration 0xF0: bits 31:14 base,
// bit 0 enable; ICH10 datasheet 10.1). 16 KB; only the function-disable
// register has behaviour here:
//
//   0x3418 FD  bit 3 SD (SMBus disable): set hides the SMBus function
//              00:1F.3 at once (configuration reads all ones, its I/O not
//              decoded); clearing it brings the function back 10 ms later.
//              Other bits are stored.
//
// With RCBA's enable bit clear the window is not decoded (reads all ones).
#pragma once

#include <cstdint>
#include <vector>

#include "emu/Devices.h"

namespace emu {

class PciFunction;
class IntelSmbusFunction;

class Ich10rRootComplex : public MmioDevice {
 public:
  static constexpr uint64_t kSize = 0x4000;
  static constexpr uint32_t kFunctionDisable = 0x3418;
  static constexpr uint32_t kFdSmbusDisable = 1u << 3;

  // `lpc` carries RCBA; `smbus` is hidden and revealed by FD.SD.
  Ich10rRootComplex(PciFunction& lpc, IntelSmbusFunction* smbus, uint32_t initialFd = 0);

  bool MmioRead(uint64_t offset, int width, uint32_t* value) override;
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override;

 private:
  bool Decoded() const;
  uint32_t Dword(uint32_t offset) const;

  PciFunction& lpc_;
  IntelSmbusFunction* smbus_;
  std::vector<uint8_t> regs_;
};

}  // namespace emu
