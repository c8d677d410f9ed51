// The clock generators the SDK finds on the emulated boards, and a change
// of the bus clock seen by the processor measurement.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "emu/chips/IntegratedClock.h"
#include "sdk/clock/CPLL.h"
#include "sdk/clock/CPLLInterface.h"
#include "sdk/clock/CPLLOutput.h"
#include "sdk/core/SdkStartup.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CProcessor.h"
#include "tests/support/EmulatedSdk.h"

namespace {

class ClockBoard {
 public:
  explicit ClockBoard(const std::string& board) : env(board) {}
  bool Start() {
    uint32_t error = 0;
    if (!env.driver.Open("/tmp", &error, true)) return false;
    QUARNSDK::GetInstance()->SetDriver(&env.driver);
    CreateSdkInterfaces(env.Sdk(), env.driver);
    if (!env.driver.Acquire(&error, 2000)) return false;
    env.acquired = true;
    return true;
  }
  // "name:frequency(outputs key/divider/multiplier)|..." of every PLL.
  std::string Describe() {
    std::string s;
    char b[300];
    for (int i = 0; i < PLLCount(); ++i) {
      CPLL* p = PLLAt(i);
      std::snprintf(b, sizeof(b), "%s:%.2f(", p->name, p->GetFrequency());
      s += b;
      for (CPLLOutput* o : Items(p->GetOutputs())) {
        std::snprintf(b, sizeof(b), "%d/%g/%g ", o->key, o->divider, o->multiplier);
        s += b;
      }
      s += ")|";
    }
    return s;
  }
  testsupport::EmulatedSdk env;
};

TEST(ClockBoardsTest, EachBoardGetsItsGenerators) {
  struct Case {
    const char* board;
    const char* plls;
  } cases[] = {
      {"brenmor-p45", "ICS 9PLRS139 CPU PLL:133.33(1/1/1 )|ICS 9PLRS139 PCIE PLL:100.00(4/1/1 )|"
                      "ICS 9PLRS139 PCI PLL:33.34(5/1/1 )|"},
      {"brenmor-5520dp", "ICS 9PLRS139 CPU PLL:133.33(1/1/1 )|ICS 9PLRS139 PCIE PLL:100.00(4/1/1 )|"
                      "ICS 9PLRS139 PCI PLL:33.34(5/1/1 )|"},
      {"brenmor-x58", "ICS 9PLRS133 CPU PLL:133.33(1/1/1 )|"},
      // The strap device at 0x6D reads 0xA6: the processor clock is × 1.25.
      {"brenmor-x79-slg", "Silego SLG505YC264B CPU PLL:100.00(1/1/1.25 )|"},
      {"brenmor-p67", "Intel P67 PLL:1000.00(1/10/1 4/10/1 5/30/1 )|"},
      {"brenmor-z77", "Intel P77 CPU PLL:1000.00(1/10/1 )|Intel P77 PCIE PLL:1000.00(4/10/1 )|"},
      // The X79 board's strap finds no PLL to give its factor to.
      {"brenmor-x79", ""},
      {"brenmor-z68", ""},
  };
  for (const Case& c : cases) {
    ClockBoard b(c.board);
    ASSERT_TRUE(b.Start()) << c.board;
    EXPECT_NE(b.env.Sdk().FindInterface(INTERFACE_PLL), nullptr) << "kept even without a PLL";
    EXPECT_EQ(b.Describe(), c.plls) << c.board;
  }
}

TEST(ClockBoardsTest, MissingChipsetClockComponentGivesNoPLL) {
  for (const char* board : {"brenmor-p67", "brenmor-z77"}) {
    ClockBoard b(board);
    b.env.machine->SetIntegratedClock(nullptr, 0);
    ASSERT_TRUE(b.Start());
    EXPECT_EQ(PLLCount(), 0) << board;
  }
}

TEST(ClockBoardsTest, StrapFactorGoesToTheFirstProcessorClockOnly) {
  // A processor-clock PLL created before the Silego one takes the factor.
  class Earlier : public CPLL {
   public:
    Earlier() : CPLL(7) {
      kind = PLL_KIND_CPU;
      frequency = 100;
      AddOutput("CPU", PLL_OUTPUT_CPU, 1);
    }
  };
  ClockBoard b("brenmor-x79-slg");
  auto* first = new Earlier();
  QUARNSDK::GetInstance()->AddPLL(first);
  ASSERT_TRUE(b.Start());
  ASSERT_EQ(PLLCount(), 2);
  EXPECT_FLOAT_EQ(first->GetOutput(0)->multiplier, 1.25f);
  EXPECT_FLOAT_EQ(PLLAt(1)->GetOutput(0)->multiplier, 1.0f);
}

TEST(ClockBoardsTest, BusClockChangeReachesTheProcessorMeasurement) {
  ClockBoard b("brenmor-p55");
  ASSERT_TRUE(b.Start());
  const int cpuPll = FindPLL(PLL_KIND_CPU), pciePll = FindPLL(PLL_KIND_PCIE);
  ASSERT_GE(cpuPll, 0);
  ASSERT_GE(pciePll, 0);
  auto* cpu = static_cast<CCPUInterface*>(b.env.Sdk().FindInterface(INTERFACE_CPU));
  ASSERT_NE(cpu, nullptr);

  std::vector<float> steps;
  ASSERT_TRUE(SetPLLFrequency(cpuPll, 160, 10, [&](float f) { steps.push_back(f); }));
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_NEAR(steps[0], 143.33, 0.01);
  EXPECT_NEAR(steps[1], 153.33, 0.01);
  EXPECT_FLOAT_EQ(steps[2], 160);
  CPLL* pll = PLLAt(cpuPll);
  EXPECT_NEAR(pll->GetFrequency(), 160, 0.01);
  ASSERT_NE(pll->GetOutput(0), nullptr) << "the divider found before the ramp is kept";
  EXPECT_FLOAT_EQ(pll->GetOutput(0)->divider, 1);

  cpu->Refresh();
  CProcessor* p = cpu->GetProcessor(0);
  EXPECT_NEAR(cpu->busClock, 160, 0.16);
  const float ratio = p->GetCoreMultiplier(0);
  ASSERT_GT(ratio, 0);
  EXPECT_NEAR(p->GetCoreClock(0), 160 * ratio, 0.001 * 160 * ratio);

  // Ten changes of the processor clock leave the PCI Express clock alone.
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(SetPLLFrequency(cpuPll, i % 2 ? 150 : 145, 10));
  EXPECT_DOUBLE_EQ(b.env.machine->PcieMHz(), 100.0);
  PLLAt(pciePll)->Read();
  EXPECT_FLOAT_EQ(PLLAt(pciePll)->GetFrequency(), 100.0f);

  // Out of range: refused before anything is written.
  const double bclk = b.env.machine->BclkMHz();
  EXPECT_EQ(SetPLLFrequency(cpuPll, 600, 10), 0);
  EXPECT_DOUBLE_EQ(b.env.machine->BclkMHz(), bclk);
}

TEST(ClockBoardsTest, ChipsetClocksRampWithinTheirRange) {
  {
  ClockBoard b("brenmor-p67");
  ASSERT_TRUE(b.Start());
  ASSERT_EQ(PLLCount(), 1);
  CPLL* pll = PLLAt(0);
  EXPECT_FLOAT_EQ(pll->GetMinimum(), 900);
  EXPECT_FLOAT_EQ(pll->GetMaximum(), 1200);
  ASSERT_TRUE(SetPLLFrequency(0, 1040, 10));
  EXPECT_FLOAT_EQ(pll->GetFrequency(), 1040);
  EXPECT_NEAR(b.env.machine->BclkMHz(), 104, 1e-6);
  EXPECT_EQ(SetPLLFrequency(0, 1300, 10), 0) << "beyond the library's range";
  EXPECT_NEAR(b.env.machine->BclkMHz(), 104, 1e-6);
  }
  ClockBoard z("brenmor-z77");
  ASSERT_TRUE(z.Start());
  ASSERT_TRUE(SetPLLFrequency(FindPLL(PLL_KIND_PCIE), 1050, 10));
  EXPECT_NEAR(z.env.machine->PcieMHz(), 105, 1e-6);
  EXPECT_NEAR(z.env.machine->BclkMHz(), 100, 1e-6);
}

}  // namespace
