#include "sdk/cpu/Timers.h"

#include "driver/CKMDriver.h"
#include "platform/Machine.h"
#include "sdk/access/CIOSpace.h"
#include "sdk/cpu/CpuDriver.h"
#include "sdk/cpu/MSR_Register.h"

double CACPITimer::Read() {
  CKMDriver* d = CpuDriver();
  uint32_t v = 0;
  if (!d || !d->ReadPort32(port, &v)) return -1.0;
  return static_cast<double>(v & 0xFFFFFFu);
}

double CTickCountTimer::Read() { return static_cast<double>(plat::CurrentMachine().TickCount()); }

CPerformanceCounterTimer::CPerformanceCounterTimer() : CTimer(TIMER_PERFORMANCE, -1.0, 0.0) {
  uint64_t f = plat::CurrentMachine().PerformanceFrequency();
  frequency = f ? static_cast<double>(f) : -1.0;
}

double CPerformanceCounterTimer::Read() { return static_cast<double>(plat::CurrentMachine().PerformanceCounter()); }

double CTSCCounter::Read() { return static_cast<double>(plat::CurrentMachine().ReadTsc()); }

double CPRFCounter::Read() {
  auto* msr = static_cast<MSR_Register*>(source);
  if (!msr || !msr->Read()) return -1.0;
  return static_cast<double>(msr->high) * 4294967296.0 + msr->low;
}

double CHPETTimer::Read() {
  auto* space = static_cast<CIOSpace*>(source);
  uint32_t hi = 0, lo = 0;
  if (!space || !space->Read32(0xF4, &hi)) return -1.0;
  if (!space->Read32(0xF0, &lo)) return static_cast<double>(hi);
  return static_cast<double>(hi) * 4294967296.0 + lo;
}
