#include "emu/TimeBase.h"

#include <thread>

namespace emu {

TimeBase::TimeBase(Mode mode) : mode_(mode), start_(std::chrono::steady_clock::now()) {}

uint64_t TimeBase::NowNs() const {
  if (mode_ == Mode::Virtual) return virtualNs_.load(std::memory_order_relaxed);
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start_).count());
}

void TimeBase::Advance(uint64_t ns) {
  if (mode_ == Mode::Virtual) virtualNs_.fetch_add(ns, std::memory_order_relaxed);
}

void TimeBase::Sleep(uint64_t ns) {
  if (mode_ == Mode::Virtual) {
    Advance(ns);
  } else {
    std::this_thread::sleep_for(std::chrono::nanoseconds(ns));
  }
}

void TimeBase::Stall(uint64_t ns) {
  if (mode_ == Mode::Virtual) {
    Advance(ns);
    return;
  }
  uint64_t until = NowNs() + ns;
  while (NowNs() < until) {
  }
}

}  // namespace emu
