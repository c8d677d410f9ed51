// A raw window of I/O ports or physical memory, read and written by byte,
// word and dword at an offset from its base.
#pragma once

#include <cstdint>

enum IOSpaceKind : uint32_t {
  IOSPACE_PORT = 0x1000000,
  IOSPACE_MEMORY = 0x2000000,
};

class CIOSpace {
 public:
  CIOSpace(uint32_t k, uint32_t high, uint32_t low, uint32_t sz) : kind(k), baseHigh(high), baseLow(low), size(sz) {}
  virtual ~CIOSpace() = default;
  virtual uint32_t GetBaseHigh() { return baseHigh; }
  virtual uint32_t GetBaseLow() { return baseLow; }
  virtual uint32_t GetSize() { return size; }
  virtual int Read8(uint32_t offset, uint8_t* value) = 0;
  virtual int Read16(uint32_t offset, uint16_t* value) = 0;
  virtual int Read32(uint32_t offset, uint32_t* value) = 0;
  virtual int Write8(uint32_t offset, uint8_t value) = 0;
  virtual int Write16(uint32_t offset, uint16_t value) = 0;
  virtual int Write32(uint32_t offset, uint32_t value) = 0;

  uint32_t kind;
  uint32_t baseHigh;
  uint32_t baseLow;
  uint32_t size;  // informational; 0xFFFFFFFF when unknown
};
