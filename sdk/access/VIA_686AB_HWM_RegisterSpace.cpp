#include "sdk/access/VIA_686AB_HWM_RegisterSpace.h"

int VIA_686AB_HWM_RegisterSpace::Read(uint32_t reg, uint8_t* value) {
  // The configuration register is written only when it answered, and the
  // read reports what the port access did.
  if (!io) return 0;
  uint8_t discard = 0;
  if (!io->Read8(kConfig, &discard)) return 0;
  if (!io->Write8(kConfig, 0x01)) return 0;
  return io->Read8(reg, value) ? 1 : 0;
}
