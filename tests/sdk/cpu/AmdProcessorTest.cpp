// The AMD families: identification and topology of the emulated Phenom II,
// clocks from the time-stamp counter at P0 and performance counter 0, the
// P-state ratio controls, and the naming rows.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sdk/cpu/AmdFamilies.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/FIDVID_Control.h"
#include "sdk/cpu/IntelNaming.h"
#include "tests/sdk/cpu/CpuTestBench.h"

namespace {

constexpr double kRefMHz = 200.0;

// A Phenom II machine with the processor interface created (one refresh ran).
class PhenomTest : public ::testing::Test {
 protected:
  PhenomTest() : bench(emu::PhenomIIX4_955()) {}
  void SetUp() override {
    ASSERT_TRUE(bench.Sdk().CreateACPIInterface(0x27F0AF90, 0, 0x7FFFFFFF));
    ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
    cpu = bench.Sdk().cpuInterface;
    ASSERT_NE(cpu, nullptr);
  }
  CCPUThread* FirstThread() const { return cpu->threads->head->item; }
  // Every core at `mhz` (within 0.1 %) with multiplier `ratio`; the counter
  // measurement agrees when `measured` is set.
  void ExpectCores(double mhz, float ratio, bool measured = true) {
    CProcessor* p = cpu->GetProcessor(0);
    for (int c = 0; c < p->GetNumberOfCores(); ++c) {
      EXPECT_NEAR(p->GetCoreClock(c), mhz, mhz * 0.001) << "core " << c;
      if (measured) {
        EXPECT_NEAR(p->GetCore(c)->measuredClock, mhz, mhz * 0.001) << "core " << c;
      }
      EXPECT_FLOAT_EQ(p->GetCoreMultiplier(c), ratio) << "core " << c;
    }
  }

  CpuTestBench bench;
  CCPUInterface* cpu = nullptr;
};

TEST_F(PhenomTest, IdentifiesVendorFamilyTopologyCachesAndName) {
  EXPECT_EQ(cpu->processorCount, 1);
  EXPECT_EQ(cpu->logicalCount, 4);
  CProcessor* p = cpu->GetProcessor(0);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetNumberOfCores(), 4);
  EXPECT_EQ(p->GetNumberOfThreads(), 4);
  EXPECT_STREQ(p->GetName(), "AMD Phenom II X4 955");
  EXPECT_STREQ(p->GetCodeName(), "Deneb");
  EXPECT_STREQ(p->GetPackageName(), "Socket AM3 (938)");
  // Private level-2 caches, one shared level-3 cache.
  EXPECT_EQ(p->GetNumberOfCaches(2, CACHE_UNIFIED), 4);
  EXPECT_EQ(p->GetNumberOfCaches(3, CACHE_UNIFIED), 1);

  int index = 0;
  for (CCPUThread* t : Items(cpu->threads)) {
    EXPECT_STREQ(t->vendor, "AuthenticAMD");
    EXPECT_EQ(t->extFamily, 16);
    EXPECT_EQ(t->extModel, 4);
    EXPECT_EQ(FamilyOf(t->typeCode), static_cast<uint32_t>(CPU_AMD_K10));
    EXPECT_EQ(t->typeCode, 0x02004003u);
    EXPECT_NE(dynamic_cast<AMD_K10_Infos*>(t->familyInfos), nullptr);
    EXPECT_EQ(t->apicId, index);
    EXPECT_EQ(t->packageId, 0);
    EXPECT_EQ(t->coreId, index);
    EXPECT_EQ(t->smtId, 0);
    EXPECT_EQ(t->logicalPerPackage, 4);
    EXPECT_EQ(t->coresPerPackage, 4);
    EXPECT_EQ(t->ratedMHz, 3200);
    EXPECT_STREQ(t->revisionName, "RB-C2");
    EXPECT_FLOAT_EQ(t->maxRatio, 16.0f);
    EXPECT_FLOAT_EQ(t->minRatio, 4.0f);
    ++index;
  }
  struct CacheRow {
    int level, type, sizeKB, ways, lineSize;
  } rows[] = {{1, CACHE_DATA, 64, 2, 64}, {1, CACHE_INSTRUCTION, 64, 2, 64}, {2, CACHE_UNIFIED, 512, 16, 64},
              {3, CACHE_UNIFIED, 6144, 48, 64}};
  for (const CacheRow& r : rows) {
    CCacheDescriptor* c = FirstThread()->FindCache(r.level, r.type);
    ASSERT_NE(c, nullptr) << "L" << r.level << " type " << r.type;
    EXPECT_EQ(c->sizeKB, r.sizeKB) << "L" << r.level << " type " << r.type;
    EXPECT_EQ(c->ways, r.ways) << "L" << r.level << " type " << r.type;
    EXPECT_EQ(c->lineSize, r.lineSize) << "L" << r.level << " type " << r.type;
  }
}

