// torvikctl zundo: the devices found and a feed that needs --yes.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/RunTorvikctl.h"

namespace {

using testsupport::CmdResult;

CmdResult Torvikctl(const std::string& args) { return testsupport::RunTorvikctl("--virtual-time " + args); }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ZundoCli, ListsTheDeviceAndFeedsOneValueSetOnlyWithYes) {
  CmdResult list = Torvikctl("--machine emulated:brenmor-z68 zundo");
  ASSERT_EQ(list.status, 0) << list.out;
  EXPECT_TRUE(Has(list.out, "Zundo at 0x5C on Intel_ICH4_SMBusRegisterSpace at 0x0500\n")) << list.out;

  CmdResult refused = Torvikctl("--machine emulated:brenmor-z68 zundo feed --once");
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(Has(refused.out, "without --yes")) << refused.out;

  CmdResult fed = Torvikctl("--machine emulated:brenmor-z68 --yes --json zundo feed --once");
  ASSERT_EQ(fed.status, 0) << fed.out;
  EXPECT_TRUE(Has(fed.out, "\"devices\":[{\"host\":\"Intel_ICH4_SMBusRegisterSpace\",\"base\":\"0x0500\","
                           "\"channel\":null,\"address\":\"0x5C\",\"written\":8,\"complete\":true}]"))
      << fed.out;

  CmdResult none = Torvikctl("--machine emulated:kestrel-x38 --yes zundo feed --once");
  EXPECT_EQ(none.status, 0) << none.out;
  EXPECT_TRUE(Has(none.out, "nothing written")) << none.out;

  EXPECT_EQ(Torvikctl("--machine emulated zundo feed --twice").status, 2);
}

}  // namespace
