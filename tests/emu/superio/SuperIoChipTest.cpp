// Super I/O configuration ports: each maker's key, the locked state, the
// logical devices, and the Fintek chips as the boards carry them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"
#include "emu/chips/FintekF71882F.h"
#include "emu/chips/SuperIoChip.h"

namespace {

using emu::SuperIoMaker;

class SuperIoPorts {
 public:
  SuperIoPorts(emu::EmulatedMachine& m, uint16_t port) : m_(m), port_(port) {}
  void Key(const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes) EXPECT_TRUE(m_.PortWrite(port_, 1, b));
  }
  uint8_t Read(uint8_t reg) {
    uint32_t v = 0;
    EXPECT_TRUE(m_.PortWrite(port_, 1, reg));
    EXPECT_TRUE(m_.PortRead(port_ + 1, 1, &v));
    return static_cast<uint8_t>(v);
  }
  void Write(uint8_t reg, uint8_t value) {
    EXPECT_TRUE(m_.PortWrite(port_, 1, reg));
    EXPECT_TRUE(m_.PortWrite(port_ + 1, 1, value));
  }

 private:
  emu::EmulatedMachine& m_;
  uint16_t port_;
};

struct KeyCase {
  const char* name;
  SuperIoMaker maker;
  uint16_t port;
  std::vector<uint8_t> key;
  bool opens;
};

class SuperIoKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(SuperIoKeyTest, KeyOpensTheChipAndExitLocksIt) {
  const KeyCase& c = GetParam();
  emu::EmulatedMachine m(emu::TimeBase::Mode::Virtual);
  auto chip = std::make_shared<emu::SuperIoChip>(c.maker, c.port);
  chip->SetGlobal(0x20, 0x5A);
  m.AddPortDevice(c.port, emu::SuperIoChip::kPorts, chip);
  SuperIoPorts io(m, c.port);

  EXPECT_EQ(io.Read(0x20), 0xFF) << "locked";
  io.Key(c.key);
  EXPECT_EQ(io.Read(0x20), c.opens ? 0x5A : 0xFF);
  if (!c.opens) return;
  if (c.maker == SuperIoMaker::Ite)
    io.Write(0x02, 0x02);
  else
    io.Key({0xAA});
  EXPECT_EQ(io.Read(0x20), 0xFF) << "locked again after the exit";
}

