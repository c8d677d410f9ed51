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

}  // namespace emu
