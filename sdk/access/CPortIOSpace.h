// A window of processor I/O ports.
#pragma once

#include "sdk/access/CIOSpace.h"

class CPortIOSpace : public CIOSpace {
 public:
  CPortIOSpace(uint32_t base, uint32_t size) : CIOSpace(IOSPACE_PORT, 0, base, size) {}
  int Read8(uint32_t offset, uint8_t* value) override;
  int Read16(uint32_t offset, uint16_t* value) override;
  int Read32(uint32_t offset, uint32_t* value) override;
  int Write8(uint32_t offset, uint8_t value) override;
  int Write16(uint32_t offset, uint16_t value) override;
  int Write32(uint32_t offset, uint32_t value) override;
};
