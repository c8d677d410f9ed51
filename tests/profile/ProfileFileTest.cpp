// The profile file without hardware: what the reader accepts and ignores,
// and the exact text and bytes the writer produces.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Utf16Text.h"
#include "profile/CProfile.h"

namespace {

const std::string kHeader = "[Brenmor Torvik Tuning Utility]";

bool AllUnset(const CProfile& p) {
  const CProfile fresh;
  return std::equal(p.voltage, p.voltage + CProfile::kVoltageSlots, fresh.voltage) &&
         std::equal(p.voltageCpu1, p.voltageCpu1 + CProfile::kVoltageSlots, fresh.voltageCpu1) &&
         std::equal(p.vco, p.vco + CProfile::kVcoSlots, fresh.vco) &&
         std::equal(p.ratio, p.ratio + CProfile::kRatioSlots, fresh.ratio) && p.turbo == -1 && !p.hasBoardId;
}

TEST(ProfileReader, AcceptsRejectsAndIgnoresAsTheFormatSays) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    bool accepted;
    std::function<bool(const CProfile&)> holds;
  } cases[] = {
      {"current version", {kHeader, "Version=1072"}, true, AllUnset},
      {"other version", {kHeader, "Version=1071", "VCO_0=133.0"}, false, AllUnset},
      {"version that does not parse", {kHeader, "Version: 5", "TURBO=0"}, true,
       [](const CProfile& p) { return p.turbo == 0; }},
      {"no version line", {kHeader, "VCO_0=133.0"}, false, AllUnset},
      {"wrong first line", {"[Another Utility]", "Version=1072"}, false, AllUnset},
      {"header inside a longer line", {"; " + kHeader + " saved", "Version=1072"}, true, AllUnset},
      {"empty file", {}, false, AllUnset},
      {"indices beyond the slots",
       {kHeader, "Version=1072", "VOLTAGE_130=5", "VOLTAGE_-1=5", "VCO_4=133.0", "XE_CORE_7X=40", "XE_CORE_0X=40",
        "CPU1_VOLTAGE_128=1"},
       true, AllUnset},
      {"lines that do not parse",
       {kHeader, "Version=1072", "VOLTAGE_3=", "VOLTAGE_x=3", " VOLTAGE_3=4", "VCO_0=fast", "TURBO=on", "XE_CORE_1=30",
        "something else"},
       true, AllUnset},
      {"TURBO=5 is on", {kHeader, "Version=1072", "TURBO=5"}, true, [](const CProfile& p) { return p.turbo == 1; }},
      {"rail below its base", {kHeader, "Version=1072", "VOLTAGE_3=1073741827"}, true,
       [](const CProfile& p) { return p.voltage[3] == 3 + (1 << 30); }},
      {"later line wins", {kHeader, "Version=1072", "VOLTAGE_10=4", "VOLTAGE_10=7"}, true,
       [](const CProfile& p) { return p.voltage[10] == 7; }},
      {"values",
       {kHeader, "Version=1072", "BOARD_ID=0x4FC5613E", "VCO_0=133.333328", "VCO_3=100", "CPU1_VOLTAGE_10=66",
        "XE_CORE_1X=24", "XE_CORE_6X=21"},
       true,
       [](const CProfile& p) {
         return p.boardId == 0x4FC5613E && p.hasBoardId && p.vco[0] == 133.333328f && p.vco[3] == 100.0f &&
                p.voltageCpu1[10] == 66 && p.voltage[10] == -1 && p.ratio[0] == 24 && p.ratio[5] == 21 &&
                p.ratio[1] == -1;
       }},
  };
  for (const Case& c : cases) {
    CProfile p;
    EXPECT_EQ(ParseProfileLines(c.lines, &p), c.accepted) << c.name;
    EXPECT_TRUE(c.holds(p)) << c.name;
  }
}

TEST(ProfileWriter, WritesTheLinesInOrderWithSixDecimals) {
  CProfile p;
  p.boardId = 0x031CC94C;
  p.hasBoardId = true;
  p.vco[0] = 133.333328f;
  p.vco[1] = 100.0f;
  p.voltage[0] = 12;
  p.voltage[10] = 3 + (1 << 30);
  p.voltageCpu1[10] = 5;
  p.turbo = 0;
  for (int k = 0; k < 4; ++k) p.ratio[k] = 30 - k;
  EXPECT_EQ(ProfileLines(p), (std::vector<std::string>{kHeader, "Version=1072", "BOARD_ID=0x031CC94C",
                                                       "VCO_0=133.333328", "VCO_1=100.000000", "VOLTAGE_0=12",
                                                       "VOLTAGE_10=1073741827", "CPU1_VOLTAGE_10=5", "TURBO=0",
                                                       "XE_CORE_1X=30", "XE_CORE_2X=29", "XE_CORE_3X=28",
                                                       "XE_CORE_4X=27"}));
  const std::string bytes = EncodeProfile(p);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE[\0", 4));
  EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\r\0\n\0", 4));
}

TEST(ProfileWriter, AFileRoundTripsByteForByte) {
  char pattern[] = "/tmp/torvik-profile-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string path = std::string(pattern) + "/profiles/profile_01.txt";
  CProfile p;
  p.vco[0] = 127.999f;
  p.voltage[21] = 1 + (1 << 30);
  p.turbo = 1;
  p.ratio[0] = 40;
  std::string error;
  ASSERT_TRUE(WriteProfileFile(path, p, &error)) << error;
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  CProfile loaded;
  ASSERT_EQ(LoadProfile(path, loaded), 1);
  EXPECT_EQ(EncodeProfile(loaded), bytes.str());
  EXPECT_EQ(LoadProfile(std::string(pattern) + "/profiles", loaded), 0) << "a directory is not a profile";
  EXPECT_EQ(LoadProfile(std::string(pattern) + "/missing.txt", loaded), 0);
  std::filesystem::remove_all(pattern);
}

}  // namespace
