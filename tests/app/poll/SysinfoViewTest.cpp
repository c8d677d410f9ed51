// The CPU view's formats (multipliers with the sample's ratio range, cache
// sizes, ways, process size, instruction list, specification, link label,
// logo) and its reading of a processor put together by hand: the trace
// cache row, a split level-2 cache, the board cache, and the core voltage
// of the selected processor on a dual-processor board.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "poll/SysinfoView.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/memory/CChipsetInterface.h"

namespace {

TEST(SysinfoViewFormat, Multiplier) {
  struct Case {
    float m;
    bool es;
    float min, max;
    const char* text;
  } cases[] = {
      {21.5f, false, 12, 40, "x 21.5"},
      {21.75f, false, 12, 40, "x 21.75"},
      {21.0f, false, -1, -1, "x 21.0"},
      {9.3f, false, -1, -1, "x 9.3"},  // held as 9.2999...
      {21.5f, true, 12, 40, "x 21.5 ( 12 - 40 )"},
      {21.5f, true, 12.5f, 40, "x 21.5 ( 12.5 - 40 )"},
      {21.5f, true, 6, 10.5f, "x 21.5 ( 6 - 10.5 )"},
      {21.75f, true, 12, 40, "x 21.75 ( 12.00 - 40.00 )"},
      {21.5f, true, -1, 40, "x 21.5"},  // range unknown
  };
  for (const Case& c : cases)
    EXPECT_EQ(CSysinfoView::MultiplierText(c.m, c.es, c.min, c.max), c.text) << c.m << " es=" << c.es;
}

TEST(SysinfoViewFormat, CacheSizesWaysAndProcessSize) {
  struct Size {
    int count, kb;
    const char* text;
  } level3[] = {
      {1, 8192, "8 MBytes"}, {1, 6144, "6 MBytes"}, {1, 1536, "1536 KBytes"}, {1, 1024, "1 MBytes"},
      {1, 512, "512 KBytes"}, {2, 6144, "2 x 6 MBytes"}, {2, 3072, "2 x 3 MBytes"}, {2, 1536, "2 x 1536 KBytes"},
  };
  for (const Size& c : level3) EXPECT_EQ(CSysinfoView::Level3SizeText(c.count, c.kb), c.text) << c.kb;
  EXPECT_EQ(CSysinfoView::CacheSizeText(4, 256, "KBytes"), "4 x 256 KBytes");
  EXPECT_EQ(CSysinfoView::CacheSizeText(1, 12, "Kuops"), "12 Kuops");

  EXPECT_EQ(CSysinfoView::WaysText(1), "direct");
  EXPECT_EQ(CSysinfoView::WaysText(255), "fully");
  EXPECT_EQ(CSysinfoView::WaysText(16), "16-way");
  EXPECT_EQ(CSysinfoView::WaysText(-1), "");

  EXPECT_EQ(CSysinfoView::TechnologyText(0.045f), "45 nm");
  EXPECT_EQ(CSysinfoView::TechnologyText(0.065f), "65 nm") << "0.065 is held just below";
  EXPECT_EQ(CSysinfoView::TechnologyText(0.032f), "32 nm");
  EXPECT_EQ(CSysinfoView::TechnologyText(0.13f), "0.13 um");
  EXPECT_EQ(CSysinfoView::TechnologyText(0.18f), "0.18 um");
  EXPECT_EQ(CSysinfoView::TechnologyText(0.0f), "");
  EXPECT_EQ(CSysinfoView::TechnologyText(-1.0f), "");
}

TEST(SysinfoViewFormat, InstructionsSpecificationLinkAndLogo) {
  const std::vector<int> k8 = {FEATURE_MMX, FEATURE_MMX_EXT, FEATURE_3DNOW, FEATURE_3DNOW_EXT,
                               FEATURE_SSE, FEATURE_SSE2,    FEATURE_64BIT};
  EXPECT_EQ(CSysinfoView::InstructionsText(k8, 0x2002001), " MMX (+), 3DNow! (+), SSE, SSE2, x86-64");
  const std::vector<int> nehalem = {FEATURE_MMX,   FEATURE_SSE,   FEATURE_SSE2,  FEATURE_SSE3,
                                    FEATURE_SSSE3, FEATURE_SSE41, FEATURE_SSE42, FEATURE_64BIT, FEATURE_AES};
  EXPECT_EQ(CSysinfoView::InstructionsText(nehalem, 0x1020001), " MMX, SSE, SSE2, SSE3, SSSE3, SSE4.1, SSE4.2, EM64T");
  EXPECT_EQ(CSysinfoView::InstructionsText({FEATURE_SSE4A, FEATURE_XOP}, 0x2004001), " , SSE4A, XOP");

  EXPECT_EQ(CSysinfoView::SpecificationText("Brand X 3.0GHz", "Name", 3000, false), "Brand X 3.0GHz");
  EXPECT_EQ(CSysinfoView::SpecificationText("", "Athlon", 1400, false), "Athlon 1400 MHz");
  EXPECT_EQ(CSysinfoView::SpecificationText("", "Athlon", -1, true), "Athlon (ES)");
  EXPECT_EQ(CSysinfoView::SpecificationText("Brand X", "Name", -1, true), "Brand X (ES)");

  struct Link {
    uint32_t type;
    const char* label;
  } links[] = {{0x2002000, "HT Link"},  {0x20020FF, "HT Link"},   {0x2002100, "Rated FSB"}, {0x2004010, "HT Link"},
               {0x1020000, "QPI Link"}, {0x10200FF, "QPI Link"},  {0x1020100, "Rated FSB"}, {0x1010001, "Rated FSB"}};
  for (const Link& l : links) EXPECT_STREQ(CSysinfoView::LinkLabel(l.type), l.label) << std::hex << l.type;

  EXPECT_EQ(CSysinfoView::LogoBitmap(0x1020003), 210);
  EXPECT_EQ(CSysinfoView::LogoBitmap(0x1020105), 230);
  EXPECT_EQ(CSysinfoView::LogoBitmap(0x1020106), 211);
  EXPECT_EQ(CSysinfoView::LogoBitmap(0), 211);
}

// Processors made by hand in the SDK facade: no hardware is touched.
class SysinfoViewSdk : public ::testing::Test {
 protected:
  void SetUp() override {
    sdk_ = QUARNSDK::GetInstance();
    cpu_ = new CCPUInterface(0);
    sdk_->interfaces->Append(cpu_);
    sdk_->cpuInterface = cpu_;
  }
  void TearDown() override { QUARNSDK::ReleaseInstance(); }

