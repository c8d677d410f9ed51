// A physical range the driver keeps mapped, for components that read it often.
#pragma once

#include <cstdint>

class CMemoryMap {
 public:
  CMemoryMap(uint32_t low, uint32_t high, uint32_t len) : addressHigh(high), addressLow(low), length(len) {}
  virtual ~CMemoryMap() = default;

  int Map();
  void Unmap();

  uint32_t addressHigh;
  uint32_t addressLow;
  uint32_t handleLow = 0;
  uint32_t handleHigh = 0;
  uint32_t length;
};
