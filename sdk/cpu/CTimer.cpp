#include "sdk/cpu/CTimer.h"

#include <algorithm>

#include "platform/Machine.h"

bool WaitTicks(CTimer& timer, double ticks, double* start) {
  double r0 = timer.Read();
  if (start) *start = r0;
  if (r0 < 0) return false;
  // A stopped reference must not hold the caller forever.
  for (long guard = 0; guard < 20000000; ++guard) {
    double r = timer.Read();
    if (r < 0) return false;
    if (timer.Elapsed(r0, r) >= ticks) return true;
  }
  return false;
}

double CTimer::Calibrate(CTimer* reference, int store, int multiple) {
  if (!reference || reference->Read() <= 0) return -1.0;
  double c0 = Read();
  double r0 = reference->Read();
  if (multiple < 0) {
    plat::CurrentMachine().Sleep(100);
  } else {
    double need = reference->frequency * 5.0 / 1000.0 * std::max(multiple, 1);
    for (long guard = 0; guard < 20000000; ++guard) {
      double r = reference->Read();
      if (r < 0 || reference->Elapsed(r0, r) >= need) break;
    }
  }
  double c1 = Read();
  double r1 = reference->Read();
  double dr = reference->Elapsed(r0, r1);
  if (dr <= 0) return -1.0;
  double result = (c1 - c0) * reference->frequency / dr;
  if (store) frequency = result;
  return result;
}