  struct CacheDef {
    int level, type, sizeKB, ways, count;
  };
  CProcessor* AddProcessor(int index, uint32_t typeCode, std::vector<CacheDef> caches) {
    auto* p = new CProcessor(index, index);
    auto* core = new CCPUCore(0);
    auto* t = new CCPUThread(index);
    t->typeCode = typeCode;
    std::snprintf(t->name, sizeof(t->name), "Test CPU %d", index);
    cpu_->threads->Append(t);
    cpu_->cores->Append(core);
    core->threads->Append(t);
    core->clock = 2800.0f;
    core->multiplier = 21.0f;
    p->threads->Append(t);
    p->cores->Append(core);
    for (const CacheDef& c : caches) {
      for (int i = 0; i < c.count; ++i) {
        CCacheDescriptor* d = t->AddCache(c.level, c.type);
        d->sizeKB = c.sizeKB;
        d->ways = c.ways;
        p->caches->Append(d);
      }
    }
    cpu_->processors->Append(p);
    sdk_->AddDevice(p);
    return p;
  }
  void AddVoltage(uint32_t key, float volts) {
    auto* s = new CVoltageSensor(0);
    s->id = key;
    s->SetValue(volts, true);
    sdk_->AddSensor(s);
  }

  QUARNSDK* sdk_ = nullptr;
  CCPUInterface* cpu_ = nullptr;
  CSysinfoView view_;
};

TEST_F(SysinfoViewSdk, TraceCacheRowAndSplitLevel2) {
  // A NetBurst-style core: no L1 instruction cache but a 12 Kuops trace
  // cache, and a level 2 cut into data and instruction halves.
  AddProcessor(0, 0x1010001,
               {{1, CACHE_DATA, 16, 8, 1}, {1, CACHE_TRACE, 12, 8, 1}, {2, CACHE_DATA, 512, 8, 2},
                {2, CACHE_INSTRUCTION, 512, 8, 1}});
  view_.Update(sdk_, 0, 0);
  const auto& l1i = view_.At(CSysinfoView::kL1Inst);
  EXPECT_EQ(l1i.label, "L1 Trace");
  EXPECT_EQ(l1i.value, "12 Kuops");
  EXPECT_EQ(l1i.ways, " 8-way");
  EXPECT_TRUE(l1i.enabled);
  EXPECT_EQ(view_.At(CSysinfoView::kL1Data).value, "16 KBytes");
  EXPECT_EQ(view_.At(CSysinfoView::kL1Data).ways, "8-way");
  EXPECT_EQ(view_.At(CSysinfoView::kLevel2).value, "2 x 1024 KBytes") << "sum, counted with the data count";
  EXPECT_EQ(view_.At(CSysinfoView::kLevel2).ways, "");
  EXPECT_FALSE(view_.At(CSysinfoView::kLevel3).enabled);
  EXPECT_EQ(view_.At(CSysinfoView::kMultiplier).value, "x 21.0");
  EXPECT_EQ(view_.At(CSysinfoView::kCoreSpeed).value, "2800.0 MHz");
  EXPECT_EQ(view_.ClocksCaption(), "Clocks (Core #0)");
}

TEST_F(SysinfoViewSdk, BoardCacheTakesTheLevelAfterTheProcessors) {
  // A processor with level 1 only and 512 KB of cache on the board.
  AddProcessor(0, 0x1000001, {{1, CACHE_DATA, 8, 4, 1}, {1, CACHE_INSTRUCTION, 16, 4, 1}});
  auto* chipset = new CChipsetInterface();
  sdk_->interfaces->Append(chipset);
  sdk_->chipsetInterface = chipset;
  chipset->boardCache = new CCacheDescriptor();
  chipset->boardCache->sizeKB = 512;
  view_.Update(sdk_, 0, 0);
  EXPECT_EQ(view_.At(CSysinfoView::kL1Inst).label, "L1 Inst.");
  EXPECT_EQ(view_.At(CSysinfoView::kLevel2).value, "512 KBytes");
  EXPECT_FALSE(view_.At(CSysinfoView::kLevel3).enabled);
}

TEST_F(SysinfoViewSdk, DualProcessorBoardShowsTheSelectedProcessorsOwnVoltage) {
  const std::vector<CacheDef> caches = {{1, CACHE_DATA, 32, 8, 6}, {1, CACHE_INSTRUCTION, 32, 4, 6},
                                        {2, CACHE_UNIFIED, 256, 8, 6}, {3, CACHE_UNIFIED, 12288, 16, 1}};
  AddProcessor(0, 0x1020002, caches);
  AddProcessor(1, 0x1020002, caches);
  AddVoltage(0x04000100, 12.1f);  // +12V, sensor id 4
  AddVoltage(0x01000101, 1.250f); // CPU0 VCore
  AddVoltage(0x09000102, 1.100f); // CPU0 VTT
  AddVoltage(0x41000103, 1.175f); // CPU1 VCore
  for (int p = 0; p < 2; ++p) {
    view_.Update(sdk_, p, 0);
    EXPECT_EQ(view_.At(CSysinfoView::kCoreVoltage).value, p == 0 ? "1.250 V" : "1.175 V") << p;
    EXPECT_EQ(view_.At(CSysinfoView::kCoreVoltage).label, "Core Voltage");
    EXPECT_EQ(view_.At(CSysinfoView::kName).value, "Test CPU " + std::to_string(p));
  }
  EXPECT_EQ(view_.At(CSysinfoView::kLevel3).value, "12 MBytes");
  EXPECT_EQ(view_.At(CSysinfoView::kLevel3).ways, "16-way");
  EXPECT_EQ(view_.At(CSysinfoView::kLevel2).value, "6 x 256 KBytes");
  EXPECT_EQ(view_.At(CSysinfoView::kRatedFsb).label, "QPI Link");

  // A processor nobody has: every value empties, the three first labels stay.
  view_.Update(sdk_, 2, 0);
  for (const auto& f : view_.Fields()) EXPECT_EQ(f.value, "") << f.label;
  EXPECT_TRUE(view_.At(CSysinfoView::kName).enabled);
  EXPECT_FALSE(view_.At(CSysinfoView::kCoreVoltage).enabled);
}

}  // namespace