TEST_F(PhenomTest, BusClockComesFromTheTimeStampCounterAtP0WhateverTheCurrentPState) {
  EXPECT_NEAR(cpu->busClock, kRefMHz, kRefMHz * 0.001);
  ExpectCores(kRefMHz * 16, 16.0f);

  // A raised reference clock moves the bus clock and, through it, the core
  // clock. The counter measurement keeps the time-stamp counter frequency
  // of its first calibration, so it is not compared here.
  bench.machine->SetBclkMHz(210.0);
  cpu->Refresh();
  EXPECT_NEAR(cpu->busClock, 210.0, 210.0 * 0.001);
  ExpectCores(210.0 * 16, 16.0f, false);

  // P2 (10.5): the time-stamp counter stays at the P0 rate, so the bus
  // clock does not follow the multiplier; performance counter 0 sees 2100 MHz.
  bench.machine->SetBclkMHz(kRefMHz);
  FIDVID_Control* control = FirstThread()->GetRatioControl();
  ASSERT_NE(control, nullptr);
  ASSERT_TRUE(control->SetRatio(10.5f));
  cpu->Refresh();
  EXPECT_NEAR(cpu->busClock, kRefMHz, kRefMHz * 0.001);
  ExpectCores(kRefMHz * 10.5, 10.5f);

  // The counter's event select is put back after every measurement.
  for (auto& emulated : bench.machine->Cpus()) {
    uint64_t select = 1;
    ASSERT_TRUE(emulated->ReadMsr(0xC0010000, &select));
    EXPECT_EQ(select, 0u);
  }
}

TEST_F(PhenomTest, WithoutTscAtP0TheBusClockFallsBackToClockOverMultiplier) {
  for (auto& emulated : bench.machine->Cpus()) emulated->SetMsr(0xC0010015, 0x10);
  AMD_K10_Infos* k10 = dynamic_cast<AMD_K10_Infos*>(FirstThread()->familyInfos);
  ASSERT_NE(k10, nullptr);
  EXPECT_EQ(k10->GetBusClock(FirstThread()), -1.0f);
  cpu->Refresh();
  // Performance counter 0 at 3200 MHz over multiplier 16.
  EXPECT_NEAR(cpu->busClock, kRefMHz, kRefMHz * 0.001);
}

TEST_F(PhenomTest, PStateTableAndCofvidStatusRead) {
  FIDVID_Control* control = FirstThread()->GetRatioControl();
  ASSERT_NE(control, nullptr);
  ASSERT_TRUE(control->Refresh());
  ASSERT_EQ(control->count, 4);
  struct Row {
    int fid, vid, current;
    float ratio;
  } rows[] = {{16, 0x10, 86, 16.0f}, {9, 0x18, 66, 12.5f}, {5, 0x1E, 54, 10.5f}, {0x100, 0x2C, 28, 4.0f}};
  for (int i = 0; i < 4; ++i) {
    int fid = 0, vid = 0, current = 0;
    ASSERT_TRUE(control->GetPState(i, &fid, &vid, &current));
    EXPECT_EQ(fid, rows[i].fid) << "P" << i;
    EXPECT_EQ(vid, rows[i].vid) << "P" << i;
    EXPECT_EQ(current, rows[i].current) << "P" << i;
    EXPECT_FLOAT_EQ(control->RatioFromCode(fid), rows[i].ratio) << "P" << i;
  }
  int fid = 0, vid = 0, current = 0;
  EXPECT_FALSE(control->GetPState(4, &fid, &vid, &current));
  EXPECT_EQ(control->currentFid, 16);
  EXPECT_EQ(control->currentVid, 0x10);
  EXPECT_EQ(control->minFid, 0x100);
  EXPECT_FLOAT_EQ(control->MaxRatio(), 16.0f);
  EXPECT_EQ(control->maxVid, 0x0E);
  EXPECT_EQ(control->minVid, 0x40);
  EXPECT_FLOAT_EQ(control->CoreVoltage(), 1.35f);
}

// COFVID control as a register that keeps what is written and logs it.
struct CofvidLog {
  uint64_t value = 0x12345678ABC80000ull;
  bool readable = true;
  std::vector<uint64_t> writes;
};

