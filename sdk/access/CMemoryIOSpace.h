// A window of physical memory (chipset register blocks, MMCONFIG pages).
// Byte and dword accesses; word accesses are not supported.
#pragma once

#include "sdk/access/CIOSpace.h"

class CMemoryIOSpace : public CIOSpace {
 public:
  CMemoryIOSpace(uint32_t high, uint32_t low, uint32_t size) : CIOSpace(IOSPACE_MEMORY, high, low, size) {}
  int Read8(uint32_t offset, uint8_t* value) override;
  int Read16(uint32_t offset, uint16_t* value) override { return 0; }
  int Read32(uint32_t offset, uint32_t* value) override;
  // Changes only the addressed byte (see the .cpp).
  int Write8(uint32_t offset, uint8_t value) override;
  int Write16(uint32_t offset, uint16_t value) override { return 0; }
  int Write32(uint32_t offset, uint32_t value) override;
};