INSTANTIATE_TEST_SUITE_P(
    Makers, SuperIoKeyTest,
    ::testing::Values(KeyCase{"Fintek", SuperIoMaker::Fintek, 0x2E, {0x87, 0x87}, true},
                      KeyCase{"FintekAfterNoise", SuperIoMaker::Fintek, 0x4E, {0x55, 0x87, 0x01, 0x87, 0x87}, true},
                      KeyCase{"FintekInterrupted", SuperIoMaker::Fintek, 0x2E, {0x87, 0x01}, false},
                      KeyCase{"Winbond", SuperIoMaker::Winbond, 0x2E, {0x87, 0x87}, true},
                      KeyCase{"Ite2E", SuperIoMaker::Ite, 0x2E, {0x87, 0x01, 0x55, 0x55}, true},
                      KeyCase{"Ite4E", SuperIoMaker::Ite, 0x4E, {0x87, 0x01, 0x55, 0xAA}, true},
                      KeyCase{"Ite4EWith2EKey", SuperIoMaker::Ite, 0x4E, {0x87, 0x01, 0x55, 0x55}, false},
                      KeyCase{"IteWithFintekKey", SuperIoMaker::Ite, 0x2E, {0x87, 0x87}, false},
                      KeyCase{"Smsc", SuperIoMaker::Smsc, 0x2E, {0x55}, true},
                      KeyCase{"SmscWithFintekKey", SuperIoMaker::Smsc, 0x2E, {0x87, 0x87}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SuperIoChipTest, NationalSemiconductorNeedsNoKeyAndIteIgnoresTheAaByte) {
  emu::EmulatedMachine m(emu::TimeBase::Mode::Virtual);
  auto ns = std::make_shared<emu::SuperIoChip>(SuperIoMaker::NationalSemi, 0x2E);
  ns->SetGlobal(0x20, 0xE9);
  m.AddPortDevice(0x2E, 2, ns);
  auto ite = std::make_shared<emu::SuperIoChip>(SuperIoMaker::Ite, 0x4E);
  ite->SetGlobal(0x20, 0x87);
  m.AddPortDevice(0x4E, 2, ite);
  EXPECT_EQ(SuperIoPorts(m, 0x2E).Read(0x20), 0xE9);
  SuperIoPorts io(m, 0x4E);
  io.Key({0x87, 0x01, 0x55, 0xAA, 0xAA});
  EXPECT_EQ(io.Read(0x20), 0x87);
}

class FintekTest : public ::testing::Test {
 protected:
  emu::EmulatedMachine m{emu::TimeBase::Mode::Virtual};
};

TEST_F(FintekTest, LockedChipReadsOnesAndIgnoresWrites) {
  emu::FintekF71882F::Install(m);
  SuperIoPorts io(m, 0x2E);
  io.Write(0x07, 0x04);
  io.Write(0x30, 0x00);
  EXPECT_EQ(io.Read(0x07), 0xFF);
  io.Key({0x87, 0x87});
  EXPECT_EQ(io.Read(0x07), 0x00) << "the locked write did not select a device";
  io.Write(0x07, 0x04);
  EXPECT_EQ(io.Read(0x30), 0x01) << "nor deactivate the monitor";
}

struct FintekCase {
  uint16_t chipId;
  uint16_t port;
  bool hasFloppy;
};

class FintekVariantTest : public FintekTest, public ::testing::WithParamInterface<FintekCase> {};

TEST_P(FintekVariantTest, IdentifiesAndCarriesTheMonitorOnLogicalDevice4) {
  const FintekCase& c = GetParam();
  auto chip = emu::FintekF71882F::Install(m, c.chipId, c.port, 0x0A00);
  SuperIoPorts io(m, c.port);
  io.Key({0x87, 0x87});
  EXPECT_EQ(io.Read(0x20) << 8 | io.Read(0x21), c.chipId);
  EXPECT_EQ(io.Read(0x23) << 8 | io.Read(0x24), 0x1934);
  io.Write(0x20, 0x12);
  EXPECT_EQ(io.Read(0x20), c.chipId >> 8) << "identification is read-only";

  io.Write(0x07, 0x04);
  EXPECT_EQ(io.Read(0x07), 0x04);
  EXPECT_EQ(io.Read(0x30) & 1, 1);
  EXPECT_EQ(io.Read(0x60) << 8 | io.Read(0x61), 0x0A00);
  io.Write(0x60, 0x02);
  io.Write(0x61, 0x90);
  EXPECT_EQ(chip->DeviceBase(4), 0x0290) << "software may move the block; monitors follow DeviceBase";

  io.Write(0x07, 0x00);
  EXPECT_EQ(io.Read(0x60) << 8 | io.Read(0x61), c.hasFloppy ? 0x03F0 : 0x0000);
  io.Key({0xAA});
  EXPECT_EQ(io.Read(0x20), 0xFF);
}

INSTANTIATE_TEST_SUITE_P(Chips, FintekVariantTest,
                         ::testing::Values(FintekCase{emu::FintekF71882F::kF71882F, 0x2E, true},
                                           FintekCase{emu::FintekF71882F::kF71889ED, 0x2E, true},
                                           FintekCase{emu::FintekF71882F::kF71808E, 0x4E, false}),
                         [](const auto& info) { return std::string(emu::FintekF71882F::ChipName(info.param.chipId)); });

TEST(BrenmorX58SuperIoTest, BoardCarriesAnF71882FAt2E) {
  std::string err;
  auto m = emu::BuildBoard("brenmor-x58", emu::TimeBase::Mode::Virtual, &err);
  ASSERT_TRUE(m) << err;
  SuperIoPorts io(*m, 0x2E);
  io.Key({0x87, 0x87});
  EXPECT_EQ(io.Read(0x20) << 8 | io.Read(0x21), 0x0541);
  io.Write(0x07, 0x04);
  const uint16_t base = static_cast<uint16_t>(io.Read(0x60) << 8 | io.Read(0x61));
  EXPECT_EQ(base, 0x0A00);
  // The hardware monitor's index/data pair answers at base + 5/6: its
  // vendor id registers 0x5A/0x5B read Fintek's id.
  uint32_t hi = 0, lo = 0;
  ASSERT_TRUE(m->PortWrite(base + 5, 1, 0x5A));
  ASSERT_TRUE(m->PortRead(base + 6, 1, &hi));
  ASSERT_TRUE(m->PortWrite(base + 5, 1, 0x5B));
  ASSERT_TRUE(m->PortRead(base + 6, 1, &lo));
  EXPECT_EQ(hi << 8 | lo, 0x1934u);
  EXPECT_EQ(SuperIoPorts(*m, 0x4E).Read(0x20), 0xFF) << "nothing at 0x4E on this board";
}

}  // namespace
