// torvikctl sensors on the emulated boards: rows per chip, the JSON form,
// and register dumps given with --load-dump.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "tests/support/RunTorvikctl.h"

namespace {

using testsupport::CmdResult;

CmdResult Torvikctl(const std::string& args) { return testsupport::RunTorvikctl("--virtual-time " + args); }

bool Matches(const std::string& text, const std::string& pattern) {
  return std::regex_search(text, std::regex(pattern));
}

TEST(TorvikctlSensors, RowsPerChipWithUnitsAndRange) {
  CmdResult r = Torvikctl("--machine emulated:brenmor-x79 sensors");
  ASSERT_EQ(r.status, 0) << r.out;
  struct Case {
    const char* what;
    const char* pattern;
  } cases[] = {
      {"chip heading", "^\\[emulated:brenmor-x79: EMULATED[^\n]*\n\nFintek F71889A\nMonitor id: 0x19340541\n\\+3\\.3V: +\\+3\\.3\\d\\d V  \\(min = +\\+3\\.3"},
      {"VSB3V = 2 x 1.656 V + 0.016 V", "\nVSB3V: +\\+3\\.328 V"},
      {"temperature", "\nCPU: +\\+4\\d\\.\\d\xC2\xB0" "C  \\(min = "},
      {"fan", "\nCPU: +1[89]\\d\\d RPM"},
      {"second chip after a blank line", "\n\nNuvoton NCT7802\nMonitor id: 0x5CA300C1\nCPU VAXG: "},
      {"NCT7802 at 0x28", "\nPLL: +\\+1\\.80\\d V.*\nCPU VSA: "},
  };
  for (const auto& c : cases) EXPECT_TRUE(Matches(r.out, c.pattern)) << c.what << "\n" << r.out;
}

TEST(TorvikctlSensors, JsonCarriesKeysKindsAndProcessors) {
  CmdResult r = Torvikctl("--machine emulated:brenmor-5520dp --json sensors");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Matches(r.out, "^\\{\"machine\":\"emulated:brenmor-5520dp\",\"emulated\":true,\"board_id\":\"0x4FC5613E\","
                             "\"chips\":\\[\\{\"name\":\"Fintek F71882F\""))
      << r.out;
  EXPECT_TRUE(Matches(r.out, "\"label\":\"CPU0 VCORE\",\"class\":\"voltage\",\"key\":\"0x000101\",\"kind\":1,"
                             "\"processor\":0,\"raw\":\\d+,\"value\":1\\.\\d+,\"unit\":\"V\",\"min\":"))
      << r.out;
  EXPECT_TRUE(Matches(r.out, "\"label\":\"CPU1 VCORE\",\"class\":\"voltage\",\"key\":\"0x000101\",\"kind\":1,"
                             "\"processor\":1,"))
      << r.out;
}

TEST(TorvikctlSensors, LoadDumpReplaysARealBoardsRegisters) {
  CmdResult r = Torvikctl("--machine emulated:brenmor-x79 --load-dump f71882f=" MONITOR_FIXTURES
                          "/f71882f-vsa.isadump sensors");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Matches(r.out, "\nVSB3V: +\\+3\\.328 V  \\(min = +\\+3\\.328 V, max = +\\+3\\.328 V\\)")) << r.out;
  EXPECT_TRUE(Matches(r.out, "\nCPU: +1500 RPM")) << r.out;

  struct Bad {
    const char* arg;
    int status;
    const char* message;
  } bad[] = {
      {"f71882f=" MONITOR_FIXTURES "/malformed.isadump", 2, "malformed.isadump: line 8"},
      {"f71882f", 2, "CHIP=FILE"},
      {"f71882f=/nonexistent/dump", 2, "/nonexistent/dump"},
      {"nct7802@0x2d=" MONITOR_FIXTURES "/f71882f-vsa.isadump", 1, "no emulated chip 'nct7802@0x2d'"},
  };
  for (const auto& b : bad) {
    CmdResult e = Torvikctl(std::string("--machine emulated:brenmor-p45 --load-dump ") + b.arg + " sensors");
    EXPECT_EQ(e.status, b.status) << b.arg << "\n" << e.out;
    EXPECT_NE(e.out.find(b.message), std::string::npos) << e.out;
  }
}

}  // namespace
