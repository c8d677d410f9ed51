// The kernel's power_supply class as a directory tree: supplies, their
// types and the readings their drivers provide.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/PowerSupplies.h"

namespace {

class PowerSupplyTree : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/torvik-power-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  void Attr(const std::string& supply, const std::string& attr, const std::string& text) {
    std::filesystem::create_directories(root_ + "/" + supply);
    std::ofstream(root_ + "/" + supply + "/" + attr) << text;
  }
  std::string root_;
};

TEST_F(PowerSupplyTree, ReadsEachSupplysTypeAndTheReadingsItProvides) {
  Attr("BAT0", "type", "Battery\n");
  Attr("BAT0", "voltage_now", "12345000\n");
  Attr("BAT0", "current_now", "-1500000\n");  // discharging, as some drivers sign it
  Attr("BAT0", "capacity", "87\n");
  Attr("BAT0", "temp", "305\n");
  Attr("BAT0", "power_now", "n/a\n");  // not a number: unset
  Attr("AC", "type", "Mains\n");
  Attr("AC", "online", "1\n");
  Attr("stray", "voltage_now", "5000000\n");  // no type: not a supply
  std::vector<plat::PowerSupply> supplies = plat::ReadPowerSupplies(root_);
  ASSERT_EQ(supplies.size(), 2u);
  EXPECT_EQ(supplies[0].name, "AC");
  EXPECT_EQ(supplies[0].type, "Mains");
  EXPECT_FALSE(supplies[0].voltageNow || supplies[0].capacity);
  const plat::PowerSupply& bat = supplies[1];
  EXPECT_EQ(bat.type, "Battery");
  EXPECT_EQ(bat.voltageNow, 12345000);
  EXPECT_EQ(bat.currentNow, -1500000);
  EXPECT_EQ(bat.capacity, 87);
  EXPECT_EQ(bat.temp, 305);
  EXPECT_FALSE(bat.powerNow.has_value());
  EXPECT_TRUE(plat::ReadPowerSupplies(root_ + "/absent").empty());
}

}  // namespace
