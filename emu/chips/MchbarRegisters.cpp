#include "emu/chips/MchbarRegisters.h"

#include "emu/PciFunction.h"

namespace emu {

MchbarRegisters::MchbarRegisters(const PciFunction& hostBridge, uint32_t size, uint32_t barRegister)
    : host_(hostBridge), barRegister_(barRegister), regs_(size, 0) {}

void MchbarRegisters::Set32(uint32_t offset, uint32_t value) {
  for (int i = 0; i < 4 && offset + i < regs_.size(); ++i) regs_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void MchbarRegisters::SetDynamic32(uint32_t offset, std::function<uint32_t()> read) {
  dynamic_[offset] = std::move(read);
}

uint8_t MchbarRegisters::Byte(uint32_t offset) const {
  const uint32_t dword = offset & ~3u;
  if (auto it = dynamic_.find(dword); it != dynamic_.end()) return static_cast<uint8_t>(it->second() >> (8 * (offset & 3)));
  return offset < regs_.size() ? regs_[offset] : 0xFF;
}

bool MchbarRegisters::MmioRead(uint64_t offset, int width, uint32_t* value) {
  const bool enabled = host_.Get32(barRegister_) & 1;
  uint32_t v = 0;
  for (int i = 0; i < width; ++i)
    v |= static_cast<uint32_t>(enabled ? Byte(static_cast<uint32_t>(offset) + i) : 0xFF) << (8 * i);
  *value = v;
  return true;
}

bool MchbarRegisters::MmioWrite(uint64_t, int, uint32_t) { return true; }

}  // namespace emu
