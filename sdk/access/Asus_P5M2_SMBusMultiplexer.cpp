#include "sdk/access/Asus_P5M2_SMBusMultiplexer.h"

#include "sdk/access/CIOSpace.h"

int Asus_P5M2_SMBusMultiplexer::SelectChannel(uint8_t channel) {
  auto* io = static_cast<CIOSpace*>(target);
  uint8_t level = 0;
  if (!io || !io->Read8(0x38, &level)) return 0;
  uint8_t wanted = (channel & 1) ? static_cast<uint8_t>(level | kBit) : static_cast<uint8_t>(level & ~kBit);
  return wanted == level ? 1 : io->Write8(0x38, wanted);
}

uint8_t Asus_P5M2_SMBusMultiplexer::GetChannel() {
  auto* io = static_cast<CIOSpace*>(target);
  uint8_t level = 0;
  if (!io || !io->Read8(0x38, &level)) return 0;
  return (level & kBit) ? 1 : 0;
}
