// Ratio codes, the Core 2 status layout and the turbo controls of Nehalem
// and Sandy Bridge on the emulated processors.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "emu/PciFunction.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/FIDVID_Control.h"
#include "sdk/cpu/TurboControl.h"
#include "tests/sdk/cpu/CpuTestBench.h"

namespace {

TEST(RatioCodes, ConvertLikeEachFamilyEncodesThem) {
  K8_FIDVID_Control k8;
  K8_FIDVID_Control am2(true);
  K10_FIDVID_Control k10;
  K10_FIDVID_Control k11(8);
  Core_2_FIDVID_Control core2(false);
  Nehalem_FIDVID_Control nehalem;
  Sandy_Bridge_FIDVID_Control sandy;
  struct Row {
    const char* what;
    float got, expected;
  } rows[] = {
      {"K8 code 42", k8.RatioFromCode(42), 25.0f},
      {"K8 code 43", k8.RatioFromCode(43), -1.0f},
      {"K8 VID 30", k8.VoltageFromCode(30), 0.8f},
      {"K8 VID 31", k8.VoltageFromCode(31), -1.0f},
      {"AM2 VID 32", am2.VoltageFromCode(32), 0.7625f},
      {"AM2 VID 63", am2.VoltageFromCode(63), 0.375f},
      {"K10 code 0x102", k10.RatioFromCode(0x102), 4.5f},
      {"K10 code -1", k10.RatioFromCode(-1), -1.0f},
      {"K10 VID 124", k10.VoltageFromCode(124), 0.0f},
      {"K11 code 0x002", k11.RatioFromCode(0x002), 5.0f},
      {"Core 2 code 21", core2.RatioFromCode(21), 10.5f},
      {"Core 2 desktop VID 20", core2.VoltageFromCode(20), 1.075f},
      {"Nehalem VID 0", nehalem.VoltageFromCode(0), 1.6125f},
      {"Sandy Bridge VID 0x2666", sandy.VoltageFromCode(0x2666), 0x2666 / 8192.0f},
  };
  for (const Row& r : rows) EXPECT_FLOAT_EQ(r.got, r.expected) << r.what;
  EXPECT_EQ(k10.CodeFromRatio(9), 0x102);
  EXPECT_EQ(k10.CodeFromRatio(80), -1);
  EXPECT_EQ(k10.CodeFromRatio(0), -1);
  EXPECT_EQ(k10.CodeFromRatio(16), 0x000);
}

TEST(RatioCodes, Core2StatusCarriesTheHalfRatioBit) {
  CpuTestBench bench(emu::NehalemBloomfieldI7_920());
  for (auto& cpu : bench.machine->Cpus()) {
    cpu->SetMsrHandler(0x198, emu::MsrHandler{[](uint64_t* v) {
                                                *v = 0x4A06ull | 0x0E00ull << 32;
                                                return true;
                                              },
                                              nullptr});
  }
  Core_2_FIDVID_Control c(false);
  ASSERT_TRUE(c.Refresh());
  EXPECT_EQ(c.currentFid, 21);
  EXPECT_FLOAT_EQ(c.CurrentRatio(), 10.5f);
  EXPECT_EQ(c.maxFid, 28);
  EXPECT_EQ(c.currentVid, 6);
}

TEST(RatioCodes, Core2WritesNoVidItNeverReadAndRefusesCodesOutsideItsTable) {
  CpuTestBench bench(emu::NehalemBloomfieldI7_920());
  auto control = std::make_shared<uint64_t>(0x0000000000000A25ull);  // ratio 10, VID 0x25
  auto writes = std::make_shared<std::vector<uint64_t>>();
  for (auto& cpu : bench.machine->Cpus()) {
    cpu->SetMsrHandler(0x198, emu::MsrHandler{[](uint64_t* v) {
                                                *v = 0x0A20ull | 0x0E2Cull << 32;
                                                return true;
                                              },
                                              nullptr});
    cpu->SetMsrHandler(0x199, emu::MsrHandler{[control](uint64_t* v) {
                                                *v = *control;
                                                return true;
                                              },
                                              [control, writes](uint64_t v) {
                                                *control = v;
                                                writes->push_back(v);
                                                return true;
                                              }});
  }
  Core_2_FIDVID_Control c(false);
  ASSERT_EQ(c.maxVid, -1);
  ASSERT_TRUE(c.SetRatio(9.5f));
  ASSERT_EQ(writes->size(), 1u);
  EXPECT_EQ(writes->back(), 0x4925ull);  // VID 0x25 kept, not 0x3F

  ASSERT_TRUE(c.Refresh());
  ASSERT_EQ(c.maxVid, 0x2C);
  ASSERT_TRUE(c.SetRatio(11.0f));
  EXPECT_EQ(writes->back(), 0x0B2Cull);

  writes->clear();
  for (int vid : {-1, 64}) EXPECT_FALSE(c.SetVid(vid)) << vid;
  for (int code : {-1, 0, 64}) EXPECT_FALSE(c.SetFid(code)) << code;
  for (float ratio : {-1.0f, 0.0f, 32.0f}) EXPECT_FALSE(c.SetRatio(ratio)) << ratio;
  EXPECT_TRUE(writes->empty());
  EXPECT_TRUE(c.SetVid(63));
  EXPECT_EQ(writes->back(), 0x0B3Full);
}

// ------------------------------------------------------------------ turbo

class NehalemTurboTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bench.Sdk().CreateACPIInterface(0, 0, 0x7FFFFFFF));
    ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
    p = bench.Sdk().cpuInterface->GetProcessor(0);
    ASSERT_NE(p, nullptr);
  }
  uint64_t StoredTurbo() {
    uint64_t v = 0;
    bench.machine->Cpus()[0]->ReadMsr(0x1AD, &v);
    return v;
  }
  CpuTestBench bench{emu::NehalemBloomfieldI7_920()};
  CProcessor* p = nullptr;
};

