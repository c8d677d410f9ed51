// The RS600 northbridge's memory-controller registers, behind the index
// (0xE8) and data (0xEC) pair of its host bridge. Bit 8 of the index opens
// the register for writing.
#pragma once

#include "sdk/access/CIndirectRegisterSpace.h"

class ATI_RS600_MC_RegisterSpace : public CIndirectRegisterSpace {
 public:
  ATI_RS600_MC_RegisterSpace(CRegisterSpace* pciSpace, const CPCIRequest& request);
  virtual int Write(uint32_t reg, uint32_t value);

  static constexpr uint8_t kIndex = 0xE8;
  static constexpr uint8_t kData = 0xEC;
  static constexpr uint32_t kWriteEnable = 0x100;
};
