// torvikctl profile on the emulated boards: save, list and show (text and
// JSON) in the directory XDG_CONFIG_HOME names, load with its --yes and
// --force guards, the refusal of a profile this board cannot take, and the
// usage errors.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Utf16Text.h"
#include "tests/support/JsonCheck.h"
#include "tests/support/RunTorvikctl.h"

namespace {

using testsupport::CmdResult;

class TorvikctlProfile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/torvik-cli-profiles-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    config_ = pattern;
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(config_);
  }
  static CmdResult Run(const std::string& args) { return testsupport::RunTorvikctl("--virtual-time " + args); }
  std::string Path(int n) { return config_ + "/torvik/profiles/profile_0" + std::to_string(n) + ".txt"; }
  void Write(int n, const std::vector<std::string>& lines) {
    std::filesystem::create_directories(config_ + "/torvik/profiles");
    std::ofstream(Path(n), std::ios::binary) << plat::EncodeUtf16Lines(lines);
  }
  std::string config_;
};

TEST_F(TorvikctlProfile, SaveListShowAndLoad) {
  CmdResult save = Run("--machine emulated:brenmor-5520dp profile save 2");
  ASSERT_EQ(save.status, 0) << save.out;
  EXPECT_NE(save.out.find("Profile 2 saved to " + Path(2)), std::string::npos) << save.out;
  ASSERT_TRUE(std::filesystem::exists(Path(2)));

  CmdResult list = Run("profile list");
  ASSERT_EQ(list.status, 0) << list.out;
  EXPECT_NE(list.out.find("  2  (Alt+2)  saved       board 0x4FC5613E  3 clocks, 19 rails"), std::string::npos)
      << list.out;
  EXPECT_NE(list.out.find("  1  (Alt+1)  empty"), std::string::npos) << list.out;

  CmdResult listJson = Run("--json profile list");
  ASSERT_EQ(listJson.status, 0);
  EXPECT_EQ(testsupport::JsonCheck::Check(listJson.out), "") << listJson.out;
  EXPECT_NE(listJson.out.find("{\"number\":2,\"path\":\"" + Path(2) +
                              "\",\"state\":\"saved\",\"board_id\":\"0x4FC5613E\",\"clocks\":3,\"rails\":19}"),
            std::string::npos)
      << listJson.out;

  CmdResult show = Run("--json profile show 2");
  ASSERT_EQ(show.status, 0) << show.out;
  EXPECT_EQ(testsupport::JsonCheck::Check(show.out), "") << show.out;
  for (const char* part : {"\"board_id\":\"0x4FC5613E\"", "{\"index\":10,\"value\":1073741890,\"position\":66,\"below\":true}",
                           "\"turbo\":true", "\"ratios\":[23,23,22,22,22,22]"})
    EXPECT_NE(show.out.find(part), std::string::npos) << part << "\n" << show.out;

  // Loading needs --yes; on the board it came from everything is in place.
  CmdResult noYes = Run("--machine emulated:brenmor-5520dp profile load 2");
  EXPECT_EQ(noYes.status, 1) << noYes.out;
  CmdResult load = Run("--machine emulated:brenmor-5520dp --yes profile load 2");
  EXPECT_EQ(load.status, 0) << load.out;
  EXPECT_NE(load.out.find("everything was already set"), std::string::npos) << load.out;
}

TEST_F(TorvikctlProfile, AnotherBoardNeedsForceAndBadValuesAreRefused) {
  Write(1, {"[Brenmor Torvik Tuning Utility]", "Version=1072", "BOARD_ID=0x031CC94C", "VCO_0=140.000000"});
  CmdResult other = Run("--machine emulated:brenmor-5520dp --yes profile load 1");
  EXPECT_EQ(other.status, 1) << other.out;
  EXPECT_NE(other.out.find("another board"), std::string::npos) << other.out;
  EXPECT_NE(other.out.find("--force"), std::string::npos) << other.out;
  CmdResult forced = Run("--machine emulated:brenmor-5520dp --yes profile load 1 --force");
  EXPECT_EQ(forced.status, 0) << forced.out;
  EXPECT_NE(forced.out.find("VCO_0 (ICS 9PLRS139 CPU PLL): 133.33 -> 140.00 MHz"), std::string::npos) << forced.out;

  Write(3, {"[Brenmor Torvik Tuning Utility]", "Version=1072", "VCO_0=900.000000", "VOLTAGE_10=999"});
  CmdResult refused = Run("--machine emulated:brenmor-5520dp --yes profile load 3");
  EXPECT_EQ(refused.status, 1) << refused.out;
  EXPECT_NE(refused.out.find("nothing was written"), std::string::npos) << refused.out;
  EXPECT_NE(refused.out.find("VCO_0=900.000000 MHz is outside"), std::string::npos) << refused.out;
  EXPECT_NE(refused.out.find("VOLTAGE_10 (CPU0 VCORE)=999"), std::string::npos) << refused.out;

  Write(4, {"[Brenmor Torvik Tuning Utility]", "Version=1071"});
  EXPECT_EQ(Run("--machine emulated:brenmor-5520dp --yes profile load 4").status, 1);
  EXPECT_EQ(Run("profile show 4").status, 1);
  EXPECT_EQ(Run("profile show 5").status, 1) << "never saved";
}

TEST_F(TorvikctlProfile, BadArgumentsAreUsageErrors) {
  for (const char* args : {"profile", "profile lists", "profile show", "profile show 0", "profile show 9",
                           "profile save x", "profile load 1 --forced", "profile load 1 2", "profile list 1"}) {
    CmdResult r = Run(args);
    EXPECT_EQ(r.status, 2) << args << "\n" << r.out;
    EXPECT_NE(r.out.find("usage: torvikctl profile"), std::string::npos) << args << "\n" << r.out;
  }
}

}  // namespace