void InstallCofvidControl(emu::EmulatedMachine& m, const std::shared_ptr<CofvidLog>& log) {
  for (auto& emulated : m.Cpus())
    emulated->SetMsrHandler(0xC0010070, emu::MsrHandler{[log](uint64_t* v) {
                                                           *v = log->value;
                                                           return log->readable;
                                                         },
                                                         [log](uint64_t v) {
                                                           log->value = v;
                                                           log->writes.push_back(v);
                                                           return true;
                                                         }});
}

TEST_F(PhenomTest, SetRatioRewritesOnlyTheCodeVidAndPStateFields) {
  K10_FIDVID_Control control;
  ASSERT_TRUE(control.Refresh());
  ASSERT_EQ(control.maxVid, 0x0E);
  struct Row {
    float ratio;
    uint32_t code;  // did << 6 | fid as written
  } rows[] = {{12.5f, 9}, {4.5f, 1u << 6 | 2}, {16.0f, 16}, {20.0f, 24}};
  for (const Row& r : rows) {
    auto log = std::make_shared<CofvidLog>();
    InstallCofvidControl(*bench.machine, log);
    ASSERT_TRUE(control.SetRatio(r.ratio)) << r.ratio;
    ASSERT_EQ(log->writes.size(), 2u) << r.ratio;
    const uint64_t kept = 0x12345678ABC80000ull;
    const uint64_t first = kept | 0x10000 | 0x0Eu << 9 | r.code;
    EXPECT_EQ(log->writes[0], first) << r.ratio;
    EXPECT_EQ(log->writes[1], first & ~0x70000ull) << r.ratio;
  }
  // A ratio with no code writes nothing.
  auto log = std::make_shared<CofvidLog>();
  InstallCofvidControl(*bench.machine, log);
  EXPECT_FALSE(control.SetRatio(40.0f));
  EXPECT_TRUE(log->writes.empty());
}

TEST_F(PhenomTest, UnreadableControlRegisterIsNeverWritten) {
  K10_FIDVID_Control control;
  ASSERT_TRUE(control.Refresh());
  auto log = std::make_shared<CofvidLog>();
  log->readable = false;
  InstallCofvidControl(*bench.machine, log);
  EXPECT_FALSE(control.SetRatio(12.5f));
  EXPECT_FALSE(control.SetVid(0x20));
  EXPECT_FALSE(control.SetFid(9));
  EXPECT_TRUE(log->writes.empty());
}

TEST_F(PhenomTest, UnreadVidKeepsTheRegistersAndCodesOutsideTheTableAreRefused) {
  // A control whose COFVID status was never read has no highest VID: the
  // ratio write keeps the VID the register holds instead of writing the
  // unset marker (masked to 0x7F, a code that switches the supply off).
  K10_FIDVID_Control fresh;
  ASSERT_EQ(fresh.maxVid, -1);
  auto log = std::make_shared<CofvidLog>();
  log->value = 0x12345678ABC81C10ull;  // VID 0x0E, code 16
  InstallCofvidControl(*bench.machine, log);
  ASSERT_TRUE(fresh.SetRatio(12.5f));
  ASSERT_EQ(log->writes.size(), 2u);
  EXPECT_EQ(log->writes[0], 0x12345678ABC91C09ull);
  EXPECT_EQ(log->writes[1], 0x12345678ABC81C09ull);

  struct Row {
    int vid;
    bool accepted;
  } rows[] = {{-1, false}, {124, false}, {127, false}, {128, false}, {0, true}, {123, true}, {0x20, true}};
  for (const Row& r : rows) {
    log->writes.clear();
    EXPECT_EQ(fresh.SetVid(r.vid), r.accepted) << r.vid;
    EXPECT_EQ(log->writes.empty(), !r.accepted) << r.vid;
    if (r.accepted) {
      EXPECT_EQ((log->writes[0] >> 9) & 0x7F, static_cast<uint64_t>(r.vid));
    }
  }
  // Ratio codes: the unset marker and codes beyond the divisor field.
  for (int code : {-1, 0x800, 0x40}) {
    log->writes.clear();
    EXPECT_FALSE(fresh.SetFid(code)) << code;
    EXPECT_TRUE(log->writes.empty()) << code;
  }
  // A highest VID read from the chip outside the table is not written either.
  fresh.maxVid = 126;
  log->writes.clear();
  EXPECT_FALSE(fresh.SetRatio(12.5f));
  EXPECT_TRUE(log->writes.empty());
}

