#include "sdk/clock/INTEL_P67_CPU_PLL.h"

#include "platform/ChipsetClock.h"
#include "sdk/clock/CPLLOutput.h"

using plat::IntegratedClockLibrary;

namespace {

// Units of the library's frequencies per MHz.
constexpr double kUnitsPerMHz = 100000.0;

// Library statuses and the SDK's codes for them.
struct StatusCode {
  uint32_t library, sdk;
};
constexpr StatusCode kStatusTable[] = {
    {0x01, 0xE0000001},  // not initialised
    {0x02, 0xE0000002},  // invalid parameter
    {0x03, 0xE0000003},  // clock not owned / owned by another agent
    {0x04, 0xE0000004},  // frequency outside the clock's range
    {0x05, 0xE0000005},  // management engine not responding
    {0x06, 0xE0000006},  // settings locked by the firmware
};

// One library call between Init and Shutdown.
template <typename F>
uint32_t Call(IntegratedClockLibrary* lib, F body) {
  uint32_t s = lib->Init();
  if (s) return s;
  s = body();
  lib->Shutdown();
  return s;
}

}  // namespace

uint32_t INTEL_P67_CPU_PLL::TranslateStatus(uint32_t status) {
  if (status == 0 || status == IntegratedClockLibrary::kMissingEntry) return status;
  for (const StatusCode& c : kStatusTable)
    if (c.library == status) return c.sdk;
  return 0xE00000FF;
}

INTEL_P67_CPU_PLL::INTEL_P67_CPU_PLL(IntegratedClockLibrary* library, int clock)
    : CPLL(kPLLId_INTEL_P67), library_(library), clock_(clock) {
  kind = PLL_KIND_CPU;
  SetName("Intel P67 PLL");
}

int INTEL_P67_CPU_PLL::ChooseClock(IntegratedClockLibrary* library) {
  if (!library) return -1;
  IntegratedClockLibrary::ClockRanges ranges;
  if (Call(library, [&] { return library->GetClockRanges(&ranges); })) return -1;
  uint32_t mask = 0;
  for (int i = 0; i < ranges.count && i < IntegratedClockLibrary::kMaxClocks; ++i)
    if (ranges.clocks[i].clockType == 0) mask |= 1u << i;
  return mask ? __builtin_ctz(mask) : -1;
}

bool INTEL_P67_CPU_PLL::Fail(uint32_t status) {
  lastStatus_ = TranslateStatus(status);
  return false;
}

int INTEL_P67_CPU_PLL::Read() {
  ClearOutputs();
  if (!library_ || clock_ < 0) return 0;
  if (uint32_t s = Call(library_, [&] { return library_->AcquireClockOwnership(clock_); })) return Fail(s);
  auto release = [&] { Call(library_, [&] { return library_->ReleaseClockOwnership(clock_); }); };
  IntegratedClockLibrary::ClockRanges ranges;
  IntegratedClockLibrary::ClockSettings settings;
  uint64_t low = 0, high = 0;
  uint32_t s = Call(library_, [&] { return library_->GetClockRanges(&ranges); });
  if (!s && clock_ >= ranges.count) s = 0x02;
  if (!s) s = Call(library_, [&] { return library_->DialToFrequency(clock_, ranges.clocks[clock_].minDial, &low); });
  if (!s) s = Call(library_, [&] { return library_->DialToFrequency(clock_, ranges.clocks[clock_].maxDial, &high); });
  if (!s)
    s = Call(library_, [&] {
      return library_->GetClockSettings(clock_, IntegratedClockLibrary::kCurrentSetting, &settings);
    });
  if (!s) s = Call(library_, [&] { return library_->DialToFrequency(clock_, settings.dial, &settings.frequency); });
  release();
  if (s) return Fail(s);
  if (settings.frequency == 0) return Fail(0x02);
  lastStatus_ = 0;
  minimum = static_cast<float>(low / kUnitsPerMHz);
  maximum = static_cast<float>(high / kUnitsPerMHz);
  frequency = static_cast<float>(settings.frequency / kUnitsPerMHz);
  AddOutput("CPU", PLL_OUTPUT_CPU, 10.0f);
  AddOutput("PCIE", PLL_OUTPUT_PCIE, 10.0f);
  AddOutput("PCI", PLL_OUTPUT_PCI, 30.0f);
  return 1;
}

int INTEL_P67_CPU_PLL::SetFrequency(float mhz) {
  if (!(mhz > 0)) return 0;
  // The library's own range is the chip's encodable range.
  if ((minimum > 0 && mhz < minimum) || (maximum > 0 && mhz > maximum)) return 0;
  pending_ = mhz;
  return 1;
}

int INTEL_P67_CPU_PLL::Apply() {
  if (!library_ || clock_ < 0 || !(pending_ > 0)) return 0;
  if (uint32_t s = Call(library_, [&] { return library_->AcquireClockOwnership(clock_); })) return Fail(s);
  IntegratedClockLibrary::ClockRanges ranges;
  IntegratedClockLibrary::ClockSettings settings;
  uint32_t s = Call(library_, [&] { return library_->GetClockRanges(&ranges); });
  if (!s)
    s = Call(library_, [&] {
      return library_->GetClockSettings(clock_, IntegratedClockLibrary::kCurrentSetting, &settings);
    });
  const uint64_t wanted = static_cast<uint64_t>(static_cast<double>(pending_) * kUnitsPerMHz);
  uint32_t dial = 0;
  if (!s) s = Call(library_, [&] { return library_->FrequencyToDial(clock_, wanted, &dial); });
  if (!s && dial != settings.dial) {
    settings.frequency = wanted;
    settings.dial = dial;
    s = Call(library_, [&] { return library_->SetClockSettings(clock_, settings); });
  }
  Call(library_, [&] { return library_->ReleaseClockOwnership(clock_); });
  if (s) return Fail(s);
  lastStatus_ = 0;
  return 1;
}
