// Memory-mapped (enhanced) PCI Express configuration space: a function's
// 4 KB page lies at base + bus << 20 | device << 15 | function << 12.
#pragma once

#include "sdk/access/CPCIConfigSpace.h"

class CPCIExpressRegisterSpace : public CPCIConfigSpace {
 public:
  // `window` is the memory window at the MMCONFIG base; not owned.
  explicit CPCIExpressRegisterSpace(CIOSpace* window) : CPCIConfigSpace(REGSPACE_PCI_EXPRESS, window) {}
  // Only block reads (from the function's page offset 0).
  int Execute(CIORequest* request) override;
  int ReadConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t* value) override;
  // `reg` must be dword aligned.
  int WriteConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t value) override;

  static uint32_t PageOffset(uint32_t bus, uint32_t device, uint32_t function) {
    return (bus & 0xFF) << 20 | (device & 0x1F) << 15 | (function & 7) << 12;
  }
};
