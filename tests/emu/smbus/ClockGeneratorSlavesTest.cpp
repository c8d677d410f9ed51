// The emulated clock generators at register level: the byte count they
// announce, the N byte before software takes over, and the clocks they
// drive.
#include <gtest/gtest.h>

#include <vector>

#include "emu/smbus/Ics9plrs133.h"
#include "emu/smbus/Ics9plrs139.h"
#include "emu/smbus/Slg505yc264b.h"

namespace {

TEST(ClockGeneratorSlavesTest, Ics139CountsCopiesAndOutputs) {
  double cpu = 0, pcie = 0;
  emu::Ics9plrs139 chip(133.33, 100.0, [&](double f) { cpu = f; }, [&](double f) { pcie = f; });
  EXPECT_NEAR(cpu, 133.33, 0.01);
  EXPECT_DOUBLE_EQ(pcie, 100.0);

  std::vector<uint8_t> block;
  ASSERT_TRUE(chip.ReadBlockData(0, &block));
  ASSERT_EQ(block[0], 26) << "power-on byte count";
  EXPECT_EQ(block.size(), 27u);
  EXPECT_EQ(block[1 + 12], 0) << "the CPU N byte reads 0 before software control";
  EXPECT_NE(block[1 + 23], 0) << "its copy holds the running N";

  std::vector<uint8_t> head(block.begin() + 1, block.begin() + 10);
  head[8] = 30;
  ASSERT_TRUE(chip.WriteBlockData(0, head));
  ASSERT_TRUE(chip.ReadBlockData(0, &block));
  EXPECT_EQ(block[0], 30);

  // Software control: enable byte 1 bit 4, N 100, M 20 -> 160 MHz.
  ASSERT_TRUE(chip.WriteByteData(12, 100 >> 3));
  EXPECT_NEAR(cpu, 133.33, 0.01) << "the copy still rules until the enable bit";
  ASSERT_TRUE(chip.WriteByteData(1, 0x10));
  ASSERT_TRUE(chip.WriteByteData(11, static_cast<uint8_t>(((100 & 6) << 5) | 20)));
  EXPECT_DOUBLE_EQ(cpu, 160.0);
  EXPECT_DOUBLE_EQ(pcie, 100.0);
  EXPECT_FALSE(chip.WriteBlockData(30, {1, 2, 3})) << "beyond the image";
}

TEST(ClockGeneratorSlavesTest, Ics133DrivesTheBusClock) {
  double cpu = 0;
  emu::Ics9plrs133 chip(133.33, [&](double f) { cpu = f; });
  EXPECT_NEAR(cpu, 133.33, 0.01);
  ASSERT_TRUE(chip.WriteBlockData(11, {static_cast<uint8_t>(((200 & 6) << 5) | 30), 200 >> 3}));
  ASSERT_TRUE(chip.WriteByteData(4, 0x08));
  EXPECT_DOUBLE_EQ(cpu, 160.0);
}

TEST(ClockGeneratorSlavesTest, SilegoStrapCountAndN) {
  double cpu = -1;
  emu::Slg505yc264b chip(1, true, [&](double f) { cpu = f; });
  EXPECT_DOUBLE_EQ(cpu, 133.34);
  std::vector<uint8_t> block;
  ASSERT_TRUE(chip.ReadBlockData(0, &block));
  EXPECT_EQ(block[0], 16);
  EXPECT_EQ(block[1], 1 << 5);
  EXPECT_FALSE(chip.WriteByteData(0, 0xE0)) << "the strap pins are read-only";
  ASSERT_TRUE(chip.WriteBlockData(15, {static_cast<uint8_t>((500 << 6) | 14), 500 >> 2, 0x00}));
  EXPECT_DOUBLE_EQ(cpu, 133.34) << "N is used only with byte 17 bit 7";
  ASSERT_TRUE(chip.WriteByteData(17, 0x80));
  EXPECT_NEAR(cpu, 150.64, 0.005);

  emu::Slg505yc264b none(7, false, [&](double f) { cpu = f; });
  EXPECT_DOUBLE_EQ(cpu, 0.0);
}

}  // namespace
