// The display interface on emulated graphics cards: which backends serve an
// adapter and in which order, how the driver library's GPUs find their
// adapters, the clock objects per performance level (kept out of the board
// PLL index), and the NVIDIA register formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "emu/gpu/NvidiaGpu.h"
#include "sdk/clock/CPLL.h"
#include "sdk/clock/CPLLInterface.h"
#include "sdk/clock/CPLLOutput.h"
#include "sdk/core/SdkStartup.h"
#include "sdk/graphics/CDisplayAPI.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"
#include "sdk/graphics/GpuClockPLL.h"
#include "sdk/graphics/NVIDIA_DirectIO_DisplayAPI.h"
#include "tests/sdk/graphics/GraphicsTestMachine.h"
#include "tests/support/EmulatedSdk.h"

namespace {

using graphicstest::FakeGpu;
using graphicstest::GraphicsSdk;

std::shared_ptr<emu::NvidiaGpu> AddCard(GraphicsSdk& env, uint8_t bus, uint16_t deviceId, uint32_t bar0) {
  return emu::NvidiaGpu::Install(*env.machine, {bus, 0, deviceId, 0xA1, 0x10DE, 0x0001, bar0});
}

CDisplayInterface* Display() {
  return static_cast<CDisplayInterface*>(QUARNSDK::GetInstance()->FindInterface(INTERFACE_DISPLAY));
}

std::vector<std::string> ApiNames(const CDisplayAdapter* a) {
  std::vector<std::string> names;
  for (const auto& e : a->apiEntries) names.push_back(e.api->name);
  return names;
}

// A G94 card answers temperature and core clock from its registers; the
// driver library (when there is one and mask bit 0 asks for it) comes after
// the register backend, so where both answer the registers win.
TEST(DisplayInterface, BackendsAttachInOrderAndTheFirstAnswerWins) {
  struct Case {
    uint32_t mask;
    bool library;
    std::vector<std::string> apis;
  } cases[] = {
      {0x0, true, {"NVIDIA I/O"}},
      {0x1, true, {"NVIDIA I/O", "NVIDIA NVAPI"}},
      {0x1, false, {"NVIDIA I/O"}},  // no library: the backend is absent, nothing fails
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mask " << c.mask << " library " << c.library);
    GraphicsSdk env;
    auto gpu = AddCard(env, 1, 0x0622, 0xF0000000);
    gpu->SetRegister(0x20400, 61);
    gpu->SetRegister(0xC040, 0x02);
    gpu->SetRegister(0x4024, 0x1801);
    gpu->SetRegister(0x4028, 0x00020000);
    env.machine->haveNvml = c.library;
    env.machine->nvmlGpus = {{1, 0x062210DE, 75, 999, 900}};
    ASSERT_TRUE(env.Start());
    ASSERT_TRUE(env.Sdk().CreateDisplayInterface(c.mask));
    ASSERT_EQ(Display()->AdapterCount(), 1);
    CDisplayAdapter* a = Display()->AdapterAt(0);
    EXPECT_EQ(ApiNames(a), c.apis);
    float t = -1;
    ASSERT_TRUE(a->ReadTemperature(&t));
    EXPECT_EQ(t, 61.0f);
    ASSERT_NE(a->coreClock[0], nullptr);
    EXPECT_FLOAT_EQ(a->coreClock[0]->frequency, 648.0f);
    EXPECT_STREQ(a->chipName, "G94");
    EXPECT_EQ(static_cast<uint32_t>(a->familyCode), 0x01050094u);
    // The memory PLL is bypassed: the registers say 100 MHz, the library 900.
    ASSERT_NE(a->memoryClock[0], nullptr);
    EXPECT_FLOAT_EQ(a->memoryClock[0]->frequency, 100.0f);
    // Only the library backend reaches the card's I2C through the driver.
    EXPECT_EQ(a->apiI2C != nullptr, c.apis.size() == 2);
  }
}

// The library's GPUs are matched to adapters by PCI id and bus number: two
// identical cards are told apart by their bus, a GPU on a bus without such
// an adapter (or with another device id on a card's bus) gets no entry.
TEST(DisplayInterface, LibraryGpusFindTheirAdaptersByIdAndBus) {
  GraphicsSdk env;
  AddCard(env, 3, 0x06C0, 0xF0000000);
  AddCard(env, 4, 0x06C0, 0xF1000000);
  env.machine->haveNvml = true;
  env.machine->nvmlGpus = {
      {4, 0x06C010DE, 70}, {3, 0x06C010DE, 80}, {9, 0x06C010DE, 90}, {3, 0x0E2210DE, 95},
  };
  ASSERT_TRUE(env.Start());
  ASSERT_TRUE(env.Sdk().CreateDisplayInterface(1));
  CDisplayInterface* d = Display();
  ASSERT_EQ(d->AdapterCount(), 2);
  CDisplayAdapter* onBus3 = d->FindAdapterByLocation(3, 0, 0);
  CDisplayAdapter* onBus4 = d->FindAdapterByLocation(4, 0, 0);
  ASSERT_TRUE(onBus3 && onBus4);
  ASSERT_EQ(onBus3->apiEntries.size(), 2u);
  ASSERT_EQ(onBus4->apiEntries.size(), 2u);
  EXPECT_EQ(onBus3->apiEntries[1].handle, 1);
  EXPECT_EQ(onBus4->apiEntries[1].handle, 0);
  float t3 = -1, t4 = -1;
  ASSERT_TRUE(onBus3->ReadTemperature(&t3));
  ASSERT_TRUE(onBus4->ReadTemperature(&t4));
  EXPECT_EQ(t3, 80.0f);
  EXPECT_EQ(t4, 70.0f);
  // Each served adapter reads the card's I2C through the library.
  EXPECT_NE(onBus3->apiI2C, nullptr);
  EXPECT_NE(onBus3->apiI2C, onBus4->apiI2C);
  CTList<CDisplayAdapter> same;
  EXPECT_EQ(d->FindAdapters(0x10DE, 0x06C0, &same), 2);
}

// A backend with three performance levels.
class LevelsAPI : public CDisplayAPI {
 public:
  explicit LevelsAPI(CDisplayInterface& d) : CDisplayAPI(0x7777, "Levels"), display(d) {}
  bool Init() override {
    for (CDisplayAdapter* a : display.AdaptersOf(DISPLAY_VENDOR_NVIDIA)) a->AddAPI(this, 0);
    return true;
  }
  int GetPerfLevelCount(CDisplayAdapter*) override { return 3; }
  int GetCurrentPerfLevel(CDisplayAdapter*) override { return 2; }
  bool GetPerfLevelName(CDisplayAdapter*, int level, char* text, unsigned size) override {
    static const char* names[] = {"2D Desktop", "3D Applications", "Overclocked"};
    std::snprintf(text, size, "%s", names[level]);
    return true;
  }
  bool GetCoreClock(CDisplayAdapter*, int level, float* mhz, float* min, float* max) override {
    *mhz = 100.0f * (level + 1);
    *min = *max = -1;
    return true;
  }
  bool GetMemoryClock(CDisplayAdapter*, int level, float* mhz, float* min, float* max) override {
    *mhz = 500.0f + level;
    *min = *max = -1;
    return true;
  }
  bool SetCoreClock(CDisplayAdapter*, int level, float mhz) override {
    setLevel = level;
    setMhz = mhz;
    return true;
  }
  CDisplayInterface& display;
  int setLevel = -1;
  float setMhz = -1;
};
LevelsAPI* gLevels = nullptr;

TEST(DisplayInterface, EveryPerformanceLevelGetsItsOwnClockObjects) {
  GraphicsSdk env;
  AddCard(env, 1, 0x06C0, 0xF0000000);
  ASSERT_TRUE(env.Start());
  CDisplayInterface::SetBackendsForTest({[](CDisplayInterface& d) -> CDisplayAPI* { return gLevels = new LevelsAPI(d); }});
  const int created = env.Sdk().CreateDisplayInterface(0);
  CDisplayInterface::SetBackendsForTest({});
  ASSERT_TRUE(created);
  CDisplayAdapter* a = Display()->AdapterAt(0);
  EXPECT_EQ(a->perfLevelCount, 3);
  EXPECT_EQ(a->currentPerfLevel, 2);
  EXPECT_STREQ(a->perfLevelNames[1], "3D Applications");
  for (int l = 0; l < 3; ++l) {
    SCOPED_TRACE(l);
    ASSERT_NE(a->coreClock[l], nullptr);
    EXPECT_FLOAT_EQ(a->coreClock[l]->frequency, 100.0f * (l + 1));
    ASSERT_EQ(a->coreClock[l]->OutputCount(), 1);
    EXPECT_STREQ(a->coreClock[l]->GetOutput(0)->name, "GPU Core");
    EXPECT_EQ(a->coreClock[l]->GetOutput(0)->key, 6);
    EXPECT_EQ(a->shaderClock[l], nullptr);
  }
  EXPECT_NE(a->coreClock[0], a->coreClock[1]);
  EXPECT_EQ(a->coreClock[3], nullptr);
  // Six clock objects in the facade, none of them in the board's PLL index.
  EXPECT_EQ(env.Sdk().GetPLLs()->count, 6);
  EXPECT_EQ(PLLCount(), 0);
  EXPECT_EQ(PLLAt(0), nullptr);
  // A refresh does not make them again.
  Display()->Refresh();
  EXPECT_EQ(env.Sdk().GetPLLs()->count, 6);
  // Setting a core clock goes through the adapter's APIs.
  CPLL* core = a->coreClock[1];
  EXPECT_TRUE(core->SetFrequency(250.0f));
  EXPECT_EQ(core->Apply(), 1);
  EXPECT_EQ(gLevels->setLevel, 1);
  EXPECT_EQ(gLevels->setMhz, 250.0f);
  // A memory clock object reads nothing on its own and keeps its output.
  EXPECT_EQ(a->memoryClock[0]->Read(), 0);
  EXPECT_EQ(a->memoryClock[0]->OutputCount(), 1);
  EXPECT_STREQ(a->memoryClock[0]->GetOutput(0)->name, "GPU Memory");
}

// Register formulas of the NVIDIA backend on a GT200, a G80 and a GF100.
class NvidiaRegisters : public testing::Test {
 protected:
  void SetUp() override {
    gt200 = AddCard(env, 1, 0x05E3, 0xF0000000);
    g80 = AddCard(env, 2, 0x0191, 0xF1000000);
    gf100 = AddCard(env, 3, 0x06C0, 0xF2000000);
    ASSERT_TRUE(env.Start());
    ASSERT_TRUE(env.Sdk().CreateDisplayInterface(0));
    api = Display()->apis->At(0);
    ASSERT_STREQ(api->name, "NVIDIA I/O");
    a = Display()->FindAdapterByLocation(1, 0, 0);
    b = Display()->FindAdapterByLocation(2, 0, 0);
    f = Display()->FindAdapterByLocation(3, 0, 0);
    ASSERT_TRUE(a && b && f);
  }
  void Set(emu::NvidiaGpu& g, std::initializer_list<std::pair<uint32_t, uint32_t>> regs) {
    for (auto [o, v] : regs) g.SetRegister(o, v);
  }
  GraphicsSdk env;
  std::shared_ptr<emu::NvidiaGpu> gt200, g80, gf100;
  CDisplayAPI* api = nullptr;
  CDisplayAdapter* a = nullptr;
  CDisplayAdapter* b = nullptr;
  CDisplayAdapter* f = nullptr;
};

TEST_F(NvidiaRegisters, MemoryClock) {
  struct Case {
    uint32_t r4008, r400C, r4018, r401C;
    float mhz;  // -1: no answer
  } cases[] = {
      {0x80010000, 0x00001B02, 0, 0, 729.0f},                 // 27 × 108 MHz / 2 >> 1
      {0x00010000, 0x00001B02, 0, 0, 100.0f},                 // PLL bypassed
      {0x00004018, 0x00001702, 0x80000000, 0x00001702, 1242.0f},  // second PLL in use
      {0x80000000, 0x00001700, 0, 0, -1.0f},                  // M = 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.r4008 << " " << c.r400C);
    Set(*gt200, {{0x4008, c.r4008}, {0x400C, c.r400C}, {0x4018, c.r4018}, {0x401C, c.r401C}});
    float mhz = -1, lo = 0, hi = 0;
    EXPECT_EQ(api->GetMemoryClock(a, 0, &mhz, &lo, &hi), c.mhz > 0);
    if (c.mhz > 0) {
      EXPECT_FLOAT_EQ(mhz, c.mhz);
    }
  }
  EXPECT_FLOAT_EQ(NVIDIA_DirectIO_DisplayAPI::MemoryMHz(0x80010000, 0x1B02), 729.0f);
}

TEST_F(NvidiaRegisters, CoreAndShaderClocksFollowTheClockSelect) {
  Set(*gt200, {{0x4024, 0x1801}, {0x402C, 0x2903}, {0x4028, 0x00020000}, {0x4020, 0}});
  struct Case {
    uint32_t select;
    float core, shader;  // -1: no answer
  } cases[] = {
      {0x22, 648.0f, 1476.0f},   // both on their own coefficient
      {0x33, 369.0f, 2592.0f},   // swapped coefficients
      {0x11, -1.0f, -1.0f},      // no coefficient for select 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.select);
    gt200->SetRegister(0xC040, c.select);
    float mhz = -1, lo = 0, hi = 0;
    EXPECT_EQ(api->GetCoreClock(a, 0, &mhz, &lo, &hi), c.core > 0);
    if (c.core > 0) {
      EXPECT_FLOAT_EQ(mhz, c.core);
    }
    EXPECT_EQ(api->GetShaderClock(a, 0, &mhz, &lo, &hi), c.shader > 0);
    if (c.shader > 0) {
      EXPECT_FLOAT_EQ(mhz, c.shader);
    }
  }
  // The G80 has no such PLL registers for the backend.
  float mhz = -1, lo = 0, hi = 0;
  EXPECT_FALSE(api->GetCoreClock(b, 0, &mhz, &lo, &hi));
}

// Fermi: the GPC clock (shaders; the core runs at half of it) and the
// memory clock through nouveau's gf100 clock tree.
TEST_F(NvidiaRegisters, FermiClocksFromTheClockTree) {
  using Regs = std::vector<std::pair<uint32_t, uint32_t>>;
  struct Case {
    const char* what;
    Regs regs;
    float shader, memory;  // -1: no answer
  } cases[] = {
      {"GPC PLL on the crystal, final divider 4; memory PLL behind its source PLL",
       {{0x137100, 1}, {0x137000, 0x00020005}, {0x137004, 0x00016801}, {0x137120, 0}, {0x137250, 0x80000200},
        {0x1373F0, 2}, {0x132020, 1}, {0x132024, 0x00015809}, {0x137320, 0}, {0x132000, 1}, {0x132004, 0x00010701}},
       1404.0f, 1848.0f},
      {"GPC PLL on the 108 MHz reference, post divider 2; memory from the 100 MHz reference",
       {{0x137100, 1}, {0x137000, 1}, {0x137004, 0x00021A01}, {0x137120, 0x00030000}, {0x137250, 0},
        {0x1373F0, 0}, {0x137300, 2}},
       1404.0f, 100.0f},
      {"GPC divider path from SP PLL 1, divider 4",
       {{0x137100, 0}, {0x137160, 0x103}, {0x1371D0, 0x80000002}, {0xE820, 1}, {0xE824, 0x00003801},
        {0x137250, 0}},
       756.0f, 100.0f},
      {"GPC PLL disabled, memory PLL disabled",
       {{0x137100, 1}, {0x137000, 0}, {0x1373F0, 2}, {0x132000, 0}}, -1.0f, -1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (auto [o, v] : c.regs) gf100->SetRegister(o, v);
    float mhz = -1, lo = 0, hi = 0;
    EXPECT_EQ(api->GetShaderClock(f, 0, &mhz, &lo, &hi), c.shader > 0);
    if (c.shader > 0) {
      EXPECT_FLOAT_EQ(mhz, c.shader);
    }
    EXPECT_EQ(api->GetCoreClock(f, 0, &mhz, &lo, &hi), c.shader > 0);
    if (c.shader > 0) {
      EXPECT_FLOAT_EQ(mhz, c.shader / 2);
    }
    EXPECT_EQ(api->GetMemoryClock(f, 0, &mhz, &lo, &hi), c.memory > 0);
    if (c.memory > 0) {
      EXPECT_FLOAT_EQ(mhz, c.memory);
    }
  }
}

TEST_F(NvidiaRegisters, MemoryTypeSizeAndBusWidth) {
  struct Case {
    bool g80;
    uint32_t r100714, r100214, r100200;
    int type;
  } cases[] = {
      {false, 0, 0, 0, 1}, {false, 1, 0, 0, 2}, {false, 3, 0, 0, 64}, {false, 2, 3, 0, 3},
      {false, 2, 0, 0, 48}, {true, 2, 3, 0x00, 48}, {true, 2, 0, 0x10, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.g80 ? "G80 " : "GT200 ") << c.r100714 << " " << c.r100214);
    Set(c.g80 ? *g80 : *gt200, {{0x100714, c.r100714}, {0x100214, c.r100214}, {0x100200, c.r100200}});
    int type = -1;
    ASSERT_TRUE(api->GetMemoryType(c.g80 ? b : a, &type));
    EXPECT_EQ(type, c.type);
  }
  int mb = -1, bits = -1;
  gt200->SetRegister(0x10020C, 0x40000000);
  ASSERT_TRUE(api->GetMemorySize(a, &mb));
  EXPECT_EQ(mb, 1024);
  gt200->SetRegister(0x10020C, 0xFFFFFFFF);  // a dead read is no size
  EXPECT_FALSE(api->GetMemorySize(a, &mb));
  gt200->SetRegister(0x1540, 0x00FF0000);
  ASSERT_TRUE(api->GetBusWidth(a, &bits));
  EXPECT_EQ(bits, 512);
  gt200->SetRegister(0x1540, 0x003F0000);
  ASSERT_TRUE(api->GetBusWidth(a, &bits));
  EXPECT_EQ(bits, 384);
}

// On a board with a clock generator the display interface (created before
// the clock generators) leaves the board's PLL index as it is.
TEST(DisplayInterface, GpuClocksStayOutOfTheBoardPllIndex) {
  testsupport::EmulatedSdk env("brenmor-p55");
  uint32_t error = 0;
  ASSERT_TRUE(env.driver.Open("/tmp", &error, true));
  env.Sdk().SetDriver(&env.driver);
  CreateSdkInterfaces(env.Sdk(), env.driver);
  ASSERT_TRUE(env.driver.Acquire(&error, 2000));
  env.acquired = true;
  int gpuClocks = 0;
  for (CPLL* p : Items(env.Sdk().GetPLLs())) gpuClocks += IsGpuClock(p) ? 1 : 0;
  EXPECT_EQ(gpuClocks, 3);  // core, shaders, memory of the GTX 285
  ASSERT_EQ(PLLCount(), env.Sdk().GetPLLs()->count - 3);
  ASSERT_GT(PLLCount(), 0);
  for (int i = 0; i < PLLCount(); ++i) EXPECT_FALSE(IsGpuClock(PLLAt(i))) << i;
  EXPECT_TRUE(PLLAt(FindPLL(PLL_KIND_CPU))->HasKind(PLL_KIND_CPU));
}

}  // namespace
