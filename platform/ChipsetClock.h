// The chipset's integrated clock, as the two outside components that drive
// it present it: the clock control library of the 6-series chipsets and the
// clock-control component of the 7-series chipsets. Both talk to the
// chipset's management firmware; a machine without such a route returns no
// component, which only means that there is no chipset-clock PLL.
//
// Frequencies are 64-bit integers in units of 1/100000 MHz (10 Hz).
#pragma once

#include <cstdint>

namespace plat {

// 6-series integrated clock control library. Every call returns a library
// status: 0 is success; kMissingEntry means the entry point is missing.
class IntegratedClockLibrary {
 public:
  static constexpr uint32_t kMissingEntry = 0xFFFF;
  static constexpr int kMaxClocks = 8;
  // Setting type of the clock's current (not its boot-time) setting.
  static constexpr int kCurrentSetting = 6;

  struct ClockRange {
    uint32_t clockType = 0;  // 0 = processor base clock
    uint32_t minDial = 0, maxDial = 0;
  };
  struct ClockRanges {
    int count = 0;
    ClockRange clocks[kMaxClocks];
  };
  struct ClockSettings {
    uint64_t frequency = 0;  // 1/100000 MHz
    uint32_t dial = 0;
    uint32_t spreadMode = 0;
  };

  virtual ~IntegratedClockLibrary() = default;
  virtual uint32_t Init() = 0;
  virtual uint32_t Shutdown() = 0;
  virtual uint32_t GetClockRanges(ClockRanges* ranges) = 0;
  virtual uint32_t AcquireClockOwnership(int clock) = 0;
  virtual uint32_t ReleaseClockOwnership(int clock) = 0;
  virtual uint32_t GetClockSettings(int clock, int settingType, ClockSettings* settings) = 0;
  virtual uint32_t SetClockSettings(int clock, const ClockSettings& settings) = 0;
  virtual uint32_t DialToFrequency(int clock, uint32_t dial, uint64_t* frequency) = 0;
  virtual uint32_t FrequencyToDial(int clock, uint64_t frequency, uint32_t* dial) = 0;
};

// 7-series clock-control component. Every method returns a status (negative
// is failure) and sets an error word (nonzero is failure).
class ClockControlComponent {
 public:
  // Clock types of ClockMask.
  static constexpr uint32_t kProcessorClock = 0;
  static constexpr uint32_t kPciExpressClock = 3;

  struct Setting {
    uint64_t frequency = 0;  // 1/100000 MHz
    uint32_t word1 = 0, word2 = 0;
  };

  virtual ~ClockControlComponent() = default;
  // Called once after creation.
  virtual int32_t Initialize(uint32_t* error) = 0;
  virtual int32_t ClockMask(uint32_t clockType, uint32_t* mask, uint32_t* error) = 0;
  // The clock's setting and the processor-clock strap code (0 .. 3).
  virtual int32_t ReadSetting(int clock, Setting* setting, uint32_t* strap, uint32_t* error) = 0;
  virtual int32_t WriteSetting(int clock, const Setting& setting, uint32_t* error) = 0;
};

}  // namespace plat
