// The ICH10 SMBus host at register level, on a bare machine with the
// south bridge and two slaves.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "SmbusHostTestSupport.h"
#include "emu/EmulatedMachine.h"
#include "emu/chips/Ich10r.h"
#include "emu/smbus/SmbusEepromSlave.h"
#include "emu/smbus/SmbusRegisterSlave.h"

namespace {

constexpr uint16_t kBase = 0x0500;
constexpr uint8_t kRegs = 0x2D, kEeprom = 0x50;
constexpr uint8_t kByteData = 2, kWordData = 3, kBlock = 5;
constexpr uint64_t kRcba = 0xFED1C000;

class IntelSmbusHostTest : public ::testing::Test {
 protected:
  IntelSmbusHostTest() : m(emu::TimeBase::Mode::Virtual), host(m, kBase) {
    sb = emu::AddIch10rSouthBridge(m, {});
    regs = std::make_shared<emu::SmbusRegisterSlave>();
    eeprom = std::make_shared<emu::SmbusEepromSlave>();
    sb.smbus->Attach(kRegs, regs);
    sb.smbus->Attach(kEeprom, eeprom);
  }

  void AddFault(const std::string& tag, uint8_t slave = kRegs) {
    emu::FaultRule r{emu::AccessKind::Smbus};
    r.address = slave;
    r.tag = tag;
    r.count = 1;
    m.Faults().Add(r);
  }
  uint32_t PciRead32(uint32_t fn, uint32_t offset) {
    uint32_t v = 0;
    m.PciConfigRead(0, 0x1F, fn, offset, &v, 4);
    return v;
  }
  void WriteFd(uint32_t value) { ASSERT_TRUE(m.PhysicalWrite(kRcba + 0x3418, &value, 4)); }

