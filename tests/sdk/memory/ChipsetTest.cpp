// The chipset interface: bridge names, the memory-controller readers on
// small hand-built register sets (the edge cases of each generation,
// registers that read all ones, an MCHBAR switched on only for the read),
// the DRAM clock rules, and every emulated vendor board against the
// modules it carries.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "emu/boards/ChipsetParts.h"
#include "emu/chips/MchbarRegisters.h"
#include "emu/chips/MmconfigWindow.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/core/SdkStartup.h"
#include "sdk/core/StartupBoardIdentity.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/memory/CChipsetInterface.h"
#include "tests/support/EmulatedSdk.h"

namespace {

using emu::PciFunction;

// A processor interface holding one AMD processor of family 0Fh plus
// `extFamily`, made by hand (the readers ask it for the family, revision
// and highest multiplier).
void AddAmdProcessor(QUARNSDK& sdk, int extFamily, int extModel, float maxRatio) {
  auto* cpu = new CCPUInterface(0);
  sdk.interfaces->Append(cpu);
  sdk.cpuInterface = cpu;
  auto* p = new CProcessor(0, 0);
  auto* core = new CCPUCore(0);
  auto* t = new CCPUThread(0);
  t->family = 0xF;
  t->extFamily = extFamily;
  t->extModel = extModel;
  t->maxRatio = maxRatio;
  cpu->threads->Append(t);
  cpu->cores->Append(core);
  core->threads->Append(t);
  p->threads->Append(t);
  p->cores->Append(core);
  cpu->processors->Append(p);
  sdk.AddDevice(p);
}

// The 865/875 host bridge: bit 1 of register 0xF4 shows or hides the
// hub's device 6, whose functions answer nothing while hidden.
// The five timings every case table names cl, rcd, rp, ras and rfc.
template <typename Case>
void ExpectTimings(const CMemoryInfo& m, const Case& c) {
  EXPECT_FLOAT_EQ(m.casLatency, c.cl);
  EXPECT_EQ(m.tRCD, c.rcd);
  EXPECT_EQ(m.tRP, c.rp);
  EXPECT_EQ(m.tRAS, c.ras);
  EXPECT_EQ(m.tRFC, c.rfc);
}

class Hub875 : public PciFunction {
 public:
  Hub875(uint16_t device, PciFunction*& overflow)
      : PciFunction(0, 0, 0, 0x8086, device, 0x06000002), overflow_(overflow) {}
  void ConfigWrite(uint32_t offset, int width, uint32_t value) override {
    PciFunction::ConfigWrite(offset, width, value);
    if (overflow_) overflow_->hidden = !(Get8(0xF4) & 0x02);
  }

 private:
  PciFunction*& overflow_;
};

class Chipset : public ::testing::Test {
 protected:
  // A fresh bare machine (for the cases of a table).
  void Reset() {
    env.reset();
    env = std::make_unique<testsupport::EmulatedSdk>();
  }
  PciFunction& Add(uint8_t bus, uint8_t dev, uint8_t fn, uint16_t device, uint32_t classRev = 0x06000000,
                   uint16_t vendor = 0x8086) {
    return env->machine->AddPciFunction(std::make_unique<PciFunction>(bus, dev, fn, vendor, device, classRev, 0x80));
  }
  // A host bridge at 0:0.0 with its MCHBAR window at 0xFED10000.
  emu::MchbarRegisters& Mchbar(uint16_t device, uint32_t classRev = 0x06000000) {
    host = &Add(0, 0, 0, device, classRev);
    return emu::parts::AddMchbar(*env->machine, *host, 0xFED10000, 0x8000);
  }
  CChipsetInterface* Start() {
    EXPECT_TRUE(env->Start());
    EXPECT_TRUE(env->Sdk().CreatePCIInterface());
    ScanPciBus(env->Sdk());
    EXPECT_TRUE(env->Sdk().CreateChipsetInterface());
    return static_cast<CChipsetInterface*>(env->Sdk().FindInterface(INTERFACE_CHIPSET));
  }

