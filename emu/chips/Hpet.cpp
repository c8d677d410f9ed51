#include "emu/chips/Hpet.h"

namespace emu {

// Registers (IA-PC HPET, revision 1.0a, section 2.3).
uint64_t Hpet::Register(uint64_t offset) const {
  switch (offset & ~7ull) {
    case 0x000:  // capabilities: vendor 8086, legacy route, 64-bit, 3 timers, rev 1
      return static_cast<uint64_t>(kPeriodFs) << 32 | 0x8086A201ull;
    case 0x010:
      return enabled_ ? 1 : 0;
    case 0x0F0:
      return counter_.Value(time_.NowNs());
    default:
      return 0;
  }
}

bool Hpet::MmioRead(uint64_t offset, int width, uint32_t* value) {
  uint64_t r = Register(offset) >> (8 * (offset & 7));
  *value = static_cast<uint32_t>(width == 4 ? r : r & ((1ull << (8 * width)) - 1));
  return true;
}

bool Hpet::MmioWrite(uint64_t offset, int width, uint32_t value) {
  if (offset == 0x010 && width >= 1) {
    bool enable = value & 1;
    if (enable != enabled_) {
      // A stopped counter keeps its value.
      uint64_t now = time_.NowNs();
      counter_.SetRate(enable ? 1e15 / kPeriodFs : 0.0, now);
      enabled_ = enable;
    }
  } else if ((offset & ~7ull) == 0x0F0 && !enabled_) {
    uint64_t v = counter_.Value(time_.NowNs());
    int shift = static_cast<int>(8 * (offset & 7));
    uint64_t mask = (width == 4 ? 0xFFFFFFFFull : (1ull << (8 * width)) - 1) << shift;
    counter_.Set((v & ~mask) | (static_cast<uint64_t>(value) << shift & mask), time_.NowNs());
  }
  return true;
}

}  // namespace emu
