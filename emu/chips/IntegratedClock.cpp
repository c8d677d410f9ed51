#include "emu/chips/IntegratedClock.h"

#include <cmath>

namespace emu {

int IntegratedClock::AddClock(uint32_t type, double mhz, double minMHz, double maxMHz,
                              std::function<void(double)> output) {
  Clock c{type, static_cast<uint64_t>(std::llround(mhz * 100000)), static_cast<uint32_t>(std::llround(minMHz * 100)),
          static_cast<uint32_t>(std::llround(maxMHz * 100)), std::move(output)};
  if (c.output) c.output(mhz);
  clocks_.push_back(std::move(c));
  return static_cast<int>(clocks_.size()) - 1;
}

bool IntegratedClock::Set(int index, uint64_t frequency) {
  if (index < 0 || index >= static_cast<int>(clocks_.size())) return false;
  Clock& c = clocks_[index];
  const uint64_t dial = frequency / kUnitsPerDial;
  if (dial < c.minDial || dial > c.maxDial) return false;
  c.frequency = frequency;
  ++writes_;
  if (c.output) c.output(frequency / 100000.0);
  return true;
}

}  // namespace emu
