// The X58 board's SMBus as software finds it: the LPC bridge's subsystem,
// the GPIO-driven switch on GPIO 52/53, the slaves on each segment.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "SmbusHostTestSupport.h"
#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"
#include "boardid/BoardVendor.h"

namespace {

constexpr uint8_t kByteData = 2;
constexpr uint32_t kGpio52 = 1u << 20, kGpio53 = 1u << 21;

class BrenmorX58SmbusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    m = emu::BuildBoard("brenmor-x58", emu::TimeBase::Mode::Virtual, &err);
    ASSERT_TRUE(m) << err;
    smbusBase = static_cast<uint16_t>(Pci32(3, 0x20) & 0xFFE0);
    gpioBase = static_cast<uint16_t>(Pci32(0, 0x48) & 0xFF80);
    host = std::make_unique<smbustest::HostDriver>(*m, smbusBase);
  }
  uint32_t Pci32(uint32_t fn, uint32_t offset) {
    uint32_t v = 0;
    m->PciConfigRead(0, 0x1F, fn, offset, &v, 4);
    return v;
  }
  uint32_t Gpio(uint16_t reg) {
    uint32_t v = 0;
    EXPECT_TRUE(m->PortRead(gpioBase + reg, 4, &v));
    return v;
  }
  void SetGpio(uint16_t reg, uint32_t v) { EXPECT_TRUE(m->PortWrite(gpioBase + reg, 4, v)); }
  // Byte-data read; -1 when the slave did not answer.
  int ReadByte(uint8_t slave, uint8_t command) {
    if (host->Run(static_cast<uint8_t>(slave << 1 | 1), command, kByteData) != 0x02) return -1;
    return host->In(0x05);
  }

  std::shared_ptr<emu::EmulatedMachine> m;
  std::unique_ptr<smbustest::HostDriver> host;
  uint16_t smbusBase = 0, gpioBase = 0;
};

TEST_F(BrenmorX58SmbusTest, ChipsetCarriesTheVendorSubsystemAndItsWindows) {
  EXPECT_EQ(Pci32(0, 0x00), 0x3A168086u);
  EXPECT_EQ(Pci32(0, 0x2C), static_cast<uint32_t>(kBoardVendorIch10rMuxSubsystemDevice) << 16 | kBoardVendorPciSubsystemId);
  EXPECT_EQ(Pci32(3, 0x00), 0x3A308086u);
  EXPECT_EQ(smbusBase, 0x0500);
  EXPECT_EQ(gpioBase, 0x0480);
  EXPECT_EQ(Pci32(0, 0x4C) & 0x10, 0x10u) << "GPIO decoding on";
  EXPECT_EQ(Pci32(0, 0xF0), 0xFED1C001u);
}

TEST_F(BrenmorX58SmbusTest, SpdEepromsOnTheCommonSegmentReadSequentially) {
  for (uint8_t slave : {0x50, 0x52, 0x54}) EXPECT_EQ(ReadByte(slave, 2), 0x0B) << "DDR3 at " << int(slave);
  EXPECT_EQ(ReadByte(0x51, 2), -1);
  EXPECT_EQ(ReadByte(0x50, 0), 0x92);
  // Receive byte continues after the byte-data read: bytes 1 and 2.
  EXPECT_EQ(host->Run(0x50 << 1 | 1, 0, 1), 0x02);
  EXPECT_EQ(host->In(0x05), 0x10);
  EXPECT_EQ(host->Run(0x50 << 1 | 1, 0, 1), 0x02);
  EXPECT_EQ(host->In(0x05), 0x0B);
}

struct PinCase {
  const char* name;
  uint32_t useSel, ioSel, level;
  int chipIdAt2d;  // register 0xFE of slave 0x2D, -1 = no answer
};

class BrenmorX58MuxTest : public BrenmorX58SmbusTest, public ::testing::WithParamInterface<PinCase> {};

TEST_P(BrenmorX58MuxTest, SegmentFollowsGpio52And53) {
  const uint32_t both = kGpio52 | kGpio53;
  const PinCase& c = GetParam();
  SetGpio(0x30, (Gpio(0x30) & ~both) | c.useSel);
  SetGpio(0x34, (Gpio(0x34) & ~both) | c.ioSel);
  SetGpio(0x38, (Gpio(0x38) & ~both) | c.level);
  EXPECT_EQ(ReadByte(0x2D, 0xFE), c.chipIdAt2d);
  EXPECT_EQ(ReadByte(0x50, 2), 0x0B) << "the common segment always answers";
}

const uint32_t kBoth = kGpio52 | kGpio53;
INSTANTIATE_TEST_SUITE_P(
    Pins, BrenmorX58MuxTest,
    ::testing::Values(PinCase{"AsFirmwareLeftThem", kBoth, kBoth, 0, -1},
                      PinCase{"InputsWithLatchHigh", kBoth, kBoth, kBoth, -1},
                      PinCase{"BothDrivenHigh", kBoth, 0, kBoth, 0x2D},
                      PinCase{"Gpio53HighGpio52Low", kBoth, 0, kGpio53, 0x79},
                      PinCase{"Gpio52HighOnly", kBoth, 0, kGpio52, -1},
                      PinCase{"NativeFunction", 0, 0, kBoth, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BrenmorX58SmbusTest, FirmwareLeavesTheSwitchPinsAsLowInputs) {
  EXPECT_EQ(Gpio(0x30) & kBoth, kBoth);
  EXPECT_EQ(Gpio(0x34) & kBoth, kBoth);
  EXPECT_EQ(Gpio(0x38) & kBoth, 0u);
  SetGpio(0x34, Gpio(0x34) & ~kBoth);
  ASSERT_TRUE(m->PortWrite(gpioBase + 0x3A, 1, 0x30));
  EXPECT_EQ(Gpio(0x38) & kBoth, kBoth) << "GP_LVL2 is byte-accessible";
  EXPECT_EQ(ReadByte(0x2D, 0xFE), 0x2D) << "segment 0 selected";
}

}  // namespace
