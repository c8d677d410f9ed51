// PCI configuration space through the driver's configuration requests.
#pragma once

#include "sdk/access/CPCIConfigSpace.h"

class CPCIRegisterSpace : public CPCIConfigSpace {
 public:
  CPCIRegisterSpace() : CPCIConfigSpace(REGSPACE_PCI, nullptr) {}
  int Execute(CIORequest* request) override;
  // An unaligned register gives the 4 bytes from `reg` as the driver returns them.
  int ReadConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t* value) override;
  int WriteConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t value) override;
};