TEST(AmdRatioCodes, LaterFamiliesConvertTheirOwnCodesAndAreReadOnly) {
  K7_FIDVID_Control k7;
  K12_FIDVID_Control k12;
  K14_FIDVID_Control k14;
  K15_FIDVID_Control k15;
  struct Row {
    const char* what;
    float got, expected;
  } rows[] = {
      {"K7 code 0", k7.RatioFromCode(0), 11.0f},
      {"K7 code 16", k7.RatioFromCode(16), 3.0f},
      {"K7 code 31", k7.RatioFromCode(31), 24.0f},
      {"K7 code 32", k7.RatioFromCode(32), -1.0f},
      {"K7 VID 14", k7.VoltageFromCode(14), 1.3f},
      {"K7 VID 15", k7.VoltageFromCode(15), -1.0f},
      {"K7 VID 16", k7.VoltageFromCode(16), 1.275f},
      {"K12 divisor 1.5", k12.RatioFromCode(0x110), 32 / 1.5f},
      {"K12 divisor 16", k12.RatioFromCode(0x810), 2.0f},
      {"K12 unknown divisor", k12.RatioFromCode(0x910), 32.0f},
      {"K14 divisor 4 at 4000 MHz", k14.RatioFromCode(0x300), 10.0f},
      {"K14 divisor 4.5", k14.RatioFromCode(0x302), 40.0f / 4.5f},
      {"K15 code 0x10A", k15.RatioFromCode(0x10A), 6.5f},
      {"K15 VID 0", k15.VoltageFromCode(0), 1.55f},
  };
  for (const Row& r : rows) EXPECT_FLOAT_EQ(r.got, r.expected) << r.what;
  for (K10_FIDVID_Control* c : std::initializer_list<K10_FIDVID_Control*>{&k12, &k14, &k15}) {
    EXPECT_FALSE(c->SetRatio(16.0f));
    EXPECT_FALSE(c->SetVid(0x10));
    EXPECT_FALSE(c->SetFid(0x10));
    EXPECT_EQ(c->CodeFromRatio(16.0f), -1);
  }
}

TEST(AmdRatioCodes, Family14hTakesItsReferenceFromCofvidStatusForItsPStates) {
  CpuTestBench bench(emu::PhenomIIX4_955());
  for (auto& emulated : bench.machine->Cpus()) {
    // Reference code 8: 2400 MHz. P0 divisor 1.5 (integer 0, quarters 2),
    // P1 divisor 3 (integer 2, quarters 0); P2 to P7 disabled.
    emulated->SetMsrHandler(0xC0010071, emu::MsrHandler{[](uint64_t* v) {
                                                           *v = 8ull << (32 + 17) | 0x12 << 9 | 0x002;
                                                           return true;
                                                         },
                                                         nullptr});
    emulated->SetMsr(0xC0010064, 0x8000000000000000ull | 0x12 << 9 | 0x002, false);
    emulated->SetMsr(0xC0010065, 0x8000000000000000ull | 0x20 << 9 | 2 << 4, false);
    for (uint32_t i = 2; i < 8; ++i) emulated->SetMsr(0xC0010064 + i, 0, false);
  }
  K14_FIDVID_Control k14;
  ASSERT_TRUE(k14.Refresh());
  EXPECT_EQ(k14.referenceMHz, 2400);
  ASSERT_EQ(k14.count, 2);
  EXPECT_EQ(k14.states[0]->frequency, 1600);
  EXPECT_EQ(k14.states[1]->frequency, 800);
  EXPECT_FLOAT_EQ(k14.CurrentRatio(), 16.0f);
  EXPECT_FLOAT_EQ(k14.MinRatio(), 8.0f);
  EXPECT_EQ(k14.maxFid, -1);
}

TEST(AmdFamilies, ExtendedFamilyChoosesTheFamilyObject) {
  struct Row {
    int extFamily;
    uint32_t typeCode;  // 0: no family object
  } rows[] = {{4, 0},           {5, CPU_AMD_K5},   {6, CPU_AMD_K6},   {7, CPU_AMD_K7},  {15, CPU_AMD_K8},
              {16, CPU_AMD_K10}, {17, CPU_AMD_K10}, {18, CPU_AMD_K12}, {19, 0},          {20, CPU_AMD_K14},
              {21, CPU_AMD_K15}, {22, 0}};
  for (const Row& r : rows) {
    CCPUInfos* infos = MakeAmdFamilyInfos(r.extFamily);
    EXPECT_EQ(infos ? infos->typeCode : 0u, r.typeCode) << r.extFamily;
    if (infos) {
      EXPECT_EQ(infos->level, INFOS_FAMILY) << r.extFamily;
    }
    delete infos;
  }
}

struct AmdNameCase {
  const NamingCase* const* cases;
  int extModel, stepping, ratedMHz, cores;
  const char* brand;
  const char* name;
  const char* codeName;
  int packageCode;
  uint32_t typeCode;
  const char* revision;
};

