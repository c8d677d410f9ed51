// What the PCI configuration spaces (kinds 2 and 3) have in common: dword
// reads and writes by bus, device, function and register.
#pragma once

#include "sdk/access/CRegisterSpace.h"

class CPCIConfigSpace : public CRegisterSpace {
 public:
  using CRegisterSpace::CRegisterSpace;
  // `value` is preset to 0xFFFFFFFF; nonzero on success.
  virtual int ReadConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t* value) = 0;
  virtual int WriteConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t value) = 0;
};
