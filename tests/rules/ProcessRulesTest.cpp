// The rule list and its file "processes.txt".
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/ConfigFiles.h"
#include "platform/Utf16Text.h"
#include "rules/ProcessRules.h"

namespace {

const std::string kFixture = std::string(TORVIK_RULES_FIXTURES) + "/processes.txt";

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

class ProcessRulesFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char t[] = "/tmp/torvik-rules-XXXXXX";
    dir_ = mkdtemp(t);
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
  }
  std::string dir_;
};

TEST_F(ProcessRulesFile, RoundTripsByteForByte) {
  CProcessRules rules;
  ASSERT_EQ(rules.LoadRules(kFixture), 1);
  ASSERT_EQ(rules.Rules().size(), 4u);
  EXPECT_EQ(rules.Rules()[0].m_name, "Grafik-Pr\xC3\xBC" "fung.exe");
  EXPECT_EQ(rules.Rules()[1].m_nShortcut, CProcessAction::kNoShortcut);
  EXPECT_EQ(rules.Rules()[1].m_nMask, 0xFFFFu);
  EXPECT_EQ(rules.Rules()[3].m_name, "encoder \"fast\"");
  // Duplicates stay in the list; the first rule of a shortcut is the one used.
  ASSERT_NE(rules.FindByShortcut(2), nullptr);
  EXPECT_EQ(rules.FindByShortcut(2)->m_nMask, 0xFu);
  EXPECT_EQ(rules.FindByShortcut(5), nullptr);
  EXPECT_FALSE(rules.Dirty());

  const std::string saved = dir_ + "/sub/torvik/processes.txt";
  std::string error;
  ASSERT_EQ(rules.SaveRules(saved, &error), 1) << error;
  EXPECT_EQ(ReadAll(saved), ReadAll(kFixture));
}

TEST_F(ProcessRulesFile, RefusesFilesWithoutTheHeader) {
  const std::string header = CProcessRules::kHeader;
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    int result;
    size_t rules;
  };
  const Case cases[] = {
      {"header only", {header}, 1, 0},
      {"header inside a longer first line", {"  " + header + " v2", "PA=1 3 \"a\""}, 1, 1},
      {"wrong header", {"[Brenmor Torvik Tuning Utility]", "PA=1 3 \"a\""}, 0, 0},
      {"header on the second line", {"", header, "PA=1 3 \"a\""}, 0, 0},
      {"empty file", {}, 0, 0},
  };
  for (const Case& c : cases) {
    Write("p.txt", plat::EncodeUtf16Lines(c.lines));
    CProcessRules rules;
    EXPECT_EQ(rules.LoadRules(dir_ + "/p.txt"), c.result) << c.what;
    EXPECT_EQ(rules.Rules().size(), c.rules) << c.what;
  }
  CProcessRules rules;
  EXPECT_EQ(rules.LoadRules(dir_ + "/missing.txt"), 0);
  EXPECT_EQ(rules.LoadRules(dir_), 0) << "a directory";
}

TEST(ProcessRuleLine, ParsesWhatTheWriterWritesAndNothingElse) {
  struct Case {
    const char* line;
    bool ok;
    int shortcut = 0;
    uint32_t mask = 0;
    const char* name = "";
  };
  const Case cases[] = {
      {"PA=2 FF \"a b.exe\"", true, 2, 0xFF, "a b.exe"},
      {"PA=FFFFFFFF FFFF \"x\"", true, -1, 0xFFFF, "x"},
      {"PA=7 ffffffff \"y\" trailing", true, 7, 0xFFFFFFFF, "y"},
      {"PA=0x1 0X3 \"z\"", true, 1, 3, "z"},
      {"PA=1 3", true, 1, 3, ""},
      {"PA=1 3 \"open", true, 1, 3, "open"},
      {"PA=1\t3 \"tab\"", true, 1, 3, "tab"},
      {" PA=1 3 \"a\"", false},     // not at the start of the line
      {"XPA=1 3 \"a\"", false},
      {"PA=1 \"a\"", false},        // one number
      {"PA= \"a\"", false},
      {"PA=G 3 \"a\"", false},
      {"PA=1 123456789 \"a\"", false},  // more than 32 bits
      {"PA=-1 3 \"a\"", false},
  };
  for (const Case& c : cases) {
    CProcessAction rule;
    ASSERT_EQ(CProcessRules::ParseRuleLine(c.line, &rule), c.ok) << c.line;
    if (!c.ok) continue;
    EXPECT_EQ(rule.m_nShortcut, c.shortcut) << c.line;
    EXPECT_EQ(rule.m_nMask, c.mask) << c.line;
    EXPECT_EQ(rule.m_name, c.name) << c.line;
  }
  CProcessAction rule;
  const std::string longName(600, 'n');
  ASSERT_TRUE(CProcessRules::ParseRuleLine("PA=1 1 \"" + longName + "\"", &rule));
  EXPECT_EQ(rule.m_name.size(), CProcessRules::kMaxNameLength);
}

TEST(ProcessRuleList, SetOverwritesTheRuleOfItsShortcut) {
  CProcessRules rules;
  rules.Assign(2, 0x3, "first");
  rules.Assign(0, 0x1, "other");
  EXPECT_TRUE(rules.Dirty());
  rules.Assign(2, 0xC, "second");
  ASSERT_EQ(rules.Rules().size(), 2u);
  EXPECT_EQ(rules.Rules()[0].m_nShortcut, 2);
  EXPECT_EQ(rules.Rules()[0].m_nMask, 0xCu);
  EXPECT_EQ(rules.Rules()[0].m_name, "second");
  EXPECT_EQ(rules.FileBytes(),
            plat::EncodeUtf16Lines({CProcessRules::kHeader, "PA=2 C \"second\"", "PA=0 1 \"other\""}));
}

TEST(ProcessRuleList, ProcessorListText) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "none"}, {1, "0"}, {0xF, "0-3"}, {0x4B, "0-1,3,6"}, {0xFFFF, "0-15"}, {uint64_t{1} << 63, "63"}};
  for (const auto& [mask, text] : cases) EXPECT_EQ(ProcessorListText(mask), text) << mask;
}

}  // namespace
