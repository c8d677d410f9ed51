// Extended configuration registers (above 0xFF) of the K10 processor's
// northbridge functions, through the port mechanism with the extended
// address format (register bits 8-11 in address bits 24-27). Works only
// while the northbridge's extended-configuration enable is set.
#pragma once

#include "sdk/access/CRegisterSpace.h"

class AMD_K10_ECS_RegisterSpace : public CRegisterSpace {
 public:
  AMD_K10_ECS_RegisterSpace(uint32_t bus, uint32_t device)
      : CRegisterSpace(REGSPACE_AMD_K10_ECS, nullptr), bus(bus), device(device) {}
  virtual int Read(uint32_t function, uint32_t reg, uint32_t* value);
  // Dword-aligned registers only.
  virtual int Write(uint32_t function, uint32_t reg, uint32_t value);

  uint32_t Address(uint32_t function, uint32_t reg) const {
    return 0x80000000u | (reg & 0xF00) << 16 | (bus & 0xFF) << 16 | (device & 0x1F) << 11 | (function & 7) << 8 |
           (reg & 0xFF);
  }

  uint32_t bus;
  uint32_t device;
};
