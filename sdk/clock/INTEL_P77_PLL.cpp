#include "sdk/clock/INTEL_P77_PLL.h"

#include "platform/ChipsetClock.h"
#include "sdk/clock/CPLLOutput.h"

using plat::ClockControlComponent;

namespace {
constexpr double kUnitsPerMHz = 100000.0;
bool Ok(int32_t status, uint32_t error) { return status >= 0 && error == 0; }
}  // namespace

int INTEL_P77_PLL::ChooseClock(ClockControlComponent* component, uint32_t clockType) {
  if (!component) return -1;
  uint32_t mask = 0, error = 0;
  if (!Ok(component->ClockMask(clockType, &mask, &error), error) || !mask) return -1;
  return __builtin_ctz(mask);
}

INTEL_P77_PLL::INTEL_P77_PLL(ClockControlComponent* component, uint32_t clockType, uint32_t pllKind,
                             const char* pllName)
    : CPLL(kPLLId_INTEL_P77), component_(component), clock_(ChooseClock(component, clockType)) {
  kind = pllKind;
  SetName(pllName);
}

int INTEL_P77_PLL::Read() {
  ClearOutputs();
  if (!component_ || clock_ < 0) return 0;
  ClockControlComponent::Setting setting;
  uint32_t strap = 0, error = 0;
  if (!Ok(component_->ReadSetting(clock_, &setting, &strap, &error), error) || setting.frequency == 0) return 0;
  frequency = static_cast<float>(setting.frequency / kUnitsPerMHz);
  MakeOutput(strap);
  return 1;
}

int INTEL_P77_PLL::SetFrequency(float mhz) {
  if (!(mhz > 0)) return 0;
  pending_ = mhz;
  return 1;
}

int INTEL_P77_PLL::Apply() {
  if (!component_ || clock_ < 0 || !(pending_ > 0)) return 0;
  ClockControlComponent::Setting setting;
  uint32_t strap = 0, error = 0;
  if (!Ok(component_->ReadSetting(clock_, &setting, &strap, &error), error)) return 0;
  const uint64_t wanted = static_cast<uint64_t>(static_cast<double>(pending_) * kUnitsPerMHz);
  if (wanted == setting.frequency) return 1;
  setting.frequency = wanted;
  return Ok(component_->WriteSetting(clock_, setting, &error), error) ? 1 : 0;
}

INTEL_P77_CPU_PLL::INTEL_P77_CPU_PLL(ClockControlComponent* component)
    : INTEL_P77_PLL(component, ClockControlComponent::kProcessorClock, PLL_KIND_CPU, "Intel P77 CPU PLL") {}

void INTEL_P77_CPU_PLL::MakeOutput(uint32_t strap) {
  static constexpr float kStrapMultipliers[] = {1.0f, 1.25f, 1.6666666f, 2.5f};
  AddOutput("CPU", PLL_OUTPUT_CPU, 10.0f);
  if (strap < 4) GetOutput(0)->multiplier = kStrapMultipliers[strap];
}

INTEL_P77_PCIE_PLL::INTEL_P77_PCIE_PLL(ClockControlComponent* component)
    : INTEL_P77_PLL(component, ClockControlComponent::kPciExpressClock, PLL_KIND_PCIE, "Intel P77 PCIE PLL") {}

void INTEL_P77_PCIE_PLL::MakeOutput(uint32_t) { AddOutput("PCIE", PLL_OUTPUT_PCIE, 10.0f); }
