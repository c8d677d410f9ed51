// Counter wraps in calibration and power, and the snapping of measured
// clocks to the bus clock grid.
#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInfos.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/IntelFamilies.h"
#include "sdk/cpu/Timers.h"

namespace {

// A time source that answers from a script; the last value repeats.
class ScriptedTimer : public CTimer {
 public:
  ScriptedTimer(int t, double hz, double wrapAt, std::deque<double> values)
      : CTimer(t, hz, wrapAt), script(std::move(values)) {}
  double Read() override {
    double v = script.front();
    if (script.size() > 1) script.pop_front();
    return v;
  }
  std::deque<double> script;
};

TEST(TimerWrap, ElapsedAddsTheModulusOnceWhenTheCounterWrapped) {
  CACPITimer acpi(0x408);
  EXPECT_DOUBLE_EQ(acpi.Elapsed(100, 200), 100);
  // 24-bit timer: the modulus is 0xFFFFFF, not 2^24.
  EXPECT_DOUBLE_EQ(acpi.Elapsed(0xFFFF00, 0x10), 0x10 + 16777215.0 - 0xFFFF00);
  CTSCCounter tsc;
  EXPECT_DOUBLE_EQ(tsc.wrap, 0.0);
}

TEST(TimerWrap, CalibrationAcrossAReferenceWrap) {
  // A reference of 20 kHz wrapping at 1000: 5 ms are 100 ticks. It starts at
  // 900, passes 950 and is at 100 (200 ticks later, across the wrap) when
  // the wait ends.
  ScriptedTimer reference(TIMER_ACPI, 20000.0, 1000.0, {900, 900, 950, 100, 100});
  ScriptedTimer counter(TIMER_TSC, -1, 0, {1000, 1000 + 3000000.0});
  double hz = counter.Calibrate(&reference, true, 1);
  EXPECT_DOUBLE_EQ(hz, 3000000.0 * 20000.0 / 200.0);
  EXPECT_DOUBLE_EQ(counter.frequency, hz);
}

TEST(TimerWrap, CalibrationNeedsARunningReference) {
  ScriptedTimer dead(TIMER_ACPI, 3579545.0, 16777215.0, {-1});
  ScriptedTimer zero(TIMER_ACPI, 3579545.0, 16777215.0, {0});
  CTSCCounter tsc;
  EXPECT_EQ(tsc.Calibrate(nullptr, true, 1), -1.0);
  EXPECT_EQ(tsc.Calibrate(&dead, true, 1), -1.0);
  EXPECT_EQ(tsc.Calibrate(&zero, true, 1), -1.0);
  EXPECT_EQ(tsc.frequency, -1.0);
}

TEST(TimerWrap, EnergyCounterWrapAndFirstUpdate) {
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  auto* hpet = new ScriptedTimer(TIMER_HPET, 14318180.0, 0, {1000, 1000 + 14318180.0});
  sdk->AddTimer(hpet);
  EnergySample s;
  // First update only stores the pair.
  EXPECT_EQ(EnergyCounterPower(0x611, 0xFFFFFF00u, s), -1.0f);
  // 0x100 + 0x1000 counts across the 32-bit wrap in one second of HPET.
  float w = EnergyCounterPower(0x611, 0x1000u, s);
  EXPECT_NEAR(w, (0x100 + 0x1000) * 15.3e-6, 1e-6);
  QUARNSDK::ReleaseInstance();
}

TEST(TimerWrap, EnergyWithoutHpetIsNotAvailable) {
  QUARNSDK::GetInstance();
  EnergySample s;
  EXPECT_EQ(EnergyCounterPower(0x611, 5, s), -1.0f);
  EXPECT_EQ(s.energy, -1.0);
  QUARNSDK::ReleaseInstance();
}

// ------------------------------------------------------------------ snapping

// A family that answers a fixed multiplier and measured clock.
class FixedInfos : public CCPUInfos {
 public:
  FixedInfos(uint32_t code, float mult, float measured) : CCPUInfos(INFOS_FAMILY, code), m(mult), c(measured) {}
  float GetMultiplier(CCPUThread*) override { return m; }
  float MeasureCoreClock(CCPUThread*, CTimer*) override { return c; }
  float m, c;
};

struct SnapCase {
  const char* what;
  uint32_t typeCode;
  int extModel;
  float bus, multiplier, measured;
  float clock, snappedMultiplier, measuredClock;
};

class SnappingTest : public ::testing::TestWithParam<SnapCase> {};

TEST_P(SnappingTest, ClockAndMultiplierFollowTheGrid) {
  const SnapCase& s = GetParam();
  CCPUThread t(0);
  t.extModel = s.extModel;
  t.AttachFamilyInfos(new FixedInfos(s.typeCode, s.multiplier, s.measured));
  CCPUCore core(0);
  core.threads->Append(&t);
  core.busClock = s.bus;
  core.multiplier = t.GetMultiplier();
  core.ComputeClock(&t);
  EXPECT_NEAR(core.clock, s.clock, 0.01) << s.what;
  EXPECT_NEAR(core.multiplier, s.snappedMultiplier, 1e-4) << s.what;
  EXPECT_NEAR(core.measuredClock, s.measuredClock, 0.01) << s.what;
  core.threads->Clear();
}

INSTANTIATE_TEST_SUITE_P(
    Families, SnappingTest,
    ::testing::Values(
        // Nehalem answers no multiplier: it comes from the measured clock.
        SnapCase{"Nehalem 3421.7 at 133.4", 0x01020000, 26, 133.4f, 0.0f, 3421.7f, 3468.4f, 26.0f, 3468.4f},
        // Rounding to an integer ratio: 25.5 rounds up.
        SnapCase{"Nehalem halfway", 0x01020000, 26, 100.0f, 0.0f, 2550.0f, 2600.0f, 26.0f, 2600.0f},
        // Sandy Bridge answers its ratio: clock = bus x ratio.
        SnapCase{"Sandy Bridge with ratio", 0x01020100, 42, 100.0f, 34.0f, 3395.0f, 3400.0f, 34.0f, 3400.0f},
        // Late Core 2 parts snap to half ratios; the measured clock as well.
        SnapCase{"Core 2 half ratio", 0x01008000, 23, 333.0f, 0.0f, 3180.0f, 3163.5f, 9.5f, 3163.5f},
        // Early Core 2: whole ratios, but the measured clock keeps half steps.
        SnapCase{"Core 2 early", 0x01008000, 15, 266.0f, 0.0f, 2405.0f, 2394.0f, 9.0f, 2394.0f},
        // No bus clock: the measured value stands as it is.
        SnapCase{"no bus clock", 0x01020000, 26, -1.0f, 0.0f, 2933.3f, 2933.3f, 0.0f, 2933.3f}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace
