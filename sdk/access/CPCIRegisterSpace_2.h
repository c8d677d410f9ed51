// PCI configuration space through configuration mechanism #1 (ports
// 0xCF8/0xCFC). Dword granular: unaligned reads are shifted out of the
// aligned dword, unaligned writes and block writes are refused.
#pragma once

#include "sdk/access/CPCIConfigSpace.h"

class CPCIRegisterSpace_2 : public CPCIConfigSpace {
 public:
  CPCIRegisterSpace_2() : CPCIConfigSpace(REGSPACE_PCI, nullptr) {}
  int Execute(CIORequest* request) override;
  int ReadConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t* value) override;
  int WriteConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t value) override;
};
