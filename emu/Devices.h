// The shapes of emulated chips as the buses see them.
#pragma once

#include <cstdint>

namespace emu {

// A chip decoding a range of I/O ports. `offset` is relative to the range's
// first port; width is 1, 2 or 4. Returning false makes the access fail.
class PortDevice {
 public:
  virtual ~PortDevice() = default;
  virtual bool PortRead(uint16_t offset, int width, uint32_t* value) = 0;
  virtual bool PortWrite(uint16_t offset, int width, uint32_t value) = 0;
};

// A chip decoding a range of physical memory. Accesses are split into
// naturally sized pieces of 1, 2 or 4 bytes by the machine.
class MmioDevice {
 public:
  virtual ~MmioDevice() = default;
  virtual bool MmioRead(uint64_t offset, int width, uint32_t* value) = 0;
  virtual bool MmioWrite(uint64_t offset, int width, uint32_t value) = 0;
};

// How the buses cut an access: the width of the next naturally aligned
// piece at `address` with `left` bytes to go (4, 2 or 1).
inline int AlignedPiece(uint64_t address, uint32_t left) {
  return (address % 4 == 0 && left >= 4) ? 4 : (address % 2 == 0 && left >= 2) ? 2 : 1;
}

// What a read of `width` bytes that nothing answers gives: all ones.
inline uint32_t FloatingBus(int width) { return width == 4 ? 0xFFFFFFFF : width == 2 ? 0xFFFF : 0xFF; }

}  // namespace emu
