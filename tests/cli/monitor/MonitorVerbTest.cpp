// torvikctl monitor: the Monitoring rows in the terminal.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "tests/support/RunTorvikctl.h"

namespace {

using testsupport::CmdResult;

CmdResult Torvikctl(const std::string& args) { return testsupport::RunTorvikctl(args); }

TEST(MonitorVerb, OnceprintsOneSnapshotOfTheRows) {
  CmdResult r = Torvikctl("--machine emulated --virtual-time monitor --once");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("\033["), std::string::npos) << "no screen control in a snapshot";
  EXPECT_NE(r.out.find("cycle 1 on emulated:brenmor-x58  (EMULATED"), std::string::npos)
      << "emulated readings say so: " << r.out;
  EXPECT_NE(r.out.find("SENSOR"), std::string::npos);
  EXPECT_NE(r.out.find("\nTemperatures\n"), std::string::npos) << r.out;
  // A processor core row: name, value, min and max in degrees.
  std::regex core(R"(\n  Core #0 +[0-9]+\.[0-9] °C +[0-9]+\.[0-9] °C +[0-9]+\.[0-9] °C\n)");
  EXPECT_TRUE(std::regex_search(r.out, core)) << r.out;
}

TEST(MonitorVerb, CountedLiveViewAdvancesTheCycleEachSecond) {
  CmdResult r = Torvikctl("--machine emulated --virtual-time --json monitor --count 3");
  ASSERT_EQ(r.status, 0) << r.out;
  for (int c = 1; c <= 3; ++c)
    EXPECT_NE(r.out.find("{\"cycle\":" + std::to_string(c) +
                         ",\"machine\":\"emulated:brenmor-x58\",\"emulated\":true,\"rows\":[{\"box\":"),
              std::string::npos)
        << r.out;
  EXPECT_NE(r.out.find("\"label\":\"Core #0\""), std::string::npos) << r.out;
}

TEST(MonitorVerb, BadArgumentsPrintUsage) {
  for (const char* args : {"monitor --twice", "monitor --count", "monitor --count 0", "monitor --once extra"}) {
    CmdResult r = Torvikctl(std::string("--machine emulated --virtual-time ") + args);
    EXPECT_EQ(r.status, 2) << args << "\n" << r.out;
    EXPECT_NE(r.out.find("usage: torvikctl monitor"), std::string::npos) << args;
  }
}

}  // namespace
