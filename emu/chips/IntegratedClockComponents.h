// The outside components of the chipset's integrated clock as the emulated
// machine offers them, both working on one IntegratedClock.
#pragma once

#include <memory>

#include "emu/chips/IntegratedClock.h"
#include "platform/ChipsetClock.h"

namespace emu {

// 6-series clock control library. Statuses: 1 not initialised, 2 invalid
// parameter, 3 clock not owned, 4 outside the range.
class EmulatedClockLibrary : public plat::IntegratedClockLibrary {
 public:
  explicit EmulatedClockLibrary(std::shared_ptr<IntegratedClock> clock) : clock_(std::move(clock)) {}
  uint32_t Init() override;
  uint32_t Shutdown() override;
  uint32_t GetClockRanges(ClockRanges* ranges) override;
  uint32_t AcquireClockOwnership(int clock) override;
  uint32_t ReleaseClockOwnership(int clock) override;
  uint32_t GetClockSettings(int clock, int settingType, ClockSettings* settings) override;
  uint32_t SetClockSettings(int clock, const ClockSettings& settings) override;
  uint32_t DialToFrequency(int clock, uint32_t dial, uint64_t* frequency) override;
  uint32_t FrequencyToDial(int clock, uint64_t frequency, uint32_t* dial) override;

  int OpenCount() const { return open_; }

 private:
  IntegratedClock::Clock* Find(int clock);
  std::shared_ptr<IntegratedClock> clock_;
  int open_ = 0;
};

// 7-series clock-control component; failures give status -1 and an error
// word 1 (not initialised), 2 (no such clock) or 4 (outside the range).
class EmulatedClockControl : public plat::ClockControlComponent {
 public:
  explicit EmulatedClockControl(std::shared_ptr<IntegratedClock> clock) : clock_(std::move(clock)) {}
  int32_t Initialize(uint32_t* error) override;
  int32_t ClockMask(uint32_t clockType, uint32_t* mask, uint32_t* error) override;
  int32_t ReadSetting(int clock, Setting* setting, uint32_t* strap, uint32_t* error) override;
  int32_t WriteSetting(int clock, const Setting& setting, uint32_t* error) override;

 private:
  std::shared_ptr<IntegratedClock> clock_;
  bool initialised_ = false;
};

}  // namespace emu
