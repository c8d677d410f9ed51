#include "sdk/access/Intel_S5500BC_SMBusMultiplexer.h"

#include "sdk/access/CIOSpace.h"

int Intel_S5500BC_SMBusMultiplexer::SelectChannel(uint8_t channel) {
  auto* io = static_cast<CIOSpace*>(target);
  uint32_t level = 0;
  if (!io || !io->Read32(0x38, &level)) return 0;
  if (channel == 0)
    level = (level & ~(1u << 20)) | 1u << 17;
  else if (channel == 1)
    level = (level & ~(1u << 17)) | 1u << 20;
  else
    return 1;
  return io->Write32(0x38, level);
}

uint8_t Intel_S5500BC_SMBusMultiplexer::GetChannel() {
  auto* io = static_cast<CIOSpace*>(target);
  uint32_t level = 0;
  if (!io || !io->Read32(0x38, &level)) return 0;
  return (level >> 20) & 1;
}
