// Fintek F71882F Super I/O configuration registers (F71882F datasheet
// section 8, "Configuration Register"), and the members of its family that
// share them, chosen by chip id:
//
//   0x0541 F71882F   0x0723 F71889F   0x0909 F71889ED   0x1005 F71889A
//   0x0814 F71869    0x0901 F71808E (fewer logical devices; on 0x4E on the
//                                    DP boards)
//
// Key 0x87 0x87, exit 0xAA. Global registers: 0x20/0x21 chip id (high,
// low), 0x23/0x24 vendor id 0x19/0x34, 0x26 and 0x27 configuration. Logical
// device 4 is the hardware monitor, active at `monitorBase` (its registers
// are reached at base + 5 / base + 6); the monitor block itself is a
// separate model that follows DeviceBase(kMonitorLdn).
#pragma once

#include <cstdint>
#include <memory>

#include "emu/chips/SuperIoChip.h"

namespace emu {

class EmulatedMachine;

class FintekF71882F : public SuperIoChip {
 public:
  static constexpr uint16_t kF71882F = 0x0541, kF71889F = 0x0723, kF71889ED = 0x0909, kF71889A = 0x1005,
                            kF71869 = 0x0814, kF71808E = 0x0901;
  static constexpr uint16_t kVendorId = 0x1934;
  static constexpr uint8_t kMonitorLdn = 0x04;
  static constexpr uint16_t kDefaultMonitorBase = 0x0A00;

  explicit FintekF71882F(uint16_t chipId = kF71882F, uint16_t configPort = 0x2E,
                         uint16_t monitorBase = kDefaultMonitorBase);

  uint16_t ChipId() const { return chipId_; }
  // Known chip ids only; the name as the maker's data sheet gives it.
  static const char* ChipName(uint16_t chipId);

  // Puts a chip on the machine's configuration ports and returns it.
  static std::shared_ptr<FintekF71882F> Install(EmulatedMachine& m, uint16_t chipId = kF71882F,
                                                uint16_t configPort = 0x2E,
                                                uint16_t monitorBase = kDefaultMonitorBase);

 private:
  uint16_t chipId_;
};

}  // namespace emu
