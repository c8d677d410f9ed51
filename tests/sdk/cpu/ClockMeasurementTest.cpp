// Bus and core clocks, temperatures and package power measured on the
// emulated processors in virtual time.
#include <gtest/gtest.h>

#include <cmath>

#include "sdk/core/CSensor.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/IntelFamilies.h"
#include "sdk/cpu/Timers.h"
#include "sdk/cpu/TurboControl.h"
#include "tests/sdk/cpu/CpuTestBench.h"

namespace {

// Every core of every package runs at `mhz` within 0.1 %.
void ExpectCoreClocks(CCPUInterface* cpu, double mhz, double ratio) {
  for (int i = 0; i < cpu->processorCount; ++i) {
    CProcessor* p = cpu->GetProcessor(i);
    for (int c = 0; c < p->GetNumberOfCores(); ++c) {
      EXPECT_NEAR(p->GetCoreClock(c), mhz, mhz * 0.001) << "package " << i << " core " << c;
      EXPECT_FLOAT_EQ(p->GetCoreMultiplier(c), static_cast<float>(ratio)) << "package " << i << " core " << c;
      EXPECT_NEAR(p->GetCore(c)->measuredClock, mhz, mhz * 0.001);
    }
  }
}

struct ClockCase {
  const emu::CpuDescription* cpu;
  int activeRatio;  // one-core turbo limit
};

class ClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockTest, MeasuresBclkTimesTheActiveRatio) {
  const ClockCase& c = GetParam();
  CpuTestBench bench(*c.cpu);
  ASSERT_TRUE(bench.Sdk().CreateACPIInterface(0x27F0AF90, 0, 0x7FFFFFFF));
  ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
  CCPUInterface* cpu = bench.Sdk().cpuInterface;
  EXPECT_NEAR(cpu->busClock, c.cpu->bclkMHz, c.cpu->bclkMHz * 0.001);
  ExpectCoreClocks(cpu, c.cpu->bclkMHz * c.activeRatio, c.activeRatio);

  // A new base clock is seen by the next refresh.
  bench.machine->SetBclkMHz(c.cpu->bclkMHz * 1.05);
  cpu->Refresh();
  EXPECT_NEAR(cpu->busClock, c.cpu->bclkMHz * 1.05, c.cpu->bclkMHz * 0.00105);
  ExpectCoreClocks(cpu, c.cpu->bclkMHz * 1.05 * c.activeRatio, c.activeRatio);

  // Temperatures follow the emulated digital thermal sensor.
  CProcessor* p = cpu->GetProcessor(0);
  EXPECT_FLOAT_EQ(p->GetCore(0)->temperature, static_cast<float>(c.cpu->coreTempC));
  ASSERT_NE(p->sensors, nullptr);
  int coreSensors = 0;
  for (CSensor* s : Items(p->sensors))
    if (s->ClassBits() == SENSOR_TEMPERATURE && std::string(s->name).rfind("Core #", 0) == 0) ++coreSensors;
  EXPECT_EQ(coreSensors, p->GetNumberOfCores());
}

INSTANTIATE_TEST_SUITE_P(Models, ClockTest,
                         ::testing::Values(ClockCase{&emu::NehalemBloomfieldI7_920(), 22},
                                           ClockCase{&emu::WestmereGulftownI7_980X(), 27},
                                           ClockCase{&emu::SandyBridgeI7_2600K(), 38},
                                           ClockCase{&emu::WestmereEpXeonX5650Pair(), 23}));

TEST(ClockFallback, WithoutTheAcpiTimerTheClockComesFromTheTimeStampCounterPath) {
  emu::AcpiFirmware noTimer;
  noTimer.pmTimer = false;
  CpuTestBench bench(emu::NehalemBloomfieldI7_920(), noTimer);
  ASSERT_TRUE(bench.Sdk().CreateACPIInterface(0x27F0AF90, 0, 0x7FFFFFFF));
  EXPECT_EQ(bench.Sdk().FindTimer(TIMER_ACPI), nullptr);
  ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
  // Nothing measures: the values stay "not available" rather than wrong.
  CProcessor* p = bench.Sdk().cpuInterface->GetProcessor(0);
  EXPECT_EQ(p->GetCoreClock(0), -1.0f);
  EXPECT_EQ(bench.Sdk().cpuInterface->busClock, -1.0f);
}

TEST(PackagePower, NehalemModelFollowsTheRatioAndSandyBridgeCountsEnergy) {
  {
    CpuTestBench bench(emu::NehalemBloomfieldI7_920());
    ASSERT_TRUE(bench.Sdk().CreateACPIInterface(0, 0, 0x7FFFFFFF));
    ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
    CProcessor* p = bench.Sdk().cpuInterface->GetProcessor(0);
    // TDP 130 W, TDC 95 A, v = 1.0, ratio 22/20: d = 95, 95 * 1.331 + 35.
    EXPECT_NEAR(p->packageValue, 95 * 1.1 * 1.1 * 1.1 + 35, 0.01);
  }
  {
    ResetEnergySamples();
    CpuTestBench bench(emu::SandyBridgeI7_2600K());
    ASSERT_TRUE(bench.Sdk().CreateACPIInterface(0, 0, 0x7FFFFFFF));
    ASSERT_NE(bench.Sdk().FindTimer(TIMER_HPET), nullptr);
    ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
    CProcessor* p = bench.Sdk().cpuInterface->GetProcessor(0);
    CCPUThread* t = p->FirstThread();
    // The first update after start only stores the counter pairs.
    EXPECT_EQ(p->packageValue, -1.0f);
    bench.machine->Sleep(1000);
    bench.Sdk().cpuInterface->Refresh();
    // 60 W counted in 2^-16 J units, read as 15.3 uJ per count.
    const double scale = 15.3e-6 * 65536.0;
    ASSERT_NE(t->packagePower, nullptr);
    EXPECT_NEAR(t->packagePower->value, 60.0 * scale, 0.6);
    EXPECT_NEAR(t->coresPower->value, 42.0 * scale, 0.5);
    EXPECT_NEAR(p->packageValue, 3.0 * scale, 0.1);
    ASSERT_NE(t->packageTemperature, nullptr);
    EXPECT_FLOAT_EQ(t->packageTemperature->value, 45.0f);
  }
}

}  // namespace
