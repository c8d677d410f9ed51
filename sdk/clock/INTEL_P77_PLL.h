// The 7-series chipset's integrated clocks, driven through the chipset's
// clock-control component: the processor base clock and the PCI Express
// clock.
#pragma once

#include "sdk/clock/CPLL.h"

namespace plat {
class ClockControlComponent;
}

inline constexpr uint32_t kPLLId_INTEL_P77 = 0x80000077;

class INTEL_P77_PLL : public CPLL {
 public:
  // The clock of `clockType` with the lowest index, or -1.
  static int ChooseClock(plat::ClockControlComponent* component, uint32_t clockType);

  // Forgets the component (it is being released); every later call fails.
  void Detach() { component_ = nullptr; }

  int Read() override;
  int SetFrequency(float mhz) override;
  int Apply() override;

 protected:
  INTEL_P77_PLL(plat::ClockControlComponent* component, uint32_t clockType, uint32_t pllKind, const char* pllName);
  virtual void MakeOutput(uint32_t strap) = 0;

 private:
  plat::ClockControlComponent* component_;  // the interface's, not owned
  int clock_;
  float pending_ = -1.0f;
};

class INTEL_P77_CPU_PLL : public INTEL_P77_PLL {
 public:
  explicit INTEL_P77_CPU_PLL(plat::ClockControlComponent* component);

 protected:
  // "CPU" with the multiplier of the processor's bus-clock strap.
  void MakeOutput(uint32_t strap) override;
};

class INTEL_P77_PCIE_PLL : public INTEL_P77_PLL {
 public:
  explicit INTEL_P77_PCIE_PLL(plat::ClockControlComponent* component);

 protected:
  void MakeOutput(uint32_t strap) override;
};
