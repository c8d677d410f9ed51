// The SMBus controllers of the Sandy Bridge-E integrated memory controller
// (Xeon E5-1600/2600 datasheet volume 2, device 15 function 0, 8086:3CA8):
// two controllers, one per pair of memory channels, each with
//   SMBSTAT  0x180 / 0x190: 31 RDO (read data valid), 30 WOD (write done),
//            29 SBE (bus error; software writes 0 to clear it), 28 busy,
//            15:0 the data read (a word with its first byte in 15:8);
//   SMBCMD   0x184 / 0x194: 31 trigger, 30 pointer select, 29 word access,
//            28:27 type (00 read, 01 write, 11 pointer write), 26:24 the
//            low three bits of the slave address, 23:16 the register,
//            15:0 the data to write;
//   SMBCNTL  0x188 / 0x198: 31:28 DTI (the high four address bits), 27
//            clock override (0 holds the clock low), 26 write disable
//            (firmware's lock), 10 soft reset, 8 TSOD polling enable,
//            7:0 the slots whose thermal sensor the controller polls.
// The slave address on the wire is DTI << 3 | SA. A transaction completes
// at once; a slave that does not acknowledge sets SBE. The kernel's
// i2c-imc driver programs the same registers.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "emu/PciFunction.h"

namespace emu {

class SmbusBus;

class ImcSmbusFunction : public PciFunction {
 public:
  static constexpr uint32_t kStatus = 0x180, kCommand = 0x184, kControl = 0x188, kStride = 0x10;
  static constexpr uint32_t kRdo = 1u << 31, kWod = 1u << 30, kSbe = 1u << 29, kBusy = 1u << 28;
  static constexpr uint32_t kTrigger = 1u << 31, kWord = 1u << 29;
  static constexpr uint32_t kClockRunning = 1u << 27, kWriteDisable = 1u << 26, kTsodPolling = 1u << 8;

  // `controlAtBoot` is what firmware leaves in both SMBCNTL registers.
  ImcSmbusFunction(uint8_t bus, uint32_t controlAtBoot);

  // The SPD/thermal bus of controller 0 (channels 0-1) or 1 (channels 2-3).
  SmbusBus& Bus(int controller) { return *buses_[controller]; }

  void ConfigWrite(uint32_t offset, int width, uint32_t value) override;

 private:
  void Execute(int controller, uint32_t command);

  std::array<std::shared_ptr<SmbusBus>, 2> buses_;
};

}  // namespace emu
