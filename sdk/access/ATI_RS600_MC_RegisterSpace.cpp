#include "sdk/access/ATI_RS600_MC_RegisterSpace.h"

ATI_RS600_MC_RegisterSpace::ATI_RS600_MC_RegisterSpace(CRegisterSpace* space, const CPCIRequest& r)
    : CIndirectRegisterSpace(REGSPACE_ATI_RS600_MC, space, r, kIndex, kData) {}

int ATI_RS600_MC_RegisterSpace::Write(uint32_t reg, uint32_t value) {
  return WriteIndexed(reg, reg | kWriteEnable, value);
}
