// A graphics chip's memory-mapped register window as plain data: dwords set
// by the card description, reads of any width at any offset (little
// endian), writes kept by byte lanes. Offsets nobody set read 0, like the
// undefined registers of a present chip.
#pragma once

#include <cstdint>
#include <map>

#include "emu/Devices.h"

namespace emu {

class GpuRegisterFile : public MmioDevice {
 public:
  void Set32(uint32_t offset, uint32_t value) { regs_[offset & ~3u] = value; }
  uint32_t Get32(uint32_t offset) const;

  bool MmioRead(uint64_t offset, int width, uint32_t* value) override;
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override;

 private:
  std::map<uint32_t, uint32_t> regs_;
};

}  // namespace emu
