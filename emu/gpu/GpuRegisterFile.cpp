#include "emu/gpu/GpuRegisterFile.h"

namespace emu {

uint32_t GpuRegisterFile::Get32(uint32_t offset) const {
  auto it = regs_.find(offset & ~3u);
  return it == regs_.end() ? 0 : it->second;
}

bool GpuRegisterFile::MmioRead(uint64_t offset, int width, uint32_t* value) {
  const uint32_t dword = Get32(static_cast<uint32_t>(offset));
  const int shift = static_cast<int>(offset & 3) * 8;
  *value = width == 4 ? dword : (dword >> shift) & (width == 2 ? 0xFFFFu : 0xFFu);
  return true;
}

bool GpuRegisterFile::MmioWrite(uint64_t offset, int width, uint32_t value) {
  const uint32_t aligned = static_cast<uint32_t>(offset) & ~3u;
  const int shift = static_cast<int>(offset & 3) * 8;
  const uint32_t mask = width == 4 ? 0xFFFFFFFFu : (width == 2 ? 0xFFFFu : 0xFFu) << shift;
  regs_[aligned] = (Get32(aligned) & ~mask) | ((value << shift) & mask);
  return true;
}

}  // namespace emu
