// torvikctl monitor: the Monitoring rows in the terminal.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <regex>
#include <string>

#include "platform/NamedMutex.h"

namespace {

struct CmdResult {
  int status;
  std::string out;
};

CmdResult Torvikctl(const std::string& args) {
  std::string cmd = "TORVIK_LOCK_NAMESPACE=" + plat::LockNamespace() + " " TORVIKCTL " " + args + " 2>&1";
  CmdResult r{-1, {}};
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

TEST(MonitorVerb, OnceprintsOneSnapshotOfTheRows) {
  CmdResult r = Torvikctl("--machine emulated --virtual-time monitor --once");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("\033["), std::string::npos) << "no screen control in a snapshot";
  EXPECT_NE(r.out.find("cycle 1\n"), std::string::npos) << r.out;
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
    EXPECT_NE(r.out.find("{\"cycle\":" + std::to_string(c) + ",\"rows\":[{\"box\":"), std::string::npos) << r.out;
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
