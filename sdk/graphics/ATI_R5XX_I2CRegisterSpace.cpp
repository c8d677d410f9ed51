#include "sdk/graphics/ATI_R5XX_I2CRegisterSpace.h"

#include "sdk/access/CIOSpace.h"

namespace {

constexpr uint32_t kDone = 1u << 0, kNack = 1u << 1, kHalt = 1u << 2, kGo = 1u << 3;
constexpr uint32_t kSoftReset = 1u << 0;
constexpr uint32_t kStart = 1u << 0, kStop = 1u << 1, kReceive = 1u << 2, kEnable = 1u << 8;
constexpr uint32_t kPinSelect = 3u << 16;
constexpr uint32_t kWants = 1u << 0, kMayUse = 1u << 1, kDoneUsing = 1u << 8;
constexpr uint32_t kGpioMask = 0x7E40;
// The engine's clock divided down to about 50 kHz on the bus.
constexpr uint32_t kPrescale = 0x7F;

}  // namespace

ATI_R5XX_I2CRegisterSpace::ATI_R5XX_I2CRegisterSpace(CIOSpace* window)
    : CI2CRegisterSpace(window, 0x2500000, "Access_ATI_I2C") {}

bool ATI_R5XX_I2CRegisterSpace::Mask(uint32_t offset, uint32_t value, uint32_t mask) {
  uint32_t old = 0;
  if (!io->Read32(offset, &old)) return false;
  return io->Write32(offset, (old & ~mask) | (value & mask)) != 0;
}

bool ATI_R5XX_I2CRegisterSpace::Transfer(uint32_t control1, int dataBytes) {
  if (!io->Write32(kControl2, kPrescale << 16 | static_cast<uint32_t>(dataBytes) << 8 | 1) ||
      !Mask(kControl1, control1, 0xFF) || !Mask(kStatus, kGo, 0xFF))
    return false;
  uint32_t status = kGo;
  for (int i = 0; i < kPolls && (status & kGo); ++i)
    if (!io->Read32(kStatus, &status)) status = kGo;
  if (status & kGo) return false;  // still busy: time-out
  const bool done = (status & (kDone | kNack | kHalt)) == kDone;
  Mask(kStatus, kDone | kNack | kHalt, 0xFF);
  return done;
}

int ATI_R5XX_I2CRegisterSpace::ReadByte(int port, int address, uint8_t reg, uint8_t* value) {
  *value = 0xFF;
  if (!io || port < 0 || port >= kPorts || address < 0 || address > 0x7F) return 0;
  uint32_t saved = 0;
  if (!io->Read32(kControl1, &saved)) return 0;
  // Hand the line's pads to the engine and ask for it.
  const uint32_t gpio = kGpioMask + 0x10 * static_cast<uint32_t>(port);
  uint32_t arbitration = 0;
  bool ok = Mask(gpio, 0, 0xFFFF) && Mask(gpio + 4, 0, 0xFFFF) && Mask(gpio + 8, 0, 0xFFFF) &&
            Mask(kArbitration, kWants, kWants) && io->Read32(kArbitration, &arbitration) && (arbitration & kMayUse);
  uint32_t data = 0;
  if (ok) {
    Mask(kStatus, kDone | kNack | kHalt, 0xFF);
    Mask(kReset, kSoftReset, 0xFFFF);
    io->Write32(kReset, 0);
    const uint8_t device = static_cast<uint8_t>(address << 1);
    ok = Mask(kControl1, static_cast<uint32_t>(port) << 16 | kEnable, kPinSelect | kEnable) &&
         Mask(kControl3, 0x30u << 24, 0xFFu << 24) && io->Write32(kData, device) && io->Write32(kData, reg) &&
         Transfer(kStart | kStop, 1) && io->Write32(kData, device | 1u) && Transfer(kStart | kStop | kReceive, 1) &&
         io->Read32(kData, &data);
  }
  // Leave the engine as it was found.
  Mask(kStatus, kDone | kNack | kHalt, 0xFF);
  Mask(kReset, kSoftReset, 0xFF);
  io->Write32(kReset, 0);
  Mask(kArbitration, kDoneUsing, 0xFF00);
  io->Write32(kControl1, saved);
  if (!ok) return 0;
  *value = static_cast<uint8_t>(data);
  return 1;
}
