#include "sdk/graphics/ATI_R6XX_I2CRegisterSpace.h"

#include "platform/Machine.h"
#include "sdk/access/CIOSpace.h"

namespace {

constexpr uint32_t kGo = 1u << 0, kSoftReset = 1u << 1, kDoneAck = 1u << 1;
constexpr uint32_t kTwoTransactions = 1u << 20, kTransactionCountMask = 3u << 20;
constexpr uint32_t kRead = 1u << 0, kStopOnNack = 1u << 8, kStart = 1u << 12, kStop = 1u << 13;
constexpr uint32_t kIndexWrite = 1u << 31, kDataRead = 1u << 0;
// The engine's clock divided down to about 50 kHz on the bus.
constexpr uint32_t kPrescale = 0x7F;

uint32_t DataWord(int index, uint8_t byte) { return kIndexWrite | static_cast<uint32_t>(index) << 16 | byte << 8; }

}  // namespace

ATI_R6XX_I2CRegisterSpace::ATI_R6XX_I2CRegisterSpace(CIOSpace* window)
    : CI2CRegisterSpace(window, 0x2600000, "Access_ATI_I2C") {}

bool ATI_R6XX_I2CRegisterSpace::Mask(uint32_t offset, uint32_t value, uint32_t mask) {
  uint32_t old = 0;
  if (!io->Read32(offset, &old)) return false;
  return io->Write32(offset, (old & ~mask) | (value & mask)) != 0;
}

bool ATI_R6XX_I2CRegisterSpace::Run(int port, int address, uint8_t reg, uint8_t* value) {
  const uint32_t line = static_cast<uint32_t>(port);
  // Hand the line's pads to the engine and set its speed.
  const uint32_t gpio = kGpioMask + 0x10 * line;
  if (!Mask(gpio, 0, 0xFFFF) || !Mask(gpio + 4, 0, 0xFFFF) || !Mask(gpio + 8, 0, 0xFFFF)) return false;
  if (!Mask(kSpeed + 8 * line, kPrescale << 16 | 2, 0xFFFF00FF) || !io->Write32(kSetup + 8 * line, 0x30000000))
    return false;
  if (!io->Write32(kControl, line << 8) || !Mask(kInterruptControl, kDoneAck, kDoneAck) ||
      !Mask(kArbitration, 0, 0xFF))
    return false;
  // Write the register byte, then read one byte back.
  const uint8_t device = static_cast<uint8_t>(address << 1);
  if (!Mask(kControl, kTwoTransactions, kTransactionCountMask) ||
      !Mask(kTransaction0, kStopOnNack | kStart | 1u << 16, 0xFFFFFF) ||
      !Mask(kTransaction1, kRead | kStart | kStop | 1u << 16, 0xFFFFFF) || !io->Write32(kData, DataWord(0, device)) ||
      !io->Write32(kData, DataWord(1, reg)) || !io->Write32(kData, DataWord(2, device | 1)) ||
      !Mask(kControl, kGo, kGo))
    return false;
  uint32_t status = 0;
  bool done = false;
  for (int i = 0; i < kPolls && !done; ++i) done = io->Read32(kStatus, &status) && (status & kStatusDone);
  Mask(kInterruptControl, kDoneAck, kDoneAck);
  if (!done || (status & kStatusFailed)) return false;
  uint32_t data = 0;
  if (!io->Write32(kData, kIndexWrite | kDataRead | 3u << 16) || !io->Read32(kData, &data)) return false;
  *value = static_cast<uint8_t>(data >> 8);
  return true;
}

int ATI_R6XX_I2CRegisterSpace::ReadByte(int port, int address, uint8_t reg, uint8_t* value) {
  *value = 0xFF;
  if (!io || port < 0 || port >= kPorts || address < 0 || address > 0x7F) return 0;
  uint8_t byte = 0xFF;
  const bool ok = Run(port, address, reg, &byte);
  // Reset the engine after every transaction, whatever its outcome.
  Mask(kControl, kSoftReset, 0xFF);
  plat::CurrentMachine().Sleep(1);
  io->Write32(kControl, 0);
  if (!ok) return 0;
  *value = byte;
  return 1;
}
