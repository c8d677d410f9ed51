// Every listing of torvikctl, on every emulated board, is one valid JSON
// value on stdout, whatever the firmware strings hold.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "emu/BoardDescription.h"
#include "platform/NamedMutex.h"
#include "tests/support/JsonCheck.h"

namespace {

struct Listing {
  std::string args;
  FILE* pipe = nullptr;
  std::string out;
  int status = -1;
};

// Every listing on the first board; on the others those whose content comes
// from the board (the rest print the same fields everywhere).
const char* const kListings[] = {
    "machines", "rdmsr 0 0x10", "inb 0x80", "rdpci 00:00.0 0", "rdphys 0xF0000", "dump 0xF0000 32", "pci",
    "turbo",    "timers",       "smbus",    "status", "dmi", "pci -v", "cpu", "smbus probe", "superio",
    "monitor --once", "sensors",
};
constexpr size_t kBoardListingsFrom = 10;  // "status" onwards

TEST(JsonOutput, EveryListingOnEveryBoardParses) {
  for (const emu::BoardDescription* board : emu::Boards()) {
    SCOPED_TRACE(board->name);
    // The listings of one board run side by side, each in a lock namespace
    // of its own so that they never wait for one another.
    std::vector<Listing> runs;
    int n = 0;
    for (size_t k = board == emu::Boards().front() ? 0 : kBoardListingsFrom; k < std::size(kListings); ++k) {
      const char* listing = kListings[k];
      Listing r;
      r.args = std::string("--machine emulated:") + board->name + " --virtual-time --json " + listing;
      const std::string cmd = "TORVIK_LOCK_NAMESPACE=" + plat::LockNamespace() + "-" + std::to_string(n++) +
                              " " TORVIKCTL " " + r.args + " 2>/dev/null";
      r.pipe = popen(cmd.c_str(), "r");
      ASSERT_NE(r.pipe, nullptr);
      runs.push_back(r);
    }
    for (Listing& r : runs) {
      char buf[4096];
      size_t got;
      while ((got = fread(buf, 1, sizeof(buf), r.pipe)) > 0) r.out.append(buf, got);
      const int st = pclose(r.pipe);
      r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    for (const Listing& r : runs) {
      SCOPED_TRACE(r.args);
      // A listing that is not there on this board fails with a message and
      // prints nothing on stdout; one that succeeds prints valid JSON.
      ASSERT_TRUE(r.status == 0 || r.status == 1) << r.status;
      if (r.status == 1) {
        EXPECT_TRUE(r.out.empty()) << r.out;
        continue;
      }
      EXPECT_EQ(testsupport::JsonCheck::Check(r.out), "") << r.out;
    }
  }
}

TEST(JsonOutput, TheCheckerRefusesWhatIsNotJson) {
  const std::pair<const char*, bool> cases[] = {
      {"{\"a\":[1,2.5e3,-0,true,null,\"\\u00e9\"]}\n", true},
      {"{\"a\":\"caf\xC3\xA9\"}", true},
      {"{\"a\":\"\xE9\"}", false},        // Latin-1 byte
      {"{\"a\":\"\xC0\xAF\"}", false},    // overlong
      {"{\"a\":\"\xED\xA0\x80\"}", false},  // surrogate
      {"{\"a\":\"\x1B[2J\"}", false},     // raw control
      {"{\"a\":1,}", false},
      {"{\"a\":01}", false},
      {"{} {}", false},
  };
  for (const auto& [text, ok] : cases) EXPECT_EQ(testsupport::JsonCheck::Check(text).empty(), ok) << text;
}

}  // namespace
