#include "emu/chips/AcpiPmBlock.h"

namespace emu {

bool AcpiPmBlock::PortRead(uint16_t offset, int width, uint32_t* value) {
  if (offset >= 8 && offset < 12) {
    uint32_t timer = static_cast<uint32_t>(timer_.Value(time_.NowNs()) & 0xFFFFFF);
    uint32_t shifted = timer >> (8 * (offset - 8));
    *value = width == 4 ? shifted : width == 2 ? (shifted & 0xFFFF) : (shifted & 0xFF);
    return true;
  }
  uint32_t v = 0;
  for (int i = 0; i < width && offset + i < kSize; ++i) v |= static_cast<uint32_t>(regs_[offset + i]) << (8 * i);
  *value = v;
  return true;
}

bool AcpiPmBlock::PortWrite(uint16_t offset, int width, uint32_t value) {
  if (offset >= 8 && offset < 12) return true;  // the timer is read-only
  for (int i = 0; i < width && offset + i < kSize; ++i) {
    uint8_t b = static_cast<uint8_t>(value >> (8 * i));
    // PM1 status bits are write-one-to-clear.
    if (offset + i < 2)
      regs_[offset + i] &= static_cast<uint8_t>(~b);
    else
      regs_[offset + i] = b;
  }
  return true;
}

}  // namespace emu
