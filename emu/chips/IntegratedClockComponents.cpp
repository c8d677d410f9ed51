#include "emu/chips/IntegratedClockComponents.h"

namespace emu {

IntegratedClock::Clock* EmulatedClockLibrary::Find(int clock) {
  auto& clocks = clock_->Clocks();
  return clock >= 0 && clock < static_cast<int>(clocks.size()) ? &clocks[clock] : nullptr;
}

uint32_t EmulatedClockLibrary::Init() {
  ++open_;
  return 0;
}

uint32_t EmulatedClockLibrary::Shutdown() {
  if (!open_) return 1;
  --open_;
  return 0;
}

uint32_t EmulatedClockLibrary::GetClockRanges(ClockRanges* ranges) {
  if (!open_) return 1;
  auto& clocks = clock_->Clocks();
  ranges->count = 0;
  for (const auto& c : clocks) {
    if (ranges->count == kMaxClocks) break;
    ranges->clocks[ranges->count++] = {c.type, c.minDial, c.maxDial};
  }
  return 0;
}

uint32_t EmulatedClockLibrary::AcquireClockOwnership(int clock) {
  if (!open_) return 1;
  IntegratedClock::Clock* c = Find(clock);
  if (!c) return 2;
  c->owned = true;
  return 0;
}

uint32_t EmulatedClockLibrary::ReleaseClockOwnership(int clock) {
  if (!open_) return 1;
  IntegratedClock::Clock* c = Find(clock);
  if (!c) return 2;
  c->owned = false;
  return 0;
}

uint32_t EmulatedClockLibrary::GetClockSettings(int clock, int, ClockSettings* settings) {
  if (!open_) return 1;
  IntegratedClock::Clock* c = Find(clock);
  if (!c) return 2;
  settings->dial = static_cast<uint32_t>(c->frequency / IntegratedClock::kUnitsPerDial);
  settings->frequency = 0;  // the caller converts the dial
  settings->spreadMode = 0;
  return 0;
}

uint32_t EmulatedClockLibrary::SetClockSettings(int clock, const ClockSettings& settings) {
  if (!open_) return 1;
  IntegratedClock::Clock* c = Find(clock);
  if (!c) return 2;
  if (!c->owned) return 3;
  return clock_->Set(clock, static_cast<uint64_t>(settings.dial) * IntegratedClock::kUnitsPerDial) ? 0 : 4;
}

uint32_t EmulatedClockLibrary::DialToFrequency(int clock, uint32_t dial, uint64_t* frequency) {
  if (!open_) return 1;
  if (!Find(clock)) return 2;
  *frequency = static_cast<uint64_t>(dial) * IntegratedClock::kUnitsPerDial;
  return 0;
}

uint32_t EmulatedClockLibrary::FrequencyToDial(int clock, uint64_t frequency, uint32_t* dial) {
  if (!open_) return 1;
  IntegratedClock::Clock* c = Find(clock);
  if (!c) return 2;
  const uint64_t d = frequency / IntegratedClock::kUnitsPerDial;
  if (d < c->minDial || d > c->maxDial) return 4;
  *dial = static_cast<uint32_t>(d);
  return 0;
}

int32_t EmulatedClockControl::Initialize(uint32_t* error) {
  initialised_ = true;
  *error = 0;
  return 0;
}

int32_t EmulatedClockControl::ClockMask(uint32_t clockType, uint32_t* mask, uint32_t* error) {
  *mask = 0;
  if (!initialised_) return *error = 1, -1;
  auto& clocks = clock_->Clocks();
  for (size_t i = 0; i < clocks.size() && i < 32; ++i)
    if (clocks[i].type == clockType) *mask |= 1u << i;
  *error = 0;
  return 0;
}

int32_t EmulatedClockControl::ReadSetting(int clock, Setting* setting, uint32_t* strap, uint32_t* error) {
  if (!initialised_) return *error = 1, -1;
  auto& clocks = clock_->Clocks();
  if (clock < 0 || clock >= static_cast<int>(clocks.size())) return *error = 2, -1;
  setting->frequency = clocks[clock].frequency;
  setting->word1 = clocks[clock].minDial;
  setting->word2 = clocks[clock].maxDial;
  *strap = clock_->StrapCode();
  *error = 0;
  return 0;
}

int32_t EmulatedClockControl::WriteSetting(int clock, const Setting& setting, uint32_t* error) {
  if (!initialised_) return *error = 1, -1;
  if (!clock_->Set(clock, setting.frequency)) return *error = 4, -1;
  *error = 0;
  return 0;
}

}  // namespace emu
