// The 6-series chipset's integrated clock, driven through the integrated
// clock control library. The library is opened and closed around every
// call; the clock is owned only while it is read or written.
#pragma once

#include "sdk/clock/CPLL.h"

namespace plat {
class IntegratedClockLibrary;
}

inline constexpr uint32_t kPLLId_INTEL_P67 = 0x80000067;

class INTEL_P67_CPU_PLL : public CPLL {
 public:
  // `library` is the interface's, not owned.
  INTEL_P67_CPU_PLL(plat::IntegratedClockLibrary* library, int clock);

  // The processor base clock of type 0 with the lowest index, or -1.
  static int ChooseClock(plat::IntegratedClockLibrary* library);

  // Forgets the library (it is being released); every later call fails.
  void Detach() { library_ = nullptr; }

  int Read() override;
  int SetFrequency(float mhz) override;
  int Apply() override;

  // The SDK's code for the last failing library status (0 after success).
  uint32_t LastStatus() const { return lastStatus_; }
  // The SDK's code for a library status: 0 stays 0, a missing entry point
  // stays 0xFFFF, every other status maps through a fixed table.
  static uint32_t TranslateStatus(uint32_t libraryStatus);

 private:
  bool Fail(uint32_t status);

  plat::IntegratedClockLibrary* library_;
  int clock_;
  float pending_ = -1.0f;
  uint32_t lastStatus_ = 0;
};
