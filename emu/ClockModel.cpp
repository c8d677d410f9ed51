#include "emu/ClockModel.h"

#include "emu/chips/IntegratedClockComponents.h"

namespace emu {

void ClockModel::SetBclkMHz(double mhz) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  bclkMHz_ = mhz;
  Changed();
}

void ClockModel::SetPcieMHz(double mhz) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  pcieMHz_ = mhz;
  Changed();
}

void ClockModel::Changed() {
  for (auto& l : listeners_) l();
}

void ClockModel::AddListener(std::function<void()> listener) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  listeners_.push_back(std::move(listener));
}

void ClockModel::SetIntegratedClock(std::shared_ptr<IntegratedClock> clock, int series) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  integratedClock_ = std::move(clock);
  series_ = series;
}

std::unique_ptr<plat::IntegratedClockLibrary> ClockModel::LoadIntegratedClockLibrary() {
  if (!integratedClock_ || series_ != 6) return nullptr;
  return std::make_unique<EmulatedClockLibrary>(integratedClock_);
}

std::unique_ptr<plat::ClockControlComponent> ClockModel::CreateClockControlComponent() {
  if (!integratedClock_ || series_ != 7) return nullptr;
  return std::make_unique<EmulatedClockControl>(integratedClock_);
}

}  // namespace emu
