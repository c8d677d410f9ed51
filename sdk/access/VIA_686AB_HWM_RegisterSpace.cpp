#include "sdk/access/VIA_686AB_HWM_RegisterSpace.h"

int VIA_686AB_HWM_RegisterSpace::Read(uint32_t reg, uint8_t* value) {
  if (io) {
    uint8_t discard = 0;
    io->Read8(kConfig, &discard);
    io->Write8(kConfig, 0x01);
    io->Read8(reg, value);
  }
  return 1;
}
