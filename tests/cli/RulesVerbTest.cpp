// torvikctl rules: listing the user's rules and pinning the processes one
// names, with the usual refusals.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/ConfigFiles.h"
#include "platform/Utf16Text.h"
#include "tests/support/JsonCheck.h"
#include "tests/support/RunTorvikctl.h"
#include "tests/support/SleeperChild.h"

namespace {

using testsupport::RunTorvikctl;

const std::string kHeader = "[Brenmor Torvik Tuning Utility config file - Please do not edit !!]";

class RulesVerb : public ::testing::Test {
 protected:
  void SetUp() override {
    char t[] = "/tmp/torvik-rulesverb-XXXXXX";
    dir_ = mkdtemp(t);
    const char* old = std::getenv("XDG_CONFIG_HOME");
    hadXdg_ = old != nullptr;
    if (old) oldXdg_ = old;
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  void TearDown() override {
    hadXdg_ ? setenv("XDG_CONFIG_HOME", oldXdg_.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  void WriteRules(const std::vector<std::string>& lines) {
    std::string error;
    ASSERT_TRUE(plat::SaveConfigFile(dir_ + "/torvik/processes.txt", plat::EncodeUtf16Lines(lines), &error)) << error;
  }
  std::string dir_, oldXdg_;
  bool hadXdg_ = false;
};

TEST_F(RulesVerb, ListsRulesAsTextAndJson) {
  auto r = RunTorvikctl("rules list");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("no process rules"), std::string::npos) << r.out;

  WriteRules({kHeader, "PA=2 C \"encoder\"", "PA=FFFFFFFF FFFF \"idle\""});
  r = RunTorvikctl("rules list");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("CTRL + c  0x0000000C 2-3"), std::string::npos) << r.out;
  r = RunTorvikctl("--json rules list");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(testsupport::JsonCheck::Check(r.out), "") << r.out;
  EXPECT_NE(r.out.find(R"({"shortcut":2,"key":"CTRL + c","mask":"0x0000000C","processors":"2-3","name":"encoder"})"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(R"("shortcut":-1,"key":null)"), std::string::npos) << r.out;

  WriteRules({"[something else]", "PA=2 C \"encoder\""});
  r = RunTorvikctl("rules list");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("is not a process rule file"), std::string::npos) << r.out;
}

TEST_F(RulesVerb, ApplyPinsEveryThreadOfTheNamedProcess) {
  testsupport::SleeperChild child(TORVIK_SLEEPER, 3);
  ASSERT_TRUE(child.Ready());
  WriteRules({kHeader, "PA=3 1 \"torvik_threaded_sleeper\"", "PA=4 1 \"no-such-program\""});

  auto r = RunTorvikctl("rules apply d");
  EXPECT_EQ(r.status, 1) << "needs --yes";
  EXPECT_EQ(child.ThreadCpuLists(), std::vector<std::string>(4, child.ThreadCpuLists()[0]));

  r = RunTorvikctl("--yes rules apply D");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("pinned process " + std::to_string(child.Pid()) + " (torvik_threaded_sleeper) to processors 0"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(child.ThreadCpuLists(), std::vector<std::string>(4, "0"));

  struct Case {
    const char* args;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {"--yes rules apply e", 1, "no process named 'no-such-program' is running"},
      {"--yes rules apply a", 1, "no rule is bound to CTRL + a"},
      {"--yes rules apply i", 2, "usage: torvikctl rules"},
      {"--yes rules apply ab", 2, "usage: torvikctl rules"},
      {"--yes rules apply", 2, "usage: torvikctl rules"},
      {"rules", 2, "usage: torvikctl rules"},
      {"rules list extra", 2, "usage: torvikctl rules"},
  };
  for (const Case& c : cases) {
    r = RunTorvikctl(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << "\n" << r.out;
  }
}

}  // namespace
