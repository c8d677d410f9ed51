// The emulated board's reference clocks: the bus clock (BCLK/FSB) and the
// PCI Express clock that the clock generator drives, the listeners that
// follow a change at once (processor counters, chips), and the chipset's
// integrated clock with the component (6- or 7-series) that reaches it.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Machine.h"

namespace emu {

class IntegratedClock;

class ClockModel {
 public:
  explicit ClockModel(std::recursive_mutex& lock) : lock_(lock) {}

  double BclkMHz() const { return bclkMHz_; }
  double PcieMHz() const { return pcieMHz_; }
  void SetBclkMHz(double mhz);
  void SetPcieMHz(double mhz);
  void AddListener(std::function<void()> listener);

  void SetIntegratedClock(std::shared_ptr<IntegratedClock> clock, int series);
  std::shared_ptr<IntegratedClock> GetIntegratedClock() const { return integratedClock_; }
  // The component of the series the board's chipset has, or null.
  std::unique_ptr<plat::IntegratedClockLibrary> LoadIntegratedClockLibrary();
  std::unique_ptr<plat::ClockControlComponent> CreateClockControlComponent();

 private:
  void Changed();

  std::recursive_mutex& lock_;  // the machine's one lock
  double bclkMHz_ = 133.33;
  double pcieMHz_ = 100.0;
  std::vector<std::function<void()>> listeners_;
  std::shared_ptr<IntegratedClock> integratedClock_;
  int series_ = 0;
};

}  // namespace emu
