// torvikctl volt on the emulated vendor boards: the rail listing and its
// JSON form with the dial gauge, a rail set by label or id printing the
// registers it wrote, and the refusals (no --yes, out of range, unknown or
// ambiguous rail, bad arguments).
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/support/RunTorvikctl.h"

namespace {

using testsupport::CmdResult;

CmdResult Torvikctl(const std::string& args) { return testsupport::RunTorvikctl("--virtual-time " + args); }

bool Matches(const std::string& text, const std::string& pattern) {
  return std::regex_search(text, std::regex(pattern));
}

TEST(TorvikctlVolt, ListsRailsPerControllerWithSettingAndRange) {
  CmdResult r = Torvikctl("--machine emulated:brenmor-z68 volt");
  ASSERT_EQ(r.status, 0) << r.out;
  for (const char* pattern :
       {"\nBoard id: 0x031CC94C\nDial gauge: position 0 of 255\n",
        "\nuP6228_VR_MicroController at 0x45 \\(controller 0\\)\n  0:0 +VCORE +1\\.20000 V +base 0\\.24500 V  step "
        "\\+0\\.00500 V  range 0\\.24500 V \\.\\. 1\\.49500 V\n",
        "\nCHIL_CHL8102_MicroController at 0x0C \\(controller 8\\)\n  8:0 +VCCIO +1\\.05000 V",
        "\n  6:0 +ChB DQ VRef +\\+ 0\\.00000 V +offsets  step \\+0\\.01000/-0\\.01000 V  range - 0\\.63000 V"})
    EXPECT_TRUE(Matches(r.out, pattern)) << pattern << "\n" << r.out;

  CmdResult j = Torvikctl("--machine emulated:brenmor-5520dp --json volt");
  ASSERT_EQ(j.status, 0) << j.out;
  EXPECT_TRUE(Matches(j.out, "^\\{\"machine\":\"emulated:brenmor-5520dp\",\"emulated\":true,\"board_id\":\"0x4FC5613E\","
                             "\"dial_position\":null,\"controllers\":\\[\\{\"index\":0,\"class\":\"NXP_PCA9545A_"))
      << j.out;
  EXPECT_TRUE(Matches(j.out, "\"id\":\"1:0:1\",\"label\":\"CPU1 VCORE\",\"name\":\"VCORE\",\"processor\":1,"
                             "\"row_id\":\"0x160\",\"type\":1,\"code\":66,\"direction\":1,\"setting\":\"1\\.20000 V\""))
      << j.out;
}

TEST(TorvikctlVolt, SetPrintsTheRegistersWritten) {
  struct Case {
    const char* args;
    const char* pattern;
  } cases[] = {
      {"0:0 1.3", "VCORE \\(uP6228_VR_MicroController at 0x45\\): 1\\.20000 V -> 1\\.30000 V\n"
                  "  register 0x18 <- 0xD3\n  register 0x27 <- 0x40\n"},
      {"\"DRAM Voltage\" +0.05", "1\\.50000 V -> 1\\.55000 V\n  register 0xC0 <- 0x00\n  register 0xBC <- 0x0F\n"
                                 "  register 0xD1 <- 0xFF\n  register 0xB3 <- 0x06\n  register 0xD0 <- 0x40\n"},
      {"\"chb dq vref\" -0.05", "- 0\\.05000 V\n  register 0x00 <- 0x3B\n"},
  };
  for (const Case& c : cases) {
    CmdResult r = Torvikctl(std::string("--machine emulated:brenmor-z68 --yes volt set ") + c.args);
    EXPECT_EQ(r.status, 0) << c.args << "\n" << r.out;
    EXPECT_TRUE(Matches(r.out, c.pattern)) << c.args << "\n" << r.out;
  }
  CmdResult dp = Torvikctl("--machine emulated:brenmor-5520dp --yes volt set \"CPU1 VCORE\" 1.1");
  EXPECT_EQ(dp.status, 0) << dp.out;
  EXPECT_TRUE(Matches(dp.out, "register 0x18 <- 0x52\n")) << dp.out;
}

TEST(TorvikctlVolt, RefusalsWriteNothing) {
  struct Case {
    const char* args;
    int status;
    const char* pattern;
  } cases[] = {
      {"volt set 0:0 1.3", 1, "without --yes"},
      {"--yes volt set 0:0 2.0", 1, "cannot be set to 2\\.0 \\(range 0\\.24500 V \\.\\. 1\\.49500 V\\)"},
      {"--yes volt set 0:0 1.3025", 1, "cannot be set to 1\\.3025"},
      {"--yes volt set VCORE 1.3", 1, "no single rail 'VCORE'"},
      {"--yes volt set 0:0 abc", 2, "usage: torvikctl volt"},
      {"--yes volt set 0:0", 2, "usage: torvikctl volt"},
      {"--yes volt frobnicate", 2, "usage: torvikctl volt"},
  };
  for (const Case& c : cases) {
    CmdResult r = Torvikctl(std::string("--machine emulated:brenmor-z68 ") + c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
    EXPECT_TRUE(Matches(r.out, c.pattern)) << c.args << "\n" << r.out;
    EXPECT_FALSE(Matches(r.out, "register 0x")) << c.args << "\n" << r.out;
  }
}

}  // namespace
