// A time source with a known (or measured) frequency.
#pragma once

#include <cstdint>

enum TimerType : int {
  TIMER_ACPI = 1,
  TIMER_TICK = 2,
  TIMER_PERFORMANCE = 3,
  TIMER_TSC = 4,
  TIMER_PMC = 5,
  TIMER_HPET = 6,
};

class CTimer {
 public:
  CTimer(int t, double freq, double wrapAt) : type(t), frequency(freq), wrap(wrapAt) {}
  virtual ~CTimer() = default;
  // This counter's frequency in Hz measured against `reference`: a 100 ms
  // sleep when `multiple` < 0, otherwise a busy-wait of 5 ms per unit of
  // `multiple` (at least one). -1 without a running reference.
  virtual double Calibrate(CTimer* reference, int store, int multiple);
  // Ticks; -1 on failure.
  virtual double Read() { return -1.0; }

  // Ticks from `start` to `now`, adding the modulus once when the counter
  // wrapped in between.
  double Elapsed(double start, double now) const { return now < start ? now + wrap - start : now - start; }

  int type;
  double frequency;  // ticks per second; -1 until measured or set
  double wrap;       // modulus added to a reading smaller than the previous one; 0 = no wrap
  void* source = nullptr;
};

// Busy-waits until `timer` has advanced by at least `ticks`; false when the
// timer stops answering. `start` receives the first reading.
bool WaitTicks(CTimer& timer, double ticks, double* start = nullptr);
