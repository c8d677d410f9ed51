// The emulated machine's one clock. In virtual mode time moves only when
// something advances it (a sleep, a stall, the small cost of each hardware
// access), so tests run instantly and repeatably; in real mode it follows
// the monotonic clock.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace emu {

class TimeBase {
 public:
  enum class Mode { Virtual, Real };

  explicit TimeBase(Mode mode);

  Mode GetMode() const { return mode_; }
  uint64_t NowNs() const;
  // Virtual mode: moves time forward at once. Real mode: nothing (time
  // moves by itself).
  void Advance(uint64_t ns);
  // Waits `ns`: instant in virtual mode, a real sleep otherwise.
  void Sleep(uint64_t ns);
  // Busy-waits `ns`: instant in virtual mode, spinning otherwise.
  void Stall(uint64_t ns);

 private:
  Mode mode_;
  std::atomic<uint64_t> virtualNs_{0};
  std::chrono::steady_clock::time_point start_;
};

// A counter that runs at a rate over the time base: its value is the integral
// of the rate, so a new rate continues the count without a jump.
class RateCounter {
 public:
  RateCounter() = default;
  RateCounter(double hz, uint64_t nowNs) : hz_(hz), anchorNs_(nowNs) {}

  uint64_t Value(uint64_t nowNs) const {
    double elapsed = nowNs >= anchorNs_ ? static_cast<double>(nowNs - anchorNs_) : 0.0;
    return anchor_ + static_cast<uint64_t>(elapsed * hz_ / 1e9);
  }
  void SetRate(double hz, uint64_t nowNs) {
    anchor_ = Value(nowNs);
    anchorNs_ = nowNs;
    hz_ = hz;
  }
  void Set(uint64_t value, uint64_t nowNs) {
    anchor_ = value;
    anchorNs_ = nowNs;
  }
  double Rate() const { return hz_; }

 private:
  double hz_ = 0.0;
  uint64_t anchorNs_ = 0;
  uint64_t anchor_ = 0;
};

}  // namespace emu