TEST_F(NehalemTurboTest, LimitsReadAndWriteBackAndMoveTheMeasuredClock) {
  TurboLimits read;
  ASSERT_TRUE(ReadTurboLimits(p, &read));
  const int expected[6] = {22, 21, 21, 21, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(read.ratio[i], expected[i]);

  TurboLimits write;
  const int profile[6] = {30, 29, 28, 27, 26, 25};
  for (int i = 0; i < 6; ++i) write.ratio[i] = profile[i];
  ASSERT_TRUE(WriteTurboLimits(p, write));
  EXPECT_EQ(StoredTurbo(), 0x0000191A1B1C1D1Eull);

  bench.Sdk().cpuInterface->Refresh();
  EXPECT_NEAR(p->GetCoreClock(0), 133.33 * 30, 133.33 * 30 * 0.001);
}

TEST_F(NehalemTurboTest, UnsetEntriesKeepTheRegisterBytes) {
  TurboLimits write;
  write.ratio[1] = 24;
  ASSERT_TRUE(WriteTurboLimits(p, write));
  // Only byte 1 changed; no byte became the unset marker 0xFF.
  EXPECT_EQ(StoredTurbo(), 0x0000000015151816ull);
}

TEST_F(NehalemTurboTest, SwitchTogglesOnlyTheDisengageBit) {
  uint64_t before = 0, after = 0;
  bench.machine->Cpus()[0]->ReadMsr(0x1A0, &before);
  bool enabled = false;
  ASSERT_TRUE(ReadTurboSwitch(p, &enabled));
  EXPECT_TRUE(enabled);

  ASSERT_TRUE(WriteTurboSwitch(p, false));
  bench.machine->Cpus()[0]->ReadMsr(0x1A0, &after);
  EXPECT_EQ(after, before | 1ull << 38);
  bench.Sdk().cpuInterface->Refresh();
  EXPECT_NEAR(p->GetCoreClock(0), 133.33 * 20, 133.33 * 20 * 0.001);

  ASSERT_TRUE(WriteTurboSwitch(p, true));
  bench.machine->Cpus()[0]->ReadMsr(0x1A0, &after);
  EXPECT_EQ(after, before);
}

TEST_F(NehalemTurboTest, AFailingRegisterReadWritesNothing) {
  for (auto& cpu : bench.machine->Cpus()) cpu->SetMsrHandler(0x1AD, {});
  TurboLimits write;
  write.ratio[0] = 30;
  EXPECT_FALSE(WriteTurboLimits(p, write));
  TurboLimits read;
  EXPECT_FALSE(ReadTurboLimits(p, &read));
  EXPECT_EQ(read.ratio[0], kTurboUnset);
}

class SandyBridgeTurboTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The host bridge reports the memory controller hub window.
    auto& host = bench.machine->AddPciFunction(std::make_unique<emu::PciFunction>(0, 0, 0, 0x8086, 0x0100, 0x06000009));
    host.Set32(0x48, emu::SandyBridgeI7_2600K().mchbar | 1);
    ASSERT_TRUE(bench.Sdk().CreateACPIInterface(0, 0, 0x7FFFFFFF));
    ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
    p = bench.Sdk().cpuInterface->GetProcessor(0);
  }
  uint32_t Register() {
    uint32_t v = 0;
    bench.machine->RawPhysicalRead(emu::SandyBridgeI7_2600K().mchbar + 0x5990, &v, 4);
    return v;
  }
  CpuTestBench bench{emu::SandyBridgeI7_2600K()};
  CProcessor* p = nullptr;
};

TEST_F(SandyBridgeTurboTest, OneRatioOnAllSlidersAndOnlyTheFirstIsWritten) {
  TurboLimits read;
  ASSERT_TRUE(ReadTurboLimits(p, &read));
  for (int r : read.ratio) EXPECT_EQ(r, 38);

  TurboLimits write;
  const int profile[6] = {42, 41, 40, 39, 0, 0};
  for (int i = 0; i < 6; ++i) write.ratio[i] = profile[i];
  ASSERT_TRUE(WriteTurboLimits(p, write));
  EXPECT_EQ(Register() & 0xFF, 42u);
  bench.Sdk().cpuInterface->Refresh();
  EXPECT_NEAR(p->GetCoreClock(0), 4200.0, 4.2);

  TurboLimits unset;
  EXPECT_FALSE(WriteTurboLimits(p, unset));
  EXPECT_EQ(Register() & 0xFF, 42u);
}

TEST_F(SandyBridgeTurboTest, ALockedRegisterIsNeitherShownNorWritten) {
  uint32_t locked = Register() | 0x80000000u;
  bench.machine->RawPhysicalWrite(emu::SandyBridgeI7_2600K().mchbar + 0x5990, &locked, 4);
  TurboLimits read;
  EXPECT_FALSE(ReadTurboLimits(p, &read));
  TurboLimits write;
  write.ratio[0] = 44;
  EXPECT_FALSE(WriteTurboLimits(p, write));
  EXPECT_EQ(Register() & 0xFF, 38u);
}

}  // namespace