  emu::EmulatedMachine m;
  smbustest::HostDriver host;
  emu::Ich10rSouthBridge sb;
  std::shared_ptr<emu::SmbusRegisterSlave> regs;
  std::shared_ptr<emu::SmbusEepromSlave> eeprom;
};

TEST_F(IntelSmbusHostTest, ByteAndWordDataReachTheSlaveAndComeBackWhenTheTransactionEnds) {
  host.Out(0x05, 0xA5);
  EXPECT_EQ(host.Run(kRegs << 1, 0x10, kByteData), 0x02);
  EXPECT_EQ(regs->Get(0x10), 0xA5);

  regs->Set(0x20, 0x3C);
  host.Out(0x05, 0x00);
  host.Out(0x00, 0xFF);
  host.Out(0x04, kRegs << 1 | 1);
  host.Out(0x03, 0x20);
  host.Out(0x02, 0x48);
  // Four bytes on the wire at 100 kHz: busy, data not yet there.
  EXPECT_EQ(host.In(0x00) & smbustest::kStatusMask, 0x01);
  EXPECT_EQ(host.In(0x05), 0x00);
  m.Time().Advance(300'000);
  EXPECT_EQ(host.In(0x00) & 0x01, 0x01) << "about 90 us per byte";
  EXPECT_EQ(host.WaitIdle(), 0x02);
  EXPECT_EQ(host.In(0x05), 0x3C);

  host.Out(0x05, 0x34);
  host.Out(0x06, 0x12);
  EXPECT_EQ(host.Run(kRegs << 1, 0x40, kWordData), 0x02);
  EXPECT_EQ(regs->Get(0x40), 0x34);
  EXPECT_EQ(regs->Get(0x41), 0x12);
  host.Out(0x05, 0);
  host.Out(0x06, 0);
  EXPECT_EQ(host.Run(kRegs << 1 | 1, 0x40, kWordData), 0x02);
  EXPECT_EQ(host.In(0x05), 0x34);
  EXPECT_EQ(host.In(0x06), 0x12);
}

TEST_F(IntelSmbusHostTest, StatusBitsClearByWritingOnesAndInUseIsASemaphore) {
  EXPECT_EQ(host.Run(0x33 << 1 | 1, 0x00, kByteData), 0x04) << "an absent slave NAKs: device error, no INTR";
  host.Out(0x00, 0x02);
  EXPECT_EQ(host.In(0x00) & smbustest::kStatusMask, 0x04) << "writing another bit leaves DEV_ERR";
  host.Out(0x00, 0x04);
  EXPECT_EQ(host.In(0x00) & smbustest::kStatusMask, 0x00);

  host.Out(0x00, 0x40);
  EXPECT_EQ(host.In(0x00) & 0x40, 0x00) << "first read after release finds it free";
  EXPECT_EQ(host.In(0x00) & 0x40, 0x40) << "and takes it";
}

struct BlockReadCase {
  int announced;
  size_t expected;
};

class IntelSmbusBlockReadTest : public IntelSmbusHostTest, public ::testing::WithParamInterface<BlockReadCase> {};

TEST_P(IntelSmbusBlockReadTest, ByteDoneHandshakeDeliversEachByteAndEndsWithIntr) {
  std::vector<uint8_t> data(GetParam().announced);
  std::iota(data.begin(), data.end(), 0x40);
  regs->SetBlock(0x80, data);
  uint8_t status = 0;
  auto got = host.ReadBlockByteByByte(kRegs, 0x80, &status);
  EXPECT_EQ(got, std::vector<uint8_t>(data.begin(), data.begin() + GetParam().expected));
  EXPECT_EQ(status, 0x02) << "ends idle with INTR once the last BYTE_DONE is cleared";
  EXPECT_EQ(host.In(0x05), GetParam().announced) << "HST_D0 holds the count the slave announced";
}

INSTANTIATE_TEST_SUITE_P(Counts, IntelSmbusBlockReadTest,
                         ::testing::Values(BlockReadCase{1, 1}, BlockReadCase{5, 5}, BlockReadCase{32, 32},
                                           BlockReadCase{40, 32}),
                         [](const auto& info) { return "Announced" + std::to_string(info.param.announced); });

TEST_F(IntelSmbusHostTest, BlockReadWaitsForSoftwareBetweenBytes) {
  regs->SetBlock(0x80, {1, 2, 3});
  host.Out(0x00, 0xFF);
  host.Out(0x04, kRegs << 1 | 1);
  host.Out(0x03, 0x80);
  host.Out(0x02, 0x54);
  EXPECT_EQ(host.Poll([](uint8_t s) { return s & 0x80; }), 0x81);
  EXPECT_EQ(host.In(0x07), 1);
  m.Time().Advance(20'000'000);
  EXPECT_EQ(host.In(0x00) & smbustest::kStatusMask, 0x81) << "the next byte waits for BYTE_DONE to be cleared";
  EXPECT_EQ(host.In(0x07), 1);
  host.Out(0x00, 0x80);
  EXPECT_EQ(host.In(0x00) & smbustest::kStatusMask, 0x01);
  EXPECT_EQ(host.Poll([](uint8_t s) { return s & 0x80; }), 0x81);
  EXPECT_EQ(host.In(0x07), 2);
}

TEST_F(IntelSmbusHostTest, BlockWriteTakesEachNextByteAfterByteDone) {
  const std::vector<uint8_t> data = {0xDE, 0xAD, 0xBE, 0xEF};
  EXPECT_EQ(host.WriteBlockByteByByte(kRegs, 0x90, data), 0x02);
  EXPECT_EQ(regs->Block(0x90), data);
}

TEST_F(IntelSmbusHostTest, E32bBlocksGoThroughTheBufferAndReadingControlRewindsIt) {
  std::vector<uint8_t> data(20);
  std::iota(data.begin(), data.end(), 1);
  host.Out(0x0D, 0x02);
  host.Out(0x05, static_cast<uint8_t>(data.size()));
  host.In(0x02);
  for (uint8_t b : data) host.Out(0x07, b);
  EXPECT_EQ(host.Run(kRegs << 1, 0x91, kBlock), 0x02) << "no BYTE_DONE handshake with E32B";
  EXPECT_EQ(regs->Block(0x91), data);

  regs->SetBlock(0x92, {9, 8, 7, 6});
  EXPECT_EQ(host.Run(kRegs << 1 | 1, 0x92, kBlock), 0x02);
  EXPECT_EQ(host.In(0x05), 4);
  host.In(0x02);
  EXPECT_EQ(host.In(0x07), 9);
  EXPECT_EQ(host.In(0x07), 8);
  host.In(0x02);
  EXPECT_EQ(host.In(0x07), 9);
}

struct FaultCase {
  const char* tag;
  uint8_t protocol;
  uint8_t status;  // after 50 ms
};

class IntelSmbusFaultTest : public IntelSmbusHostTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(IntelSmbusFaultTest, EachTagShowsItsStatusAndTheNextTransactionWorks) {
  regs->Set(0x05, 0x77);
  regs->SetBlock(0x05, {1, 2, 3});
  AddFault(GetParam().tag);
  host.Out(0x05, 0x00);
  EXPECT_EQ(host.Run(kRegs << 1 | 1, 0x05, GetParam().protocol), GetParam().status);
  EXPECT_EQ(host.In(0x05), 0x00) << "a failed read leaves HST_D0 alone";
  if (GetParam().status & 0x01) {
    host.Out(0x02, 0x02);  // KILL
    EXPECT_EQ(host.In(0x00) & smbustest::kStatusMask, 0x10);
    host.Out(0x02, 0x00);
  }
  EXPECT_EQ(host.Run(kRegs << 1 | 1, 0x05, kByteData), 0x02);
  EXPECT_EQ(host.In(0x05), 0x77);
}

INSTANTIATE_TEST_SUITE_P(Tags, IntelSmbusFaultTest,
                         ::testing::Values(FaultCase{"nak", kByteData, 0x04},
                                           FaultCase{"collision", kByteData, 0x08},
                                           FaultCase{"failed", kWordData, 0x10},
                                           FaultCase{"busy", kByteData, 0x01},
                                           FaultCase{"nobytedone", kBlock, 0x01},
                                           FaultCase{"disabled", kByteData, 0x00}),
                         [](const auto& info) { return std::string(info.param.tag); });

TEST_F(IntelSmbusHostTest, FaultsMatchTheirSlaveOnly) {
  AddFault("nak", kEeprom);
  EXPECT_EQ(host.Run(kRegs << 1 | 1, 0x00, kByteData), 0x02);
  EXPECT_EQ(host.Run(kEeprom << 1 | 1, 0x00, kByteData), 0x04);
}

TEST_F(IntelSmbusHostTest, HostcControlsTheHost) {
  uint8_t hostc = 0x00;
  m.PciConfigWrite(0, 0x1F, 3, 0x40, &hostc, 1);
  EXPECT_EQ(host.Run(kRegs << 1 | 1, 0x00, kByteData), 0x00) << "HST_EN off: START does nothing";

  hostc = 0x11;  // HST_EN and SPD_WD
  m.PciConfigWrite(0, 0x1F, 3, 0x40, &hostc, 1);
  host.Out(0x05, 0x99);
  EXPECT_EQ(host.Run(kEeprom << 1, 0x00, kByteData), 0x04) << "SPD_WD refuses writes to 0x50-0x57";
  EXPECT_EQ(eeprom->Byte(0x00), 0xFF);
  EXPECT_EQ(host.Run(kEeprom << 1 | 1, 0x00, kByteData), 0x02);
  EXPECT_EQ(host.Run(kRegs << 1, 0x00, kByteData), 0x02);
}

TEST_F(IntelSmbusHostTest, FunctionDisableHidesTheHostAndItReturns10msAfterClearing) {
  EXPECT_EQ(PciRead32(3, 0x00), 0x3A308086u);
  WriteFd(0x08);
  EXPECT_EQ(PciRead32(3, 0x00), 0xFFFFFFFFu);
  EXPECT_EQ(host.In(0x00), 0xFF) << "the host's I/O is not decoded either";
  host.Out(0x04, kRegs << 1 | 1);
  host.Out(0x02, 0x48);
  EXPECT_EQ(host.In(0x00), 0xFF);

  WriteFd(0x00);
  m.Time().Advance(9'000'000);
  EXPECT_EQ(PciRead32(3, 0x00), 0xFFFFFFFFu);
  m.Time().Advance(1'000'000);
  EXPECT_EQ(PciRead32(3, 0x00), 0x3A308086u);
  EXPECT_EQ(host.Run(kRegs << 1 | 1, 0x00, kByteData), 0x02);

  uint32_t fd = 0;
  ASSERT_TRUE(m.PhysicalRead(kRcba + 0x3418, &fd, 4));
  EXPECT_EQ(fd, 0u);
  uint32_t rcba = PciRead32(0, 0xF0) & ~1u;
  m.PciConfigWrite(0, 0x1F, 0, 0xF0, &rcba, 4);
  ASSERT_TRUE(m.PhysicalRead(kRcba + 0x3418, &fd, 4));
  EXPECT_EQ(fd, 0xFFFFFFFFu) << "RCBA enable off: the block is not decoded";
}

TEST(IntelSmbusFirmwareHiddenTest, FunctionStartsHiddenWhenFirmwareDisabledIt) {
  emu::EmulatedMachine m(emu::TimeBase::Mode::Virtual);
  emu::Ich10rOptions o;
  o.smbusHidden = true;
  emu::AddIch10rSouthBridge(m, o);
  uint32_t id = 0, fd = 0;
  m.PciConfigRead(0, 0x1F, 3, 0, &id, 4);
  EXPECT_EQ(id, 0xFFFFFFFFu);
  ASSERT_TRUE(m.PhysicalRead(kRcba + 0x3418, &fd, 4));
  EXPECT_EQ(fd, 0x08u);
}

}  // namespace
