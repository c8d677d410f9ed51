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
  virtual int Calibrate(CTimer* reference, int store, int multiple) = 0;
  virtual double Read() = 0;

  int type;
  double frequency;  // ticks per second; -1 until measured or set
  double wrap;       // modulus added to a reading smaller than the previous one; 0 = no wrap
  void* source = nullptr;
};