class AmdNamingTest : public ::testing::TestWithParam<AmdNameCase> {};

TEST_P(AmdNamingTest, RowGivesNameCodeNamePackageAndRevision) {
  const AmdNameCase& c = GetParam();
  CCPUThread t(0);
  t.extModel = c.extModel;
  t.stepping = c.stepping;
  t.ratedMHz = c.ratedMHz;
  t.coresPerPackage = c.cores;
  std::snprintf(t.name, sizeof(t.name), "AMD family");
  std::snprintf(t.specification, sizeof(t.specification), "%s", c.brand);
  ApplyNamingCases(&t, *c.cases, 0);
  EXPECT_STREQ(t.name, c.name);
  EXPECT_STREQ(t.codeName, c.codeName);
  EXPECT_EQ(t.packageCode, c.packageCode);
  EXPECT_EQ(t.typeCode, c.typeCode);
  EXPECT_STREQ(t.revisionName, c.revision);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AmdNamingTest,
    ::testing::Values(
        // table, ext model, stepping, MHz, cores, brand -> name, code name, package, type, revision
        AmdNameCase{&kAmdK10Cases, 4, 2, 3200, 4, "AMD Phenom(tm) II X4 955 Processor", "AMD Phenom II X4 955",
                    "Deneb", 0x10024, 0x02004003, "RB-C2"},
        AmdNameCase{&kAmdK10Cases, 4, 3, 2800, 3, "AMD Phenom(tm) II X3 720 Processor", "AMD Phenom II X3 720",
                    "Heka", 0x10024, 0x0200400C, "RB-C3"},
        AmdNameCase{&kAmdK10Cases, 4, 2, 2700, 4, "Quad-Core AMD Opteron(tm) Processor 2384", "AMD Opteron",
                    "Shanghai", 0x1002B, 0x02004004, "RB-C2"},
        AmdNameCase{&kAmdK10Cases, 2, 3, 2500, 4, "AMD Phenom(tm) 9850 Quad-Core Processor", "AMD Phenom X4 9850",
                    "Agena", 0x10022, 0x02004002, "DR-B3"},
        AmdNameCase{&kAmdK10Cases, 10, 0, 3200, 6, "AMD Phenom(tm) II X6 1090T Processor",
                    "AMD Phenom II X6 1090T", "Thuban", 0x10024, 0x0200400B, "PH-E0"},
        AmdNameCase{&kAmdK10Cases, 6, 3, 3000, 2, "AMD Athlon(tm) II X2 250 Processor", "AMD Athlon II X2 250",
                    "Regor", 0x10024, 0x02004007, "DA-C3"},
        // A rated frequency outside the list leaves the family name without a number.
        AmdNameCase{&kAmdK10Cases, 4, 2, 3300, 4, "AMD Phenom(tm) II X4 B55 Processor", "AMD Phenom II", "Deneb",
                    0x10024, 0x02004003, "RB-C2"},
        AmdNameCase{&kAmdK8Cases, 0x6B, 2, -1, 2, "AMD Athlon(tm) 64 X2 Dual Core Processor 5000+",
                    "AMD Athlon 64 X2", "Brisbane", 0x1000A, 0x02002007, ""},
        AmdNameCase{&kAmdK7Cases, 10, 0, -1, 1, "AMD Athlon(tm) XP 3200+", "AMD Athlon XP", "Barton", 0x10006,
                    0x02001008, ""},
        AmdNameCase{&kAmdK12Cases, 1, 0, 2900, 4, "AMD A8-3850 APU with Radeon(tm) HD Graphics", "AMD A8-3850",
                    "Llano", 0x10038, 0x02040001, ""},
        AmdNameCase{&kAmdK14Cases, 1, 0, 1600, 2, "AMD E-350 Processor", "AMD E-350", "Zacate", 0x10034,
                    0x02010001, ""},
        AmdNameCase{&kAmdK15Cases, 1, 2, 3600, 8, "AMD FX(tm)-8150 Eight-Core Processor", "AMD FX-8150",
                    "Zambezi", 0x10036, 0x02020001, "OR-B2"},
        AmdNameCase{&kAmdK15Cases, 2, 0, 4000, 8, "AMD FX(tm)-8350 Eight-Core Processor", "AMD FX-8350",
                    "Vishera", 0x10036, 0x02020003, "OR-C0"},
        // An unlisted model keeps the family-level name.
        AmdNameCase{&kAmdK15Cases, 0x30, 1, 3700, 4, "AMD A10-7850K Radeon R7", "AMD family", "", -1, 0, ""}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

}  // namespace
