// The IA32_PERF_STATUS ratio controls of Netburst, Pentium M, Core, Atom,
// VIA C7 and Nano: status decoding, the writes the families allow, the
// family objects that attach them; the firmware's PowerNow! table on K8.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/FIDVID_Control.h"
#include "sdk/cpu/IntelFamilies.h"
#include "sdk/cpu/ViaFamilies.h"
#include "tests/sdk/cpu/CpuTestBench.h"

namespace {

// Every logical processor of the bench answers `status` for IA32_PERF_STATUS
// and keeps IA32_PERF_CTL in `control`, recording the writes.
struct PerfRegisters {
  explicit PerfRegisters(CpuTestBench& bench, uint64_t statusValue, uint64_t controlValue = 0)
      : status(std::make_shared<uint64_t>(statusValue)), control(std::make_shared<uint64_t>(controlValue)) {
    auto s = status;
    auto c = control;
    auto w = writes;
    for (auto& cpu : bench.machine->Cpus()) {
      cpu->SetMsrHandler(0x198, emu::MsrHandler{[s](uint64_t* v) {
                                                  *v = *s;
                                                  return true;
                                                },
                                                nullptr});
      cpu->SetMsrHandler(0x199, emu::MsrHandler{[c](uint64_t* v) {
                                                  *v = *c;
                                                  return true;
                                                },
                                                [c, w](uint64_t v) {
                                                  *c = v;
                                                  w->push_back(v);
                                                  return true;
                                                }});
    }
  }
  std::shared_ptr<uint64_t> status, control;
  std::shared_ptr<std::vector<uint64_t>> writes = std::make_shared<std::vector<uint64_t>>();
};

struct StatusRow {
  const char* family;
  std::function<FIDVID_Control*()> make;
  uint64_t status;
  float current, minimum, maximum, volts;
};

// Status values laid out as the processor manuals give IA32_PERF_STATUS for
// each family (VIA C7: as the kernel's e_powersaver driver reads it).
TEST(SpeedStepStatus, EachFamilyDecodesItsLayout) {
  const StatusRow rows[] = {
      // Pentium 4 6xx: ratio 14 at VID 0x1A now, highest 18 at VID 0x30; the lowest ratio is fixed at 14.
      {"Netburst", [] { return new Netburst_FIDVID_Control(); }, 0x0000123000000E1Aull, 14, 14, 18, 1.116f},
      // Pentium M 755: ratio 6 at VID 0x12, highest 20; the lowest ratio is fixed at 6.
      {"Pentium M", [] { return new Mobile_FIDVID_Control(); }, 0x0000142900000612ull, 6, 6, 20, 0.988f},
      // Core Duo T2500: ratio 10 at VID 0x1C, lowest 6 (bits 28:24), highest 12.
      {"Core", [] { return new Core_FIDVID_Control(); }, 0x00000C2A06000A1Cull, 10, 6, 12, 1.0625f},
      // Atom N270: the Core 2 layout, mobile VIDs: 12 at VID 0x26, lowest 6, highest 12.
      {"Atom", [] { return new Core_2_FIDVID_Control(true); }, 0x00000C2C06000C26ull, 12, 6, 12, 1.1875f},
      // C7: ratio 10 at VID 15; highest 15 at VID 0x19, lowest 4 at VID 5 in the high half.
      {"C7", [] { return new C7_FIDVID_Control(); }, 0x04050F1900000A0Full, 10, 4, 15, 0.94f},
      // Nano: half-ratio codes 16 (now), 10 (lowest), 24 (highest); no VID conversion.
      {"Nano", [] { return new CNA_FIDVID_Control(); }, 0x000018000A001000ull, 8, 5, 12, -1.0f},
  };
  CpuTestBench bench(emu::NehalemBloomfieldI7_920());
  PerfRegisters regs(bench, 0);
  for (const StatusRow& r : rows) {
    *regs.status = r.status;
    std::unique_ptr<FIDVID_Control> c(r.make());
    ASSERT_TRUE(c->Refresh()) << r.family;
    EXPECT_FLOAT_EQ(c->CurrentRatio(), r.current) << r.family;
    EXPECT_FLOAT_EQ(c->MinRatio(), r.minimum) << r.family;
    EXPECT_FLOAT_EQ(c->MaxRatio(), r.maximum) << r.family;
    EXPECT_NEAR(c->CoreVoltage(), r.volts, 1e-4) << r.family;
  }
}

TEST(SpeedStepStatus, AFailedReadKeepsTheCodes) {
  CpuTestBench bench(emu::NehalemBloomfieldI7_920());
  PerfRegisters regs(bench, 0x0000123000000E1Aull);
  Netburst_FIDVID_Control c;
  ASSERT_TRUE(c.Refresh());
  bench.machine->Faults().Add({.kind = emu::AccessKind::Msr, .address = 0x198});
  EXPECT_FALSE(c.Refresh());
  EXPECT_EQ(c.currentFid, 14);
  EXPECT_EQ(c.maxFid, 18);
}

// Writes replace only the family's field of IA32_PERF_CTL; codes the field
// cannot hold are refused before anything is written; C7 and Nano write
// nothing.
TEST(SpeedStepWrites, OnlyTheFieldChangesAndCodesOutsideItAreRefused) {
  struct Row {
    const char* family;
    std::function<FIDVID_Control*()> make;
    int fid, vid;
    uint64_t afterFid, afterVid;  // IA32_PERF_CTL after each write, from kControl
    std::vector<int> badFids, badVids;
  };
  constexpr uint64_t kControl = 0xABCD00000000ABCDull;
  const Row rows[] = {
      {"Netburst", [] { return new Netburst_FIDVID_Control(); }, 0x11, 0x2A, 0xABCD0000000011CDull,
       0xABCD00000000AB2Aull, {-1, 256}, {-1, 256}},
      {"Pentium M", [] { return new Mobile_FIDVID_Control(); }, 0x0C, 0x20, 0xABCD000000000CCDull,
       0xABCD00000000AB20ull, {-1, 256}, {-1, 256}},
      {"Core", [] { return new Core_FIDVID_Control(); }, 0x0B, 0x21, (0xABCD00000000ABCDull & ~0x1F00ull) | 0x0B00,
       (0xABCD00000000ABCDull & ~0x3Full) | 0x21, {-1, 0, 32}, {-1, 64}},
  };
  CpuTestBench bench(emu::NehalemBloomfieldI7_920());
  PerfRegisters regs(bench, 0x0000123000000E1Aull, kControl);
  for (const Row& r : rows) {
    std::unique_ptr<FIDVID_Control> c(r.make());
    regs.writes->clear();
    for (int f : r.badFids) EXPECT_FALSE(c->SetFid(f)) << r.family << " fid " << f;
    for (int v : r.badVids) EXPECT_FALSE(c->SetVid(v)) << r.family << " vid " << v;
    EXPECT_TRUE(regs.writes->empty()) << r.family;
    *regs.control = kControl;
    ASSERT_TRUE(c->SetFid(r.fid)) << r.family;
    EXPECT_EQ(*regs.control, r.afterFid) << r.family;
    *regs.control = kControl;
    ASSERT_TRUE(c->SetVid(r.vid)) << r.family;
    EXPECT_EQ(*regs.control, r.afterVid) << r.family;
  }
  regs.writes->clear();
  for (FIDVID_Control* c : std::initializer_list<FIDVID_Control*>{new C7_FIDVID_Control(), new CNA_FIDVID_Control()}) {
    EXPECT_FALSE(c->SetFid(10));
    EXPECT_FALSE(c->SetVid(10));
    EXPECT_FALSE(c->SetRatio(10.0f));
    delete c;
  }
  EXPECT_TRUE(regs.writes->empty());
}

TEST(SpeedStepWrites, AnUnreadableControlRegisterIsNeverWritten) {
  CpuTestBench bench(emu::NehalemBloomfieldI7_920());
  PerfRegisters regs(bench, 0x0000123000000E1Aull, 0x0E1A);
  bench.machine->Faults().Add({.kind = emu::AccessKind::Msr, .address = 0x199});
  Netburst_FIDVID_Control c;
  EXPECT_FALSE(c.SetFid(0x10));
  EXPECT_TRUE(regs.writes->empty());
}

// The family objects attach their control in Probe, only on parts with
// enhanced SpeedStep, and answer the multiplier from it.
TEST(SpeedStepFamilies, ProbeAttachesTheControlOnlyWithEnhancedSpeedStep) {
  struct Row {
    const char* family;
    std::function<CCPUInfos*()> make;
    uint64_t status;
    float current, maximum;
  } rows[] = {
      {"Netburst", [] { return new Intel_Netburst_Infos(); }, 0x0000123000000E1Aull, 14, 18},
      {"Pentium M", [] { return new Intel_Mobile_Infos(); }, 0x0000142900000612ull, 6, 20},
      {"Core", [] { return new Intel_Core_Infos(); }, 0x00000C2A06000A1Cull, 10, 12},
      {"Atom", [] { return new Intel_Atom_Infos(); }, 0x00000C2C06000C26ull, 12, 12},
      {"C7", [] { return new VIA_C7_Infos(); }, 0x04050F1900000A0Full, 10, 15},
      {"Nano", [] { return new VIA_CNA_Infos(); }, 0x000018000A001000ull, 8, 12},
  };
  CpuTestBench bench(emu::NehalemBloomfieldI7_920());
  PerfRegisters regs(bench, 0);
  for (const Row& r : rows) {
    *regs.status = r.status;
    for (bool speedStep : {true, false}) {
      CCPUThread t(0);
      t.maxStandardLeaf = 1;
      t.featuresECX = speedStep ? 0x80 : 0;
      t.AttachFamilyInfos(r.make());
      if (!speedStep) {
        EXPECT_EQ(t.GetRatioControl(), nullptr) << r.family;
        EXPECT_FLOAT_EQ(t.maxRatio, -1.0f) << r.family;
        continue;
      }
      ASSERT_NE(t.GetRatioControl(), nullptr) << r.family;
      EXPECT_FLOAT_EQ(t.maxRatio, r.maximum) << r.family;
      EXPECT_FLOAT_EQ(t.GetMultiplier(), r.current) << r.family;
      EXPECT_FLOAT_EQ(t.currentRatio, r.current) << r.family;
    }
  }
}

TEST(SpeedStepFamilies, TheVendorsChooseThemByFamilyAndModel) {
  CpuTestBench bench(emu::NehalemBloomfieldI7_920());
  PerfRegisters regs(bench, 0x0000123000000E1Aull);
  struct Row {
    bool via;
    int extFamily, extModel;
    uint32_t typeCode;
    const char* name;
  } rows[] = {
      {false, 15, 2, CPU_INTEL_NETBURST, "Intel Netburst"}, {false, 6, 9, CPU_INTEL_MOBILE, "Intel Mobile"},
      {false, 6, 13, CPU_INTEL_MOBILE, "Intel Mobile"},     {false, 6, 14, CPU_INTEL_CORE, "Intel Core"},
      {false, 6, 28, CPU_INTEL_ATOM, "Intel Atom"},         {true, 6, 10, 0x08001003, "VIA C7"},
      {true, 6, 15, 0x08002001, "VIA Nano"},
  };
  for (const Row& r : rows) {
    CCPUThread t(0);
    t.maxStandardLeaf = 1;
    t.featuresECX = 0x80;
    t.extFamily = r.extFamily;
    t.extModel = r.extModel;
    r.via ? ClassifyViaFamily(&t) : ClassifyIntelFamily(&t);
    EXPECT_EQ(t.typeCode, r.typeCode) << r.name;
    EXPECT_STREQ(t.name, r.name);
    EXPECT_NE(t.GetRatioControl(), nullptr) << r.name;
  }
}

// ------------------------------------------------------------------ PowerNow!

// An Athlon 64 X2 (K8, revision G) stand-in: the emulated AMD core with a K8
// signature and FID/VID control, its status register answering ratio 9 of 11.
emu::CpuDescription AthlonX2() {
  emu::CpuDescription c = emu::PhenomIIX4_955();
  c.name = "Athlon 64 X2 5000+ (Brisbane)";
  c.brand = "AMD Athlon(tm) 64 X2 Dual Core Processor 5000+";
  c.signature = 0x00060FB2;
  c.coresPerPackage = 2;
  c.coreShift = 1;
  c.powerManagementEdx = 0x6;  // FID and VID control
  c.caches = {{1, 1, 64, 2, 1}, {1, 2, 64, 2, 1}, {2, 3, 512, 16, 1}};
  return c;
}

TEST(PowerNowTable, ReachesEveryThreadsRatioControlWithinTheScannedBlock) {
  struct Row {
    const char* what;
    uint32_t address;
    uint8_t declared;
    int expected;
  } rows[] = {
      {"three states", 0xF0010, 3, 3},
      // The header's count runs past the end of the BIOS area: only the
      // four pairs the block holds are taken.
      {"count past the block", 0xFFFE0, 200, 4},
  };
  for (const Row& r : rows) {
    CpuTestBench bench(AthlonX2());
    for (auto& cpu : bench.machine->Cpus())
      cpu->SetMsrHandler(0xC0010042, emu::MsrHandler{[](uint64_t* v) {
                                                       *v = 0x00120E0Eull << 32 | 0x000E0A0Aull;
                                                       return true;
                                                     },
                                                     nullptr});
    uint8_t table[24 + 8] = {'A', 'M', 'D', 'K', '7', 'P', 'N', 'O', 'W', '!'};
    table[23] = r.declared;
    const uint8_t pairs[8] = {0x0E, 0x08, 0x0A, 0x0C, 0x02, 0x12, 0x00, 0x14};
    std::memcpy(table + 24, pairs, sizeof(pairs));
    bench.machine->LoadPhysical(r.address, table, sizeof(table));
    ASSERT_TRUE(bench.Sdk().CreateACPIInterface(0, 0, 0x7FFFFFFF));
    ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
    CCPUInterface* cpu = bench.Sdk().cpuInterface;
    EXPECT_EQ(FamilyOf(cpu->GetProcessor(0)->GetTypeCode()), static_cast<uint32_t>(CPU_AMD_K8)) << r.what;
    ASSERT_EQ(cpu->powerNowCount, r.expected) << r.what;
    for (CCPUThread* t : Items(cpu->threads)) {
      FIDVID_Control* c = t->GetRatioControl();
      ASSERT_NE(c, nullptr) << r.what;
      EXPECT_FLOAT_EQ(c->CurrentRatio(), 9.0f) << r.what;
      ASSERT_EQ(c->count, r.expected) << r.what;
      int fid = 0, vid = 0, current = 0;
      ASSERT_TRUE(c->GetPState(1, &fid, &vid, &current)) << r.what;
      EXPECT_EQ(fid, 0x0A);
      EXPECT_EQ(vid, 0x0C);
      EXPECT_EQ(current, -1);
      EXPECT_FALSE(c->GetPState(r.expected, &fid, &vid, &current)) << r.what;
    }
  }
}

}  // namespace
