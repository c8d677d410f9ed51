// torvikctl validate: a file for the machine now in the dated folder (or
// where asked), and --decode printing it back.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "tests/support/RunTorvikctl.h"

namespace {

using testsupport::CmdResult;

CmdResult Torvikctl(const std::string& args) { return testsupport::RunTorvikctl("--virtual-time " + args); }
bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ValidateCli, WritesIntoTheDatedFolderAndDecodesBack) {
  char pattern[] = "/tmp/torvik-validate-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);

  CmdResult w = Torvikctl("--machine emulated:brenmor-z68 validate");
  ASSERT_EQ(w.status, 0) << w.out;
  const size_t at = w.out.find("wrote ");
  ASSERT_NE(at, std::string::npos) << w.out;
  const std::string path = w.out.substr(at + 6, w.out.find('\n', at) - at - 6);
  EXPECT_EQ(path.rfind(dir + "/torvik/vdf/[", 0), 0u) << path;
  EXPECT_TRUE(std::filesystem::exists(path)) << path;

  CmdResult d = Torvikctl("validate --decode '" + path + "'");
  ASSERT_EQ(d.status, 0) << d.out;
  EXPECT_TRUE(Has(d.out, "mainboard:               Brenmor Torvik Z68")) << d.out;
  EXPECT_TRUE(Has(d.out, "version:                 9.02\n")) << d.out;

  const std::string chosen = dir + "/mine.vdf";
  CmdResult o = Torvikctl("--machine emulated:brenmor-z68 --json validate --output " + chosen);
  ASSERT_EQ(o.status, 0) << o.out;
  CmdResult j = Torvikctl("--json validate --decode " + chosen);
  EXPECT_TRUE(Has(j.out, "{\"name\":\"memory type\",\"value\":\"DDR3-SDRAM\"}")) << j.out;

  CmdResult bad = Torvikctl("validate --decode " + dir);  // a folder, not a file
  EXPECT_EQ(bad.status, 1) << bad.out;
  EXPECT_EQ(Torvikctl("validate --decode").status, 2);
  EXPECT_EQ(Torvikctl("--machine emulated validate --output " + dir + "/missing/x.vdf").status, 1);
  std::filesystem::remove_all(dir);
}

}  // namespace