  std::unique_ptr<testsupport::EmulatedSdk> env = std::make_unique<testsupport::EmulatedSdk>();
  PciFunction* host = nullptr;
};

TEST_F(Chipset, NehalemCasLatencyFromTheOdtParametersByRatio) {
  struct Case {
    uint32_t ratio, f;
    float cl;
  };
  // With the mode-register shadow empty, CL = F + 5, 6, 7, 8 for ratios
  // 6, 8, 10, 12; another ratio gives none.
  const Case cases[] = {{8, 2, 8}, {6, 2, 7}, {10, 2, 9}, {12, 3, 11}, {7, 2, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ratio);
    Reset();
    Add(0, 0, 0, 0x3405);
    Add(0xFF, 0, 0, 0x2C41).Set32(0xC0, 16);
    Add(0xFF, 3, 0, 0x2C18).Set32(0x48, 0x300);
    Add(0xFF, 3, 4, 0x2C1C).Set32(0x50, c.ratio);
    // Channel 0's function is absent; channel 1 is the first populated.
    auto& ch = Add(0xFF, 5, 0, 0x2C28);
    ch.Set32(0x80, 0x00A2F5CF);
    ch.Set32(0x9C, c.f << 8);
    ch.Set32(0x88, 9 | 24 << 4 | 9 << 9);
    ch.Set32(0x8C, 107);
    ch.Set32(0xB8, 0x08);
    CChipsetInterface* chipset = Start();
    ASSERT_NE(chipset, nullptr);
    const CMemoryInfo& m = *chipset->GetMemoryInfo();
    EXPECT_FLOAT_EQ(m.casLatency, c.cl);
    EXPECT_FLOAT_EQ(m.ratioValue, c.ratio * 0.5f);
    EXPECT_EQ(std::string(m.ratioText), "2:" + std::to_string(c.ratio));
    EXPECT_EQ(m.tRP, 9);
    EXPECT_EQ(m.tRAS, 24);
    EXPECT_EQ(m.tRCD, 9);
    EXPECT_EQ(m.tRFC, 107);
    EXPECT_EQ(m.commandRate, 2);
    EXPECT_EQ(m.channelCount, 2);
    EXPECT_FLOAT_EQ(m.uncoreRatio, 16);
    EXPECT_STREQ(chipset->GetHostBridge()->chipName, "X58");
  }
}

TEST_F(Chipset, SandyBridgeWithModulesOnlyInChannelOne) {
  auto& r = Mchbar(0x0100);
  r.Set32(0x5004, 0);
  r.Set32(0x5008, 0x20010);
  r.Set32(0x4000, 0x00188777);  // channel 0: not to be read
  r.Set32(0x4400, 9 | 10 << 4 | 11 << 8 | 27 << 16);
  r.Set32(0x4404, 2u << 30);
  r.Set32(0x5E04, 0x108);
  CChipsetInterface* chipset = Start();
  const CMemoryInfo& m = *chipset->GetMemoryInfo();
  EXPECT_EQ(m.typeCode, 9);
  EXPECT_EQ(m.channelCount, 1);
  EXPECT_FLOAT_EQ(m.casLatency, 11);
  EXPECT_EQ(m.tRCD, 9);
  EXPECT_EQ(m.tRP, 10);
  EXPECT_EQ(m.tRAS, 27);
  EXPECT_EQ(m.commandRate, 2);
  EXPECT_EQ(m.tRFC, -1) << "not read on this controller";
  EXPECT_NEAR(m.ratioValue, 8 * 1.3334f, 1e-4) << "bit 8 means nothing on Sandy Bridge";
  EXPECT_STREQ(m.ratioText, "1:8");
  EXPECT_NEAR(chipset->ComputeDramFrequency(100.0f, 34), 1066.72f, 0.01f);
}

TEST_F(Chipset, IvyBridgeRatioReference) {
  struct Case {
    uint32_t reg;
    float ratio;
  };
  for (const Case& c : {Case{0x10A, 10.0f}, Case{0x00A, 13.334f}}) {
    SCOPED_TRACE(c.reg);
    Reset();
    auto& r = Mchbar(0x0150);
    r.Set32(0x5004, 0x10);
    r.Set32(0x5008, 0x10);
    r.Set32(0x4000, 9 | 9 << 4 | 9 << 8 | 24 << 16);
    r.Set32(0x4004, 0xFFFFFFFF);
    r.Set32(0x5E04, c.reg);
    CChipsetInterface* chipset = Start();
    const CMemoryInfo& m = *chipset->GetMemoryInfo();
    EXPECT_NEAR(m.ratioValue, c.ratio, 1e-4);
    EXPECT_STREQ(m.ratioText, "1:10");
    EXPECT_EQ(m.channelCount, 2);
    EXPECT_EQ(m.commandRate, -1) << "TC_RAP reads all ones here: no data";
    EXPECT_STREQ(chipset->GetHostBridge()->chipName, "Ivy Bridge");
  }
}

TEST_F(Chipset, AnMchbarSwitchedOnForTheReadIsSwitchedOffAgain) {
  auto& r = Mchbar(0x0044);  // Clarkdale
  host->Set32(0x48, 0xFED10000);  // firmware left the window off
  r.Set32(0x260, 0x00300000);
  r.Set32(0x240, 6);  // CL 9
  r.Set32(0x2C20, 0x14);
  CChipsetInterface* chipset = Start();
  const CMemoryInfo& m = *chipset->GetMemoryInfo();
  EXPECT_FLOAT_EQ(m.casLatency, 9);
  EXPECT_EQ(m.channelCount, 1);
  EXPECT_FLOAT_EQ(m.ratioValue, 5.0f);
  EXPECT_STREQ(m.ratioText, "4:20");
  EXPECT_EQ(host->Get32(0x48), 0xFED10000u) << "enable bit cleared again";
  chipset->Refresh();
  EXPECT_EQ(host->Get32(0x48), 0xFED10000u);

  // A window that stays off gives only the memory type, and nothing is
  // left changed.
  host->SetWritable(0x48, 1, 0x00);
  CMemoryInfo fresh;
  *chipset->GetMemoryInfo() = fresh;
  chipset->Refresh();
  EXPECT_EQ(chipset->GetMemoryInfo()->typeCode, 9);
  EXPECT_FLOAT_EQ(chipset->GetMemoryInfo()->casLatency, -1);
  EXPECT_EQ(host->Get32(0x48), 0xFED10000u);
}

TEST_F(Chipset, AllOnesRegistersAndAbsentChannelFunctionsAreNoData) {
  // Sandy Bridge-E: channels 0 and 2 present (error functions 16.2 and
  // 16.6), channel 1 reports unpopulated (11), channel 3's functions are
  // absent.
  env->machine->AddMmio(emu::parts::kMmconfigBase, 256u << 20, std::make_shared<emu::MmconfigWindow>(*env->machine));
  auto& root = Add(0, 0, 0, 0x3C00);
  root.Set32(0x60, emu::parts::kMmconfigBase | 1);
  Add(0, 5, 0, 0x3C28, 0x08800007).Set32(0x84, emu::parts::kMmconfigBase | 1);
  Add(0xFF, 16, 2, 0x3CB2).Set32(0x80, 0x20);
  Add(0xFF, 16, 3, 0x3CB3).Set32(0x80, 11);
  Add(0xFF, 16, 6, 0x3CB6).Set32(0x80, 0x20);
  for (uint8_t fn : {0, 4}) {
    auto& t = Add(0xFF, 16, fn, static_cast<uint16_t>(0x3CB0 + fn));
    t.express = true;
    t.Set32(0x200, fn == 4 ? (10 | 10 << 5 | 10 << 9 | 30u << 19) : 0x00C01329);
    t.Set32(0x204, 0xFFFFFFFF);  // registers that read all ones
    t.Set32(0x214, 0xFFFFFFFF);
  }
  Add(0xFF, 10, 1, 0x3CC1).Set32(0x98, 12);
  CChipsetInterface* chipset = Start();
  const CMemoryInfo& m = *chipset->GetMemoryInfo();
  EXPECT_EQ(m.channelCount, 2);
  EXPECT_FLOAT_EQ(m.casLatency, 10) << "the last populated channel's timing function (16.4)";
  EXPECT_EQ(m.tRAS, 30);
  EXPECT_EQ(m.commandRate, -1) << "all ones is no command rate";
  EXPECT_EQ(m.tRFC, -1) << "all ones is no tRFC";
  EXPECT_NEAR(m.ratioValue, 8.0f, 0.001f);
  EXPECT_STREQ(m.ratioText, "1:12");
}

TEST_F(Chipset, DramFrequencyRules) {
  CChipsetInterface chipset;
  CMemoryInfo& m = *chipset.GetMemoryInfo();
  EXPECT_FLOAT_EQ(chipset.ComputeDramFrequency(133.33f, 20), -1) << "nothing to go by";
  m.clockDivisor = 10;
  EXPECT_FLOAT_EQ(chipset.ComputeDramFrequency(200, 11), 220);
  EXPECT_FLOAT_EQ(chipset.ComputeDramFrequency(200, -1), -1) << "no multiplier";
  m.clockOffset = -33.34f;
  EXPECT_FLOAT_EQ(chipset.ComputeDramFrequency(200, 11), 220) << "a negative offset falls through to the divisor";
  m.clockOffset = 33.34f;
  EXPECT_NEAR(chipset.ComputeDramFrequency(133.33f, 11), 166.67f, 0.001f);
  m.ratioValue = 5;
  EXPECT_NEAR(chipset.ComputeDramFrequency(133.33f, 11), 666.65f, 0.01f);
  EXPECT_FLOAT_EQ(chipset.ComputeDramFrequency(0, 11), -1);
  m.ratioValue = -1;
  m.clockOffset = -1;
  m.clockDivisor = 0;
  EXPECT_FLOAT_EQ(chipset.ComputeDramFrequency(200, 11), -1) << "a zero divisor is none";
  m.fixedFrequency = 1;
  m.dramFrequency = 400;
  EXPECT_FLOAT_EQ(chipset.ComputeDramFrequency(-1, -1), 400);
}

TEST_F(Chipset, TheFunctionAtZeroIsTheHostBridgeWhateverItsClass) {
  Add(0, 0, 0, 0x0100, 0x05800009);  // a memory-controller class code
  Add(0, 1, 0, 0x0101, 0x06040009);
  Add(0x3F, 0, 0, 0x2C61);
  CChipsetInterface* chipset = Start();
  ASSERT_EQ(chipset->northBridges->count, 2);
  EXPECT_STREQ(chipset->GetNorthBridge(0)->chipName, "ID2C61");
  ASSERT_NE(chipset->GetHostBridge(), nullptr);
  EXPECT_EQ(chipset->GetHostBridge(), chipset->GetNorthBridge(1));
  EXPECT_STREQ(chipset->GetHostBridge()->chipName, "Sandy Bridge");
  EXPECT_EQ(chipset->GetSouthBridge(), nullptr);
}

TEST_F(Chipset, NamesFromIdsRevisionsAndNeighbours) {
  auto& x38 = Add(0, 0, 0, 0x29E0, 0x06000002);
  x38.Set32(0xE8, 1u << 25);
  Add(0, 0x1F, 0, 0x1C44, 0x06010005);
  Add(0x80, 0, 0, 0x1234, 0x06000000, 0x1B3F);
  Add(0x81, 0, 0, 0x9999, 0x06000001);
  CChipsetInterface* chipset = Start();
  EXPECT_STREQ(chipset->GetHostBridge()->chipName, "X48");
  EXPECT_STREQ(chipset->GetHostBridge()->revisionName, "A2");
  EXPECT_STREQ(chipset->GetSouthBridge()->chipName, "Z68");
  EXPECT_STREQ(chipset->GetSouthBridge()->revisionName, "B3");
  EXPECT_STREQ(chipset->GetNorthBridge(1)->vendorName, "ID1B3F") << "unknown vendor";
  EXPECT_STREQ(chipset->GetNorthBridge(1)->chipName, "ID1234");
  EXPECT_STREQ(chipset->GetNorthBridge(2)->vendorName, "Intel");
  EXPECT_STREQ(chipset->GetNorthBridge(2)->chipName, "ID9999");
  EXPECT_STREQ(chipset->GetNorthBridge(2)->revisionName, "01");
}

// Register images of the K10 DRAM controller (function 0:18.2), encoded as
// the family 10h BKDG gives F2x88/F2x8C/F2x94/F2x110.
TEST_F(Chipset, AmdK10DramControllerFromItsRegisterImages) {
  struct Dct {
    uint32_t timingLow, timingHigh, configHigh;
  };
  // DDR3-1333 9-9-9-24, 2 Gbit devices (Trfc0 160 ns), 1T.
  const Dct ddr3 = {5 | 4 << 4 | 4 << 7 | 9 << 12 | 22 << 16, 2u << 20 | 2u << 16, 5 | 1u << 3 | 1u << 8};
  // DDR2-800 5-5-5-18, 1 Gbit devices (Trfc0 127.5 ns), 2T.
  const Dct ddr2 = {4 | 2 << 4 | 2 << 8 | 15 << 12, 2u << 20, 3 | 1u << 3 | 1u << 20};
  const uint32_t off = 1u << 14;  // DisDramInterface
  struct Case {
    const char* what;
    Dct dct0, dct1;
    uint32_t dct1ConfigHigh;  // replaces dct1's F2x94
    uint32_t selectLow;
    int type, channels;
    float ratio, cl;
    const char* ratioText;
    int rcd, rp, ras, rfc, cr;
  } cases[] = {
      {"DDR3 unganged, both controllers", ddr3, ddr3, ddr3.configHigh, 0, 9, 2, 10.0f / 3, 9, "3:10", 9, 9, 24, 107, 1},
      {"DDR3, second controller off", ddr3, ddr3, off, 0, 9, 1, 10.0f / 3, 9, "3:10", 9, 9, 24, 107, 1},
      {"DDR2 ganged", ddr2, ddr2, ddr2.configHigh, 1u << 4, 7, 2, 2, 5, "1:2", 5, 5, 18, 51, 2},
      {"only the second controller runs", ddr2, ddr2, ddr2.configHigh, 0, 7, 1, 2, 5, "1:2", 5, 5, 18, 51, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    // The 790X host bridge's enhanced configuration window makes the
    // registers above 0xFF reachable.
    env->machine->AddMmio(emu::parts::kMmconfigBase, 256u << 20, std::make_shared<emu::MmconfigWindow>(*env->machine));
    Add(0, 0, 0, 0x5957, 0x06000000, 0x1002).Set32(0x1C, emu::parts::kMmconfigBase);
    auto& f2 = Add(0, 0x18, 2, 0x1202, 0x06000000, 0x1022);
    f2.express = true;
    f2.Set32(0x88, c.dct0.timingLow);
    f2.Set32(0x8C, c.dct0.timingHigh);
    f2.Set32(0x94, std::string(c.what).find("only the second") == 0 ? off : c.dct0.configHigh);
    f2.Set32(0x188, c.dct1.timingLow);
    f2.Set32(0x18C, c.dct1.timingHigh);
    f2.Set32(0x194, c.dct1ConfigHigh);
    f2.Set32(0x110, c.selectLow);
    CChipsetInterface* chipset = Start();
    ASSERT_NE(chipset, nullptr);
    const CMemoryInfo& m = *chipset->GetMemoryInfo();
    EXPECT_STREQ(chipset->GetNorthBridge(1)->chipName, "K10 DRAM Controller");
    EXPECT_EQ(m.typeCode, c.type);
    EXPECT_EQ(m.channelCount, c.channels);
    EXPECT_NEAR(m.ratioValue, c.ratio, 1e-5);
    EXPECT_STREQ(m.ratioText, c.ratioText);
    ExpectTimings(m, c);
    EXPECT_EQ(m.commandRate, c.cr);
    EXPECT_NEAR(chipset->ComputeDramFrequency(200, 16), 200 * c.ratio, 0.01);
  }

  // Without the window the second controller and the select register are
  // unknown: no channel count is guessed, the rest is read.
  Reset();
  auto& f2 = Add(0, 0x18, 2, 0x1202, 0x06000000, 0x1022);
  f2.express = true;
  f2.Set32(0x88, ddr3.timingLow);
  f2.Set32(0x94, ddr3.configHigh);
  f2.Set32(0x194, ddr3.configHigh);
  const CMemoryInfo& m = *Start()->GetMemoryInfo();
  EXPECT_EQ(m.channelCount, -1);
  EXPECT_EQ(m.typeCode, 9);
  EXPECT_EQ(m.tRAS, 24);
  // A 128-bit wide first controller still tells two channels.
  Reset();
  auto& wide = Add(0, 0x18, 2, 0x1202, 0x06000000, 0x1022);
  wide.Set32(0x90, 1u << 11);
  wide.Set32(0x94, ddr3.configHigh);
  EXPECT_EQ(Start()->GetMemoryInfo()->channelCount, 2);
}

TEST_F(Chipset, AmdDramControllerWithoutDataGivesNothing) {
  // A memory clock marked not valid, a reserved code, both controllers off,
  // and a K8 whose revision is not known (its early parts lay the
  // registers out otherwise): no field is filled from them.
  struct Case {
    uint16_t device;
    uint32_t configHigh;
    bool timings;
  } cases[] = {{0x1202, 5 | 1u << 8, true}, {0x1202, 7 | 1u << 3 | 1u << 8, true}, {0x1202, 1u << 14, false},
               {0x1102, 3 | 1u << 3, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.configHigh);
    Reset();
    auto& f2 = Add(0, 0x18, 2, c.device, 0x06000000, 0x1022);
    f2.Set32(0x88, 5 | 4 << 4 | 4 << 7 | 9 << 12);
    f2.Set32(0x8C, 2u << 20);
    f2.Set32(0x94, c.configHigh);
    f2.Set32(0x194, 1u << 14);
    const CMemoryInfo& m = *Start()->GetMemoryInfo();
    EXPECT_FLOAT_EQ(m.ratioValue, -1);
    EXPECT_STREQ(m.ratioText, "");
    EXPECT_EQ(m.tRFC, -1) << "no clock to count it in";
    EXPECT_EQ(m.tRCD, c.timings ? 9 : -1);
  }
}

// Register images of the later AMD DRAM controllers, encoded as the BKDGs
// and AGESA's register tables give them: family 11h like the K10 (DDR2),
// 12h/14h with the five-bit MemClkFreq and only Tcl in F2x88, 15h with its
// timings in F2x200/F2x208 and the channel count from F2x110.
TEST_F(Chipset, AmdLaterFamiliesFromTheirRegisterImages) {
  struct Reg {
    uint32_t offset, value;
  };
  constexpr uint32_t kValid = 1u << 7, kSlow = 1u << 20, kOff = 1u << 14;
  struct Case {
    const char* what;
    uint16_t device;
    int extFamily;  // -1: no processor identified
    std::vector<Reg> regs;
    int type, channels;
    const char* ratioText;
    float ratio, cl;
    int rcd, rp, ras, rfc, cr;
  } cases[] = {
      // Family 11h, DDR2-800 5-5-5-18 on DCT0, DCT1 off, Trfc0 127.5 ns.
      {"11h DDR2-800", 0x1302, 2,
       {{0x88, 4 | 2 << 4 | 2 << 8 | 15 << 12}, {0x8C, 2u << 20}, {0x94, 3 | 1u << 3}, {0x194, kOff}},
       7, 1, "1:2", 2, 5, 5, 5, 18, 51, 1},
      // Family 15h, DDR3-1333 9-9-9-24, channels interleaved, 2 Gbit (160 ns).
      {"15h DDR3-1333", 0x1602, 6,
       {{0x94, 0x0E | kValid}, {0x110, 1u << 2}, {0x200, 9 | 9 << 8 | 9 << 16 | 24u << 24}, {0x208, 2}}, 9, 2,
       "3:10", 20.0f / 6, 9, 9, 9, 24, 107, 1},
      // Family 15h (Trinity), DDR3-1866 13-13-13-32 2T on one DCT, 4 Gbit
      // (300 ns).
      {"15h DDR3-1866", 0x1402, 6,
       {{0x94, 0x16 | kValid | kSlow}, {0x110, 0}, {0x200, 13 | 13 << 8 | 13 << 16 | 32u << 24}, {0x208, 3}}, 9, 1,
       "3:14", 28.0f / 6, 13, 13, 13, 32, 280, 2},
      // A clock code not marked valid: no ratio, so no tRFC in clocks.
      {"15h clock not valid", 0x1602, 6, {{0x94, 0x0E}, {0x200, 9 | 9 << 8 | 9 << 16 | 24u << 24}, {0x208, 2}}, 9,
       1, "", -1, 9, 9, 9, 24, -1, 1},
      // Family 14h, DDR3-1066 CL7, one DCT, 1 Gbit (110 ns); tRCD, tRP and
      // tRAS sit behind an index register and stay unknown.
      {"14h DDR3-1066", 0x1702, 5, {{0x88, 3}, {0x8C, 1u << 20}, {0x94, 0x0A | kValid}}, 9, 1, "3:8", 16.0f / 6, 7,
       -1, -1, -1, 59, 1},
      // Family 12h, DDR3-1600 CL11 on both DCTs, Trfc0 000b (90 ns).
      {"12h DDR3-1600", 0x1702, 3, {{0x88, 7}, {0x94, 0x12 | kValid}, {0x194, 0x12 | kValid}}, 9, 2, "1:4", 4, 11,
       -1, -1, -1, 72, 1},
      // The same function without an identified processor: one DCT read,
      // its count not guessed.
      {"12h/14h unknown family", 0x1702, -1, {{0x88, 7}, {0x94, 0x12 | kValid}, {0x194, 0x12 | kValid}}, 9, -1,
       "1:4", 4, 11, -1, -1, -1, 72, 1},
      // The first DCT off: nothing is read from it.
      {"15h DCT off", 0x1602, 6, {{0x94, 0x0E | kValid | kOff}, {0x200, 9}}, -1, -1, "", -1, -1, -1, -1, -1, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    env->machine->AddMmio(emu::parts::kMmconfigBase, 256u << 20, std::make_shared<emu::MmconfigWindow>(*env->machine));
    Add(0, 0, 0, 0x5957, 0x06000000, 0x1002).Set32(0x1C, emu::parts::kMmconfigBase);
    auto& f2 = Add(0, 0x18, 2, c.device, 0x06000000, 0x1022);
    f2.express = true;
    for (const Reg& r : c.regs) f2.Set32(r.offset, r.value);
    ASSERT_TRUE(env->Start());
    QUARNSDK& sdk = env->Sdk();
    ASSERT_TRUE(sdk.CreatePCIInterface());
    ScanPciBus(sdk);
    if (c.extFamily >= 0) AddAmdProcessor(sdk, c.extFamily, 1, 20);
    ASSERT_TRUE(sdk.CreateChipsetInterface());
    auto* chipset = static_cast<CChipsetInterface*>(sdk.FindInterface(INTERFACE_CHIPSET));
    const CMemoryInfo& m = *chipset->GetMemoryInfo();
    EXPECT_EQ(m.typeCode, c.type);
    EXPECT_EQ(m.channelCount, c.channels);
    EXPECT_STREQ(m.ratioText, c.ratioText);
    EXPECT_NEAR(m.ratioValue, c.ratio, 1e-5);
    ExpectTimings(m, c);
    EXPECT_EQ(m.commandRate, c.cr);
    if (c.ratio > 0) {
      EXPECT_NEAR(chipset->ComputeDramFrequency(200, 20), 200 * c.ratio, 0.01);
    }
  }
}

// The K8's controller, whose layout depends on the processor's revision:
// a family 0Fh processor made by hand tells it.
TEST_F(Chipset, AmdK8ControllerByProcessorRevision) {
  struct Case {
    const char* what;
    int extModel;  // -1: no processor
    float maxRatio;
    uint32_t timingLow, configLow, configHigh;
    int type, channels, divisor, rcd, ras, rfc, cr;
    float cl, dram;
  } cases[] = {
      // Revision E, DDR400 3-3-3-8 dual channel 2T on an 11x part: 200 MHz.
      {"DDR400 at 11x", 2, 11, 2 | 4 << 4 | 5 << 8 | 3 << 12 | 2 << 16 | 8 << 20 | 3 << 24, 1u << 16 | 1u << 28,
       7u << 20 | 1u << 25, 6, 2, 11, 3, 8, 14, 2, 3, 200},
      // DDR333 CL2.5 single channel on an 11x part: divisor 14, 157.1 MHz.
      {"DDR333 at 11x", 2, 11, 5 | 3 << 12 | 7 << 20 | 3 << 24, 0, 5u << 20 | 1u << 25, 6, 1, 14, 3, 7, 9, 1, 2.5f,
       157.142857f},
      // DDR400 on a 10.5x part: divisor 11, 190.9 MHz.
      {"DDR400 at 10.5x", 1, 10.5f, 2 | 3 << 12 | 8 << 20 | 3 << 24, 0, 7u << 20 | 1u << 25, 6, 1, 11, 3, 8, 9, 1, 3,
       190.909091f},
      // Revision F: the DDR2 layout; DDR2-800 5-5-5-18, MemClkFreq 011b,
      // Trfc0 000b (75 ns = 30 clocks at 400 MHz).
      {"revision F", 4, 11, 4 | 2 << 4 | 2 << 8 | 15 << 12, 1u << 11, 3 | 1u << 3, 7, 2, -1, 5, 18, 30, 1, 5, 400},
      // No processor identified: the layout is not known, nothing is read.
      {"unknown processor", -1, 11, 2 | 3 << 12 | 8 << 20 | 3 << 24, 0, 7u << 20 | 1u << 25, -1, -1, -1, -1, -1, -1,
       -1, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    // The board's chipset at 0:0.0 names itself; the processor's DRAM
    // function gives the memory data.
    Add(0, 0, 0, 0x00E1, 0x06000000, 0x10DE);
    auto& f2 = Add(0, 0x18, 2, 0x1102, 0x06000000, 0x1022);
    f2.Set32(0x88, c.timingLow);
    f2.Set32(0x90, c.configLow);
    f2.Set32(0x94, c.configHigh);
    ASSERT_TRUE(env->Start());
    QUARNSDK& sdk = env->Sdk();
    ASSERT_TRUE(sdk.CreatePCIInterface());
    ScanPciBus(sdk);
    if (c.extModel >= 0) AddAmdProcessor(sdk, 0, c.extModel, c.maxRatio);
    ASSERT_TRUE(sdk.CreateChipsetInterface());
    auto* chipset = static_cast<CChipsetInterface*>(sdk.FindInterface(INTERFACE_CHIPSET));
    const CMemoryInfo& m = *chipset->GetMemoryInfo();
    EXPECT_STREQ(chipset->GetHostBridge()->chipName, "nForce3 250Gb");
    EXPECT_EQ(m.typeCode, c.type);
    EXPECT_EQ(m.channelCount, c.channels);
    EXPECT_EQ(m.clockDivisor, c.divisor);
    EXPECT_FLOAT_EQ(m.casLatency, c.cl);
    EXPECT_EQ(m.tRCD, c.rcd);
    EXPECT_EQ(m.tRAS, c.ras);
    EXPECT_EQ(m.tRFC, c.rfc);
    EXPECT_EQ(m.commandRate, c.cr);
    const float dram = chipset->ComputeDramFrequency(200, c.maxRatio);
    if (c.dram > 0) EXPECT_NEAR(dram, c.dram, 0.01) << "the DRAM clock at the highest multiplier";
    else EXPECT_FLOAT_EQ(dram, -1);
  }
}

// The 945 family's hub: MCHBAR in register 0x44, timings in CxDRT1, the
// channel mode in DCC and the clocks in CLKCFG, as the datasheets encode
// them.
TEST_F(Chipset, Intel945TimingsChannelsAndRatio) {
  struct Case {
    const char* what;
    uint16_t device;
    bool enabledByFirmware;
    uint32_t dcc, clkcfg, drt1Offset, drt1;
    int channels, rcd, rp, ras, rfc;
    float cl, ratio;
    const char* ratioText;
  } cases[] = {
      // 945P, FSB 800, DDR2-667 5-5-5-15, tRFC 43, dual channel interleaved.
      {"945P", 0x2770, true, 0x2, 0x32, 0x114, 3 | 3 << 4 | 0 << 8 | 43 << 10 | 15u << 19, 2, 5, 5, 15, 43, 5,
       10.0f / 6, "3:5"},
      // 945GM, FSB 667, DDR2-533 4-4-4-12, DIMMs in channel 1 only; its
      // MCHBAR is switched on only for the read.
      {"945GM", 0x27A0, false, 0x4, 0x33, 0x194, 2 | 2 << 4 | 1 << 8 | 34 << 10 | 12u << 19, 1, 4, 4, 12, 34, 4,
       1.6f, "5:8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    host = &Add(0, 0, 0, c.device);
    auto& mchbar = emu::parts::AddMchbar(*env->machine, *host, 0xFED14000, 0x1000, 0x44);
    if (!c.enabledByFirmware) host->Set32(0x44, 0xFED14000);
    mchbar.Set32(0x200, c.dcc);
    mchbar.Set32(0xC00, c.clkcfg);
    mchbar.Set32(c.drt1Offset, c.drt1);
    const CMemoryInfo& m = *Start()->GetMemoryInfo();
    EXPECT_EQ(m.typeCode, 7);
    EXPECT_EQ(m.channelCount, c.channels);
    ExpectTimings(m, c);
    EXPECT_NEAR(m.ratioValue, c.ratio, 1e-5);
    EXPECT_STREQ(m.ratioText, c.ratioText);
    EXPECT_EQ(host->Get32(0x44) & 1, c.enabledByFirmware ? 1u : 0u) << "the MCHBAR enable as the firmware left it";
  }
}

// The 965 family's hubs, desktop and mobile, whose DRAM registers sit in
// different MCHBAR blocks; CLKCFG gives the ratio on both.
TEST_F(Chipset, Intel965TimingsChannelsAndRatio) {
  struct Reg {
    uint32_t offset, value;
  };
  struct Case {
    const char* what;
    uint16_t device;
    bool enabledByFirmware;
    std::vector<Reg> regs;
    int channels, rcd, rp, ras, rfc;
    float cl, ratio;
    const char* ratioText, *chip;
  } cases[] = {
      // P965, FSB 1066, DDR2-800 5-5-5-18 in both channels (channel 1's
      // block 0x400 higher holds other values, not to be read). tRAS
      // (0x250 bits 15:11) and tRP (0x252 bits 16:13) share bytes: one
      // dword at 0x250 carries both.
      {"P965", 0x29A0, true,
       {{0x260, 0x00300000}, {0x660, 0x00300000}, {0x29C, 2u << 17}, {0x250, 18u << 11 | 5u << 29},
        {0x258, 5u << 16}, {0x69C, 4u << 17}, {0x650, 7u << 29}, {0xC00, 0x30}},
       2, 5, 5, 18, -1, 5, 1.5f, "2:3", "P965/G965"},
      // G35, FSB 800, DDR2-667, modules only in channel 1.
      {"G35 channel 1", 0x2980, true,
       {{0x660, 0x00100000}, {0x69C, 1u << 17}, {0x650, 12u << 11 | 4u << 29}, {0x658, 4u << 16},
        {0x29C, 3u << 17}, {0xC00, 0x22}},
       1, 4, 4, 12, -1, 4, 10.0f / 6, "3:5", "G35"},
      // GM965, FSB 800, DDR2-667, DIMM in channel 1 only (a ThinkPad's
      // CxDRT1/CxDRT3: 4-4-11, CL5, tRFC 43); the firmware left MCHBAR off,
      // so it is switched on for the read only.
      {"GM965", 0x2A00, false,
       {{0x1304, 0x00200000}, {0x1314, 0x01608442}, {0x131C, 0x01056282}, {0x1214, 0x00E000E7}, {0xC00, 0x42}}, 1,
       4, 4, 11, 43, 5, 10.0f / 6, "3:5", "GM965/PM965"},
      // GME965 whose CxDRT3 reads all ones: no CAS latency, no tRFC; FSB
      // 533 with DDR2-533 is 1:2.
      {"GME965 CxDRT3 all ones", 0x2A10, true,
       {{0x1204, 0x00400020}, {0x1214, 3 | 3 << 5 | 15u << 21}, {0x121C, 0xFFFFFFFF}, {0xC00, 0x31}}, 1, 5, 5, 15,
       -1, -1, 2, "1:2", "GME965/GLE960"},
      // GM45 in the same layout: DDR3-800 6-6-6-15 in both channels, FSB
      // 1066; DDR2 or DDR3 is not told by these registers.
      {"GM45", 0x2A40, true,
       {{0x1204, 0x00400020}, {0x1304, 0x00400020}, {0x1214, 4 | 4 << 5 | 15u << 21}, {0x121C, 3u << 23 | 59u << 13},
        {0xC00, 0x56}},
       2, 6, 6, 15, 59, 6, 1.5f, "2:3", "GM45/PM45"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    auto& r = Mchbar(c.device);
    if (!c.enabledByFirmware) host->Set32(0x48, 0xFED10000);
    for (const Reg& reg : c.regs) r.Set32(reg.offset, reg.value);
    CChipsetInterface* chipset = Start();
    const CMemoryInfo& m = *chipset->GetMemoryInfo();
    EXPECT_STREQ(chipset->GetHostBridge()->chipName, c.chip);
    EXPECT_EQ(m.typeCode, c.device == 0x2A40 ? -1 : 7);
    EXPECT_EQ(m.channelCount, c.channels);
    ExpectTimings(m, c);
    EXPECT_NEAR(m.ratioValue, c.ratio, 1e-5);
    EXPECT_STREQ(m.ratioText, c.ratioText);
    EXPECT_EQ(host->Get32(0x48) & 1, c.enabledByFirmware ? 1u : 0u) << "the MCHBAR enable as the firmware left it";
  }
}

// The server hubs: E7xxx timings, channels and ECC from the host bridge's
// DRT/DRC (and DDRCSR), the FB-DIMM hubs' channels from the branches'
// AMBPRESENT and their FSB:FBD mapping from DDRFRQ.
TEST_F(Chipset, IntelServerHubsFromTheirRegisterImages) {
  struct Reg {
    uint8_t device, function;
    uint32_t offset, value;
  };
  struct Case {
    const char* what;
    uint16_t device;
    std::vector<Reg> regs;
    int type, channels;
    const char* ecc;
    float cl;
    int rcd, rp, ras;
    const char* ratioText;
    float ratio;
  } cases[] = {
      // E7501: tRP 2, tRCD 3, CL2, tRAS 6; ECC, dual channel; synchronous.
      {"E7501", 0x254C, {{0, 0, 0x78, 0x01 | 0x10 | 1u << 9}, {0, 0, 0x7C, 2u << 20 | 1u << 22}}, 6, 2, "ECC", 2, 3,
       2, 6, "1:1", 1},
      // E7500 always runs both channels; no ECC.
      {"E7500", 0x2540, {{0, 0, 0x78, 0x02 | 2u << 9}, {0, 0, 0x7C, 0}}, 6, 2, "No-ECC", 2.5f, 2, 3, 5, "1:1", 1},
      // E7205, single channel, its clock not tied to the bus.
      {"E7205", 0x255D, {{0, 0, 0x78, 0}, {0, 0, 0x7C, 0}}, 6, 1, "No-ECC", 2.5f, 3, 3, 7, "", -1},
      // E7520: CL3, tRP 4, tRCD 3, tRAS 13; ECC; DDRCSR dual channel.
      {"E7520", 0x3590, {{0, 0, 0x78, 1u << 2 | 1u << 9 | 2u << 14}, {0, 0, 0x7C, 2u << 20}, {0, 0, 0x98, 3u << 28}},
       -1, 2, "ECC", 3, 3, 4, 13, "", -1},
      // 5000P: three channels with buffers, ECC on, FBD faster than the bus.
      {"5000P", 0x25D8,
       {{21, 0, 0x64, 0x00010001}, {22, 0, 0x64, 0x00000001}, {16, 1, 0x40, 1u << 5}, {16, 1, 0x54, 0x20u << 16}}, 8,
       3, "ECC", -1, -1, -1, -1, "4:5", 1.25f},
      // 5400: one channel, ECC off, bus faster than the FBD; branch 0's
      // AMBPRESENT reads all ones and counts nothing.
      {"5400", 0x4000,
       {{21, 0, 0x64, 0xFFFFFFFF}, {22, 0, 0x64, 0x00030000}, {16, 1, 0x40, 0}, {16, 1, 0x54, 0x03u << 16}}, 8, 1,
       "No-ECC", -1, -1, -1, -1, "5:4", 0.8f},
      // 5100: a DIMM in channel 0 (MTR0) and one in channel 1 (MTR5, the
      // upper word of 0x1B0); error detection on.
      {"5100 both channels", 0x65C0, {{16, 1, 0x40, 1u << 5}, {21, 0, 0x154, 1u << 10}, {22, 0, 0x1B0, 1u << 26}}, 7, 2,
       "ECC", -1, -1, -1, -1, "", -1},
      // Channel 0's registers read all ones (no data); channel 1 has MTR3.
      {"5100 one channel", 0x65C0,
       {{16, 1, 0x40, 0}, {21, 0, 0x154, 0xFFFFFFFF}, {21, 0, 0x158, 0xFFFFFFFF}, {21, 0, 0x1B0, 0xFFFFFFFF},
        {22, 0, 0x158, 1u << 26}},
       7, 1, "No-ECC", -1, -1, -1, -1, "", -1},
      // No memory maps and no control function at all: the type only.
      {"5100 absent functions", 0x65C0, {}, 7, -1, "", -1, -1, -1, -1, "", -1},
      // 7300: branch 0 has DIMMs in slot 5 (upper word of 0x84), branch
      // 1's function is absent; both channels of branch 0 run.
      {"7300 one branch", 0x3600, {{16, 1, 0x40, 1u << 5}, {16, 1, 0x58, 0}, {21, 0, 0x84, 1u << 24}}, 8, 2, "ECC", -1,
       -1, -1, -1, "", -1},
      {"7300 both branches", 0x3600,
       {{16, 1, 0x40, 0}, {16, 1, 0x58, 0}, {21, 0, 0x80, 1u << 8}, {22, 0, 0x8C, 1u << 8}}, 8, 4, "No-ECC", -1, -1,
       -1, -1, "", -1},
      // Single channel mode: only channel 0 of branch 0, whatever the MTRs.
      {"7300 single mode", 0x3600, {{16, 1, 0x40, 0}, {16, 1, 0x58, 1u << 14}, {21, 0, 0x80, 1u << 8}}, 8, 1,
       "No-ECC", -1, -1, -1, -1, "", -1},
      // MC_SETTINGS_A reads all ones: the mode is unknown, so the MTRs
      // count nothing.
      {"7300 mode unreadable", 0x3600, {{16, 1, 0x58, 0xFFFFFFFF}, {21, 0, 0x80, 1u << 8}}, 8, -1, "No-ECC", -1, -1, -1,
       -1, "", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    host = &Add(0, 0, 0, c.device);
    bool extended = false;
    for (const Reg& r : c.regs) {
      PciFunction* f = r.device == 0 ? host : env->machine->FindPciFunction(0, r.device, r.function);
      if (!f) f = &Add(0, r.device, r.function, 0x25F0, 0x08800000);
      f->Set32(r.offset, r.value);
      if (r.offset >= 0x100) f->express = extended = true;
    }
    if (extended) {  // registers past 0x100 need the enhanced configuration window (HECBASE of 16.0)
      env->machine->AddMmio(emu::parts::kMmconfigBase, 256u << 20, std::make_shared<emu::MmconfigWindow>(*env->machine));
      PciFunction* f = env->machine->FindPciFunction(0, 16, 0);
      (f ? *f : Add(0, 16, 0, 0x25F0, 0x08800000)).Set32(0x64, emu::parts::kMmconfigBase >> 16);
    }
    const CMemoryInfo& m = *Start()->GetMemoryInfo();
    EXPECT_EQ(m.typeCode, c.type);
    EXPECT_EQ(m.channelCount, c.channels);
    EXPECT_STREQ(m.eccText, c.ecc);
    EXPECT_EQ(m.eccEnabled, std::string(c.ecc) == "ECC" ? 1 : 0);
    EXPECT_FLOAT_EQ(m.casLatency, c.cl);
    EXPECT_EQ(m.tRCD, c.rcd);
    EXPECT_EQ(m.tRP, c.rp);
    EXPECT_EQ(m.tRAS, c.ras);
    EXPECT_STREQ(m.ratioText, c.ratioText);
    EXPECT_NEAR(m.ratioValue, c.ratio, 1e-5);
  }
}

// The 8xx and 915/925 hubs. The 865/875 timings sit behind device 6,
// shown for the read only and hidden again afterwards.
TEST_F(Chipset, Intel8xxHubsFromTheirRegisterImages) {
  struct Reg {
    uint8_t function;  // of device 0; 6: device 6's window; 0x44: MCHBAR
    uint32_t offset, value;
  };
  struct Case {
    const char* what;
    uint16_t device;
    bool f4Writable;
    std::vector<Reg> regs;
    int type, channels;
    float cl;
    int rcd, rp, ras;
    const char* ratioText;
    float ratio;
  } cases[] = {
      // 875P, FSB 800 with DDR400: CL2.5, tRCD 2, tRP 3, tRAS 7, dual
      // channel.
      {"875P", 0x2578, true, {{0, 0xC4, (2u | 2u << 10) << 16}, {6, 0x60, 2u << 2 | 1u | 3u << 7}, {6, 0x68, 1u << 21}},
       6, 2, 2.5f, 2, 3, 7, "1:1", 1},
      // 865 whose device 6 cannot be shown: the clock only.
      {"865 device 6 stays hidden", 0x2570, false, {{0, 0xC4, (1u | 1u << 10) << 16}, {6, 0x60, 0}}, 6, -1, -1, -1,
       -1, -1, "4:5", 1.25f},
      // 855PM: tRP 2, tRCD 3, CL2, tRAS 6; DDR333 on a 400 MT/s bus.
      {"855PM", 0x3340, true, {{0, 0x78, 0x01 | 0x10 | 1u << 9}, {0, 0xC4, 1u << 26}}, 6, -1, 2, 3, 2, 6, "3:5",
       5.0f / 3},
      // 855GM: CL2, tRCD 3, tRP 2, tRAS 5 in function 1; function 3's
      // clock select 6.
      {"855GM", 0x3580, true, {{1, 0x60, 0x20 | 1u << 2 | 2u | 3u << 9}, {3, 0xC0, 6}}, 6, -1, 2, 3, 2, 5, "4:5",
       1.25f},
      // 925X, DDR2-533 4-4-4-12 interleaved on an 800 MT/s bus.
      {"925X", 0x2584, true,
       {{0x44, 0x120, 2}, {0x44, 0x200, 2}, {0x44, 0x114, 2 | 2u << 4 | 1u << 8 | 12u << 20}, {0x44, 0xC00, 0x31}}, 7,
       2, 4, 4, 4, 12, "2:3", 1.5f},
      // 915GM with DDR333 2.5-3-3-8 in one channel on a 533 MT/s bus... of
      // DDR: select 1 is 5:4.
      {"915GM DDR", 0x2590, true,
       {{0x44, 0x120, 1}, {0x44, 0x200, 0}, {0x44, 0x114, 1 | 1u << 4 | 1u << 8 | 8u << 20}, {0x44, 0xC00, 0x10}}, 6,
       1, 2.5f, 3, 3, 8, "5:4", 0.8f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    PciFunction* overflow = nullptr;
    host = &env->machine->AddPciFunction(std::make_unique<Hub875>(c.device, overflow));
    host->SetWritable(0xF4, 1, c.f4Writable ? 0x02 : 0x00);
    emu::MchbarRegisters* mchbar = nullptr;
    emu::MchbarRegisters* window6 = nullptr;
    for (const Reg& r : c.regs) {
      if (r.function == 0x44) {
        if (!mchbar) mchbar = &emu::parts::AddMchbar(*env->machine, *host, 0xFED14000, 0x1000, 0x44);
        mchbar->Set32(r.offset, r.value);
      } else if (r.function == 6) {
        if (!overflow) {
          overflow = &Add(0, 6, 0, 0x257B, 0x08800002);
          window6 = &emu::parts::AddMchbar(*env->machine, *overflow, 0xFEB00000, 0x1000, 0x10);
          overflow->hidden = true;
        }
        window6->Set32(r.offset, r.value);
      } else if (r.function == 0) {
        host->Set32(r.offset, r.value);
      } else {
        PciFunction* f = env->machine->FindPciFunction(0, 0, r.function);
        if (!f) f = &Add(0, 0, r.function, 0x3584, 0x08800002);
        f->Set32(r.offset, r.value);
      }
    }
    const CMemoryInfo& m = *Start()->GetMemoryInfo();
    EXPECT_EQ(m.typeCode, c.type);
    EXPECT_EQ(m.channelCount, c.channels);
    EXPECT_FLOAT_EQ(m.casLatency, c.cl);
    EXPECT_EQ(m.tRCD, c.rcd);
    EXPECT_EQ(m.tRP, c.rp);
    EXPECT_EQ(m.tRAS, c.ras);
    EXPECT_STREQ(m.ratioText, c.ratioText);
    EXPECT_NEAR(m.ratioValue, c.ratio, 1e-5);
    EXPECT_EQ(host->Get8(0xF4), 0) << "device 6 hidden again as the firmware left it";
    if (overflow) {
      EXPECT_TRUE(overflow->hidden);
    }
  }
}

// NVIDIA's controllers: nForce2 in the host bridge device's functions 1-3,
// nForce4 Intel Edition in device 1 with the clock in 0:0.2.
TEST_F(Chipset, NvidiaControllersFromTheirRegisterImages) {
  struct Reg {
    uint8_t device, function;
    uint32_t offset, value;
  };
  struct Case {
    const char* what;
    uint16_t device;
    std::vector<Reg> regs;
    int type, channels;
    float cl;
    int rcd, rp, ras;
    const char* ratioText;
    float ratio;
  } cases[] = {
      // DDR 2.5-3-3-7 in slots 1 and 3 (both channels); 0x70 holds no PLL
      // setting, 0x7C does: N/M = 4/3.
      {"nForce2 dual channel", 0x01E0,
       {{0, 1, 0x90, 7u << 15 | 3u << 20 | 3u << 28}, {0, 1, 0xA0, 6u << 4}, {0, 2, 0x40, 1}, {0, 2, 0x44, 0},
        {0, 2, 0x48, 1}, {0, 3, 0x70, 0}, {0, 3, 0x7C, 3 | 4u << 4}},
       6, 2, 2.5f, 3, 3, 7, "3:4", 4.0f / 3},
      // One DIMM in slot 2, synchronous; a CAS code the part does not use.
      {"nForce2 single channel", 0x01E0,
       {{0, 1, 0x90, 6u << 15 | 2u << 20 | 2u << 28}, {0, 1, 0xA0, 7u << 4}, {0, 2, 0x40, 0}, {0, 2, 0x44, 1},
        {0, 2, 0x48, 0}, {0, 3, 0x70, 1 | 1u << 4}},
       6, 1, -1, 2, 2, 6, "1:1", 1},
      // DDR2 5-5-5-15, dual channel, memory PLL 3:5.
      {"nForce4 Intel Edition", 0x0071,
       {{1, 0, 0x8C, 15u << 16 | 5u << 24}, {1, 0, 0x9C, 5u << 8}, {1, 1, 0xD0, 5u << 4}, {1, 1, 0x80, 3},
        {0, 2, 0x60, 0}, {0, 2, 0x74, 3 | 5u << 4}},
       7, 2, 5, 5, 5, 15, "3:5", 5.0f / 3},
      // Synchronous mode wins over the PLL setting; timing fields left at
      // zero are no timings.
      {"nForce4 Intel Edition synchronous", 0x0071,
       {{1, 0, 0x8C, 0}, {1, 1, 0x80, 0}, {0, 2, 0x60, 1u << 22}, {0, 2, 0x74, 3 | 5u << 4}}, 7, 1, -1, -1, -1, -1,
       "1:1", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    host = &Add(0, 0, 0, c.device, 0x06000000, 0x10DE);
    for (const Reg& r : c.regs) {
      PciFunction* f = env->machine->FindPciFunction(0, r.device, r.function);
      if (!f) f = &Add(0, r.device, r.function, 0x01EB, 0x05000000, 0x10DE);
      f->Set32(r.offset, r.value);
    }
    const CMemoryInfo& m = *Start()->GetMemoryInfo();
    EXPECT_EQ(m.typeCode, c.type);
    EXPECT_EQ(m.channelCount, c.channels);
    EXPECT_FLOAT_EQ(m.casLatency, c.cl);
    EXPECT_EQ(m.tRCD, c.rcd);
    EXPECT_EQ(m.tRP, c.rp);
    EXPECT_EQ(m.tRAS, c.ras);
    EXPECT_STREQ(m.ratioText, c.ratioText);
    EXPECT_NEAR(m.ratioValue, c.ratio, 1e-5);
  }
}

// VIA KX133/KT133: register 0x69 bit 6 puts the DRAM clock 33 MHz above
// the bus clock; the rule follows the register across refreshes.
TEST_F(Chipset, ViaSdramClockFollowsTheClockSelect) {
  host = &Add(0, 0, 0, 0x0305, 0x06000003, 0x1106);
  host->Set8(0x69, 0x40);
  CChipsetInterface* chipset = Start();
  const CMemoryInfo& m = *chipset->GetMemoryInfo();
  EXPECT_STREQ(chipset->GetHostBridge()->chipName, "KT133");
  EXPECT_EQ(m.typeCode, 5);
  EXPECT_STREQ(m.ratioText, "FSB + 33 MHz");
  EXPECT_NEAR(chipset->ComputeDramFrequency(100, 10), 133.34f, 0.001f);
  host->Set8(0x69, 0x00);
  chipset->Refresh();
  EXPECT_STREQ(m.ratioText, "1:1");
  EXPECT_NEAR(chipset->ComputeDramFrequency(133.33f, 10), 133.33f, 0.001f) << "the offset no longer applies";
  host->Set8(0x69, 0x40);
  chipset->Refresh();
  EXPECT_NEAR(chipset->ComputeDramFrequency(100, 10), 133.34f, 0.001f) << "the earlier ratio no longer applies";
}

TEST(ChipsetBoards, EachVendorBoardReportsWhatItsModulesRun) {
  struct Case {
    const char* board;
    int type, channels;
    float cl;
    int rcd, rp, ras, rfc, rate;
    const char* ratio;
    float uncore;
  };
  const Case cases[] = {
      {"brenmor-x58", 9, 3, 9, 9, 9, 24, 107, 1, "2:10", 16},
      {"brenmor-p55", 9, 2, 9, 9, 9, 24, 107, 2, "2:10", 18},
      {"brenmor-5520dp", 9, 3, 9, 9, 9, 24, 107, 1, "2:10", 20},
      {"brenmor-z68", 9, 2, 9, 9, 9, 24, -1, 1, "1:12", -1},
      {"brenmor-p67", 9, 1, 9, 9, 9, 24, -1, 1, "1:10", -1},  // one DIMM, in channel 1
      {"brenmor-z77", 9, 2, 9, 9, 9, 28, -1, 1, "1:16", -1},
      {"brenmor-x79", 9, 4, 9, 9, 9, 28, 208, 1, "1:12", -1},
      {"brenmor-p45", 7, 2, 5, 5, 5, 18, 51, 2, "1:3", -1},
      {"kestrel-x38", 7, 2, 5, 5, 5, 18, 51, 1, "1:3", -1},  // the 3 Series' own type bit and CAS offset
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.board);
    testsupport::EmulatedSdk env(c.board);
    ASSERT_TRUE(env.Start());
    CreateSdkInterfaces(env.Sdk(), env.driver, {.interfaces = kSdkChipset | kSdkCpu});
    auto* chipset = static_cast<CChipsetInterface*>(env.Sdk().FindInterface(INTERFACE_CHIPSET));
    ASSERT_NE(chipset, nullptr);
    const CMemoryInfo& m = *chipset->GetMemoryInfo();
    EXPECT_EQ(m.typeCode, c.type);
    EXPECT_EQ(m.channelCount, c.channels);
    ExpectTimings(m, c);
    EXPECT_EQ(m.commandRate, c.rate);
    EXPECT_STREQ(m.ratioText, c.ratio);
    EXPECT_FLOAT_EQ(m.uncoreRatio, c.uncore);
    EXPECT_GT(m.dramFrequency, 0);
  }
}

TEST(ChipsetBoards, TheHubsClockConfigurationFollowsTheBusClock) {
  testsupport::EmulatedSdk env("brenmor-p45");
  ASSERT_TRUE(env.Start());
  CreateSdkInterfaces(env.Sdk(), env.driver, {.interfaces = kSdkChipset});
  auto* chipset = static_cast<CChipsetInterface*>(env.Sdk().FindInterface(INTERFACE_CHIPSET));
  ASSERT_NE(chipset, nullptr);
  EXPECT_FLOAT_EQ(chipset->GetMemoryInfo()->ratioValue, 3.0f) << "DDR2-800 on a 133 MHz bus";
  env.machine->SetBclkMHz(200.0);
  chipset->Refresh();
  EXPECT_FLOAT_EQ(chipset->GetMemoryInfo()->ratioValue, 2.0f);
  EXPECT_STREQ(chipset->GetMemoryInfo()->ratioText, "1:2");
  EXPECT_NEAR(chipset->ComputeDramFrequency(200.0f, 9), 400.0f, 0.01f);
}

}  // namespace
