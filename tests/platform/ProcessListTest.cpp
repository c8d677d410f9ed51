// The process list from /proc and pinning every thread of a process.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/ProcessList.h"
#include "tests/support/SleeperChild.h"

namespace {

constexpr const char* kSleeperName = "torvik_threaded_sleeper";

TEST(ProcessList, ListsAChildByExecutableNameButNeverThisProgram) {
  testsupport::SleeperChild child(TORVIK_SLEEPER, 2);
  ASSERT_TRUE(child.Ready());
  const auto list = plat::ListProcesses();
  const auto it = std::find_if(list.begin(), list.end(), [&](const plat::ProcessEntry& p) { return p.pid == child.Pid(); });
  ASSERT_NE(it, list.end());
  EXPECT_EQ(it->name, kSleeperName);
  EXPECT_NE(plat::FindProcessByName(kSleeperName), -1);

  const std::string own = plat::OwnExecutableName();
  EXPECT_EQ(own, "torvik_platform_test");
  for (const auto& p : list) {
    EXPECT_NE(p.pid, getpid());
    EXPECT_NE(p.name, own);
  }
  EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.pid < b.pid; }));
  EXPECT_EQ(plat::FindProcessByName("no-such-program-anywhere"), -1);
  EXPECT_EQ(plat::FindProcessByName(""), -1);
}

TEST(ProcessList, PinsEveryThreadOfAProcess) {
  cpu_set_t own;
  ASSERT_EQ(sched_getaffinity(0, sizeof(own), &own), 0);
  int last = -1;
  for (int i = 0; i < CPU_SETSIZE && i < 64; ++i)
    if (CPU_ISSET(i, &own)) last = i;
  ASSERT_GE(last, 0);

  testsupport::SleeperChild child(TORVIK_SLEEPER, 4);
  ASSERT_TRUE(child.Ready());
  ASSERT_EQ(child.ThreadCpuLists().size(), 5u);
  int error = 0;
  ASSERT_TRUE(plat::SetAffinityOfAllThreads(child.Pid(), uint64_t{1} << last, &error)) << error;
  for (const std::string& l : child.ThreadCpuLists()) EXPECT_EQ(l, std::to_string(last));
}

TEST(ProcessList, RefusedPinsSayWhy) {
  // A child that has ended and been reaped: its id names nothing.
  pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  int st = 0;
  ASSERT_EQ(waitpid(gone, &st, 0), gone);

  testsupport::SleeperChild child(TORVIK_SLEEPER, 1);
  ASSERT_TRUE(child.Ready());
  const std::vector<std::string> before = child.ThreadCpuLists();

  struct Case {
    int pid;
    uint64_t mask;
    int error;
    const char* text;
  };
  const Case cases[] = {
      {gone, 1, ESRCH, "is gone"},
      {child.Pid(), 0, EINVAL, "may not run on any of the chosen processors"},
      // Processor 63 is offline on this machine (or not ours to use).
      {child.Pid(), uint64_t{1} << 63, EINVAL, "may not run on any of the chosen processors"},
  };
  for (const Case& c : cases) {
    int error = 0;
    EXPECT_FALSE(plat::SetAffinityOfAllThreads(c.pid, c.mask, &error)) << c.pid;
    EXPECT_EQ(error, c.error) << c.pid;
    EXPECT_NE(plat::PinErrorText(c.pid, "x", error).find(c.text), std::string::npos);
  }
  EXPECT_EQ(child.ThreadCpuLists(), before) << "a refused pin changes no thread";
  EXPECT_NE(plat::PinErrorText(1, "init", EPERM).find("another user"), std::string::npos);
}

}  // namespace
