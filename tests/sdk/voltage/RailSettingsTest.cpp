// The list of settings a rail row offers, as the Voltages page and the CLI
// show it: offsets below and above a rail without a base, absolute voltages
// around one with a base, and the setting each entry stands for.
#include <gtest/gtest.h>

#include "sdk/voltage/BoardRailTables.h"
#include "sdk/voltage/RailSettings.h"

namespace {

TEST(RailSettings, OffsetRowListsMagnitudesBelowThenOffsetsAbove) {
  const _stMicroControllerOutputDesc row = {"VCORE", 0x100, ROW_CODE, 9, 4, 0.00625f, 0.00625f, -1.0f};
  ASSERT_EQ(rails::Entries(row).size(), 13u);
  EXPECT_EQ(rails::EntryText(row, 0), "- 0.02500 V");
  EXPECT_EQ(rails::EntryText(row, 3), "- 0.00625 V");
  EXPECT_EQ(rails::EntryText(row, 4), "+ 0.00000 V");
  EXPECT_EQ(rails::EntryText(row, 12), "+ 0.05000 V");
  // Two steps below the base selects entry 2.
  EXPECT_EQ(rails::EntryOf(row, 2, 1), 2);
  struct Case {
    int entry, value, flags;
  } cases[] = {{6, 2, 0}, {0, 4, kSettingBelowBase}, {4, 0, 0}};
  for (const Case& c : cases) {
    int value = -1, flags = -1;
    rails::SettingOf(row, c.entry, &value, &flags);
    EXPECT_EQ(value, c.value) << c.entry;
    EXPECT_EQ(flags, c.flags) << c.entry;
  }
  EXPECT_EQ(rails::EntryForVolts(row, 0.0125), 6);
  EXPECT_EQ(rails::EntryForVolts(row, -0.025), 0);
}

TEST(RailSettings, AbsoluteRowAndSettingsOutsideTheList) {
  const _stMicroControllerOutputDesc& row = railtables::T6[0];  // DIMM 1.5 V, 31 below, 32 above
  EXPECT_EQ(rails::EntryText(row, 0), "0.72500 V");
  EXPECT_EQ(rails::EntryText(row, 31), "1.50000 V");
  EXPECT_EQ(rails::EntryOf(row, 31, 0), 62);
  EXPECT_EQ(rails::EntryOf(row, 32, 0), -1);
  EXPECT_EQ(rails::EntryOf(row, 32, 1), -1);
  EXPECT_EQ(rails::EntryOf(row, -1, 0), -1);
  EXPECT_EQ(rails::EntryForVolts(row, 1.725), 40);
  EXPECT_EQ(rails::EntryForVolts(row, 2.5), -1);
  EXPECT_EQ(rails::EntryForVolts(row, 1.7375), -1);  // between two steps
}

}  // namespace
