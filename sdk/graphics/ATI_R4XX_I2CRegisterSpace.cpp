#include "sdk/graphics/ATI_R4XX_I2CRegisterSpace.h"

#include "sdk/access/CIOSpace.h"

namespace {

constexpr uint32_t kDone = 1u << 0, kNack = 1u << 1, kHalt = 1u << 2, kSoftReset = 1u << 5;
constexpr uint32_t kDriveEnable = 1u << 6, kStart = 1u << 8, kStop = 1u << 9, kReceive = 1u << 10;
constexpr uint32_t kGo = 1u << 12;
constexpr uint32_t kClear = kDone | kNack | kHalt | kSoftReset;
// One data byte, one address byte, select and enable.
constexpr uint32_t kOneByte = 0x30011;

}  // namespace

ATI_R4XX_I2CRegisterSpace::ATI_R4XX_I2CRegisterSpace(CIOSpace* window, int referenceKHz)
    : CI2CRegisterSpace(window, 0x2400000, "Access_ATI_I2C"), referenceClock(referenceKHz) {}

int ATI_R4XX_I2CRegisterSpace::SetupClock() {
  for (int n = 25; n < 256; ++n)
    if (n * (n - 1) > referenceClock / 320) {
      divHigh = n;
      divLow = n - 1;
      prescale = 2 * n;
      return 1;
    }
  return 0;
}

bool ATI_R4XX_I2CRegisterSpace::Transfer(uint32_t engine, uint32_t command) {
  if (!io->Write32(engine + 4, static_cast<uint32_t>(prescale) << 24 | kOneByte) || !io->Write32(engine, command))
    return false;
  uint32_t status = kGo;
  for (int i = 0; i < kPolls && (status & kGo); ++i)
    if (!io->Read32(engine, &status)) status = kGo;
  return !(status & kGo) && (status & (kDone | kNack | kHalt)) == kDone;
}

int ATI_R4XX_I2CRegisterSpace::ReadByte(int port, int address, uint8_t reg, uint8_t* value) {
  *value = 0xFF;
  if (!io || port < 0 || port >= kPorts || address < 0 || address > 0x7F) return 0;
  if (prescale < 0 && !SetupClock()) return 0;
  const uint32_t engine = port == 0 ? kMonitorEngine : kDviEngine;
  const uint32_t pins = port == 0 ? 0 : static_cast<uint32_t>(port - 1) << 3;
  const uint32_t command = static_cast<uint32_t>(divHigh << 8 | divLow) << 16 | kDriveEnable | kStart | kStop |
                           kGo | pins;
  const uint8_t device = static_cast<uint8_t>(address << 1);
  uint32_t data = 0;
  const bool ok = io->Write32(engine, kClear) && io->Write32(engine + 8, device) && io->Write32(engine + 8, reg) &&
                  Transfer(engine, command) && io->Write32(engine, kClear) &&
                  io->Write32(engine + 8, device | 1u) && Transfer(engine, command | kReceive) &&
                  io->Read32(engine + 8, &data);
  // Stop the engine and clear its status, whatever happened.
  io->Write32(engine, 0);
  io->Write32(engine + 4, 0);
  io->Write32(engine, kClear);
  if (!ok) return 0;
  *value = static_cast<uint8_t>(data);
  return 1;
}
