// torvikctl clock: the generators of the emulated boards, the stepped
// change with every step printed, and refusals.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/RunTorvikctl.h"

namespace {

using testsupport::CmdResult;

CmdResult Torvikctl(const std::string& args) { return testsupport::RunTorvikctl("--virtual-time " + args); }

TEST(TorvikctlClockTest, ListsGeneratorsWithOutputs) {
  CmdResult json = Torvikctl("--machine emulated:brenmor-p55 --json clock");
  ASSERT_EQ(json.status, 0) << json.out;
  EXPECT_NE(json.out.find("\"name\":\"ICS 9PLRS139 PCIE PLL\",\"kind\":\"0x02000000\""), std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"name\":\"PCIE\",\"key\":4,\"divider\":1,\"multiplier\":1,\"frequencyMHz\":100}"),
            std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"id\":\"0x049FF139\",\"referenceMHz\":32"), std::string::npos) << json.out;

  CmdResult text = Torvikctl("--machine emulated:brenmor-x79-slg clock");
  ASSERT_EQ(text.status, 0) << text.out;
  EXPECT_NE(text.out.find("Silego SLG505YC264B CPU PLL"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("Output CPU (key 1): divider 1, multiplier 1.25, 125.00 MHz"), std::string::npos)
      << text.out;
  EXPECT_NE(Torvikctl("--machine emulated:brenmor-x79 clock").out.find("No clock generator found."), std::string::npos);
}

TEST(TorvikctlClockTest, SetRampsAndPrintsEveryStep) {
  CmdResult r = Torvikctl("--machine emulated:brenmor-p55 --yes clock set cpu 160");
  ASSERT_EQ(r.status, 0) << r.out;
  const size_t a = r.out.find("applied 143.33 MHz"), b = r.out.find("applied 153.33 MHz"),
               c = r.out.find("applied 160.00 MHz");
  ASSERT_NE(a, std::string::npos) << r.out;
  ASSERT_NE(b, std::string::npos) << r.out;
  ASSERT_NE(c, std::string::npos) << r.out;
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  // The measurement window is 15000 ACPI timer ticks: its last digit moves
  // by one tick (67 ppm, 0.01 MHz here) with the phase of the accesses
  // before it.
  const size_t measured = r.out.find("Measured bus clock ");
  ASSERT_NE(measured, std::string::npos) << r.out;
  EXPECT_NEAR(std::stod(r.out.substr(measured + 19)), 160.0, 0.015) << r.out;

  CmdResult small = Torvikctl("--machine emulated:brenmor-p55 --yes clock set 0 138 --step 10");
  ASSERT_EQ(small.status, 0) << small.out;
  EXPECT_EQ(small.out.find("applied 13"), small.out.find("applied 138.00 MHz")) << "one direct step";

  CmdResult chipset = Torvikctl("--machine emulated:brenmor-z77 --yes clock set pcie 1020");
  ASSERT_EQ(chipset.status, 0) << chipset.out;
  EXPECT_NE(chipset.out.find("Intel P77 PCIE PLL now runs at 1020.00 MHz"), std::string::npos) << chipset.out;
}

TEST(TorvikctlClockTest, RefusalsAndBadArguments) {
  struct Case {
    const char* args;
    int status;
    const char* says;
  } cases[] = {
      {"--machine emulated:brenmor-p55 clock set cpu 150", 1, "--yes"},
      {"--machine emulated:brenmor-p55 --yes clock set cpu 400", 1, "outside 66.67 .. 266.67 MHz"},
      {"--machine emulated:brenmor-p67 --yes clock set cpu 1300", 1, "outside 900.00 .. 1200.00 MHz"},
      {"--machine emulated:brenmor-x79 --yes clock set cpu 100", 1, "no such clock generator"},
      {"--machine emulated:brenmor-p55 --yes clock set 7 100", 1, "no such clock generator"},
      {"--machine emulated:brenmor-p55 --yes clock set cpu fast", 2, "usage"},
      {"--machine emulated:brenmor-p55 --yes clock set cpu -5", 2, "usage"},
      {"--machine emulated:brenmor-p55 --yes clock set cpu nan", 2, "usage"},
      {"--machine emulated:brenmor-p55 --yes clock set cpu 150 --step 0", 2, "usage"},
      {"--machine emulated:brenmor-p55 --yes clock set cpu 150 --stride 5", 2, "usage"},
      {"--machine emulated:brenmor-p55 clock extra", 2, "usage"},
  };
  for (const Case& c : cases) {
    CmdResult r = Torvikctl(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
    EXPECT_EQ(r.out.find("applied"), std::string::npos) << c.args;
  }
}

}  // namespace
