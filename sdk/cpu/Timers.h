// The machine's time sources: the ACPI power-management timer, the system
// tick count, the performance counter, the time-stamp counter, a
// performance-monitoring counter and the HPET.
#pragma once

#include "sdk/cpu/CTimer.h"

class CIOSpace;
class MSR_Register;

// 24-bit power-management timer at 3.579545 MHz behind an I/O port.
class CACPITimer : public CTimer {
 public:
  static constexpr double kFrequency = 3579545.0;
  explicit CACPITimer(uint32_t pmTimerPort) : CTimer(TIMER_ACPI, kFrequency, 16777215.0), port(pmTimerPort) {}
  double Read() override;
  uint32_t port;
};

// Milliseconds since start-up.
class CTickCountTimer : public CTimer {
 public:
  CTickCountTimer() : CTimer(TIMER_TICK, 1000.0, 0.0) {}
  double Read() override;
};

// The operating system's high-resolution counter.
class CPerformanceCounterTimer : public CTimer {
 public:
  CPerformanceCounterTimer();
  double Read() override;
};

// The time-stamp counter of the logical processor the process runs on.
class CTSCCounter : public CTimer {
 public:
  CTSCCounter() : CTimer(TIMER_TSC, -1.0, 0.0) {}
  double Read() override;
};

// A performance-monitoring counter read through its MSR (not owned).
class CPRFCounter : public CTimer {
 public:
  explicit CPRFCounter(MSR_Register* counter) : CTimer(TIMER_PMC, -1.0, 0.0) { source = counter; }
  double Read() override;
};

// The HPET main counter in its memory window (not owned).
class CHPETTimer : public CTimer {
 public:
  static constexpr double kNominalFrequency = 14318620.0;
  explicit CHPETTimer(CIOSpace* registers) : CTimer(TIMER_HPET, kNominalFrequency, 0.0) { source = registers; }
  double Read() override;
};
