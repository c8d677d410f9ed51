#include "emu/chips/Ich10rRootComplex.h"

#include "emu/PciFunction.h"
#include "emu/chips/IntelSmbusFunction.h"

namespace emu {

Ich10rRootComplex::Ich10rRootComplex(PciFunction& lpc, IntelSmbusFunction* smbus, uint32_t initialFd)
    : lpc_(lpc), smbus_(smbus), regs_(kSize, 0) {
  for (int i = 0; i < 4; ++i) regs_[kFunctionDisable + i] = static_cast<uint8_t>(initialFd >> (8 * i));
  if (smbus_) smbus_->SetFunctionDisabled(initialFd & kFdSmbusDisable);
}

bool Ich10rRootComplex::Decoded() const { return lpc_.Get32(0xF0) & 1; }

uint32_t Ich10rRootComplex::Dword(uint32_t offset) const {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(regs_[offset + i]) << (8 * i);
  return v;
}

bool Ich10rRootComplex::MmioRead(uint64_t offset, int width, uint32_t* value) {
  if (!Decoded() || offset + width > kSize) {
    *value = width == 4 ? 0xFFFFFFFF : width == 2 ? 0xFFFF : 0xFF;
    return true;
  }
  uint32_t v = 0;
  for (int i = 0; i < width; ++i) v |= static_cast<uint32_t>(regs_[offset + i]) << (8 * i);
  *value = v;
  return true;
}

bool Ich10rRootComplex::MmioWrite(uint64_t offset, int width, uint32_t value) {
  if (!Decoded() || offset + width > kSize) return true;
  for (int i = 0; i < width; ++i) regs_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  if (smbus_ && offset < kFunctionDisable + 4 && offset + width > kFunctionDisable)
    smbus_->SetFunctionDisabled(Dword(kFunctionDisable) & kFdSmbusDisable);
  return true;
}

}  // namespace emu
