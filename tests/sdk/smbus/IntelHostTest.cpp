// The Intel host's transactions on the emulated ICH10R: data paths, request
// execution and every error path under injected faults.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sdk/access/CIORequest.h"
#include "sdk/access/CPortIOSpace.h"
#include "sdk/access/Intel_ICH4_SMBusRegisterSpace.h"
#include "tests/sdk/smbus/IchBench.h"

namespace {

using smbustest::IchBench;
using smbustest::kSlave;

// The host's ports seen as a window that is not a port window, so that byte
// reads run the register sequence instead of the driver's in-kernel read.
class NonPortWindow : public CIOSpace {
 public:
  explicit NonPortWindow(uint32_t base) : CIOSpace(IOSPACE_MEMORY, 0, base, 32), ports_(base, 32) {}
  int Read8(uint32_t o, uint8_t* v) override { return ports_.Read8(o, v); }
  int Read16(uint32_t o, uint16_t* v) override { return ports_.Read16(o, v); }
  int Read32(uint32_t o, uint32_t* v) override { return ports_.Read32(o, v); }
  int Write8(uint32_t o, uint8_t v) override { return ports_.Write8(o, v); }
  int Write16(uint32_t o, uint16_t v) override { return ports_.Write16(o, v); }
  int Write32(uint32_t o, uint32_t v) override { return ports_.Write32(o, v); }

 private:
  CPortIOSpace ports_;
};

TEST(IntelHost, DetectedAsIch4WithByteWordAndBlockData) {
  IchBench b;
  ASSERT_TRUE(b.Start());
  CSMBusRegisterSpace* host = b.Host();
  ASSERT_NE(host, nullptr);
  EXPECT_STREQ(host->ClassName(), "Intel_ICH4_SMBusRegisterSpace");
  EXPECT_EQ(host->pollLimit, 200);

  b.slave->Set(0x10, 0x5A);
  b.slave->Set(0x20, 0x34);
  b.slave->Set(0x21, 0x12);
  uint8_t v = 0, lo = 0, hi = 0;
  EXPECT_EQ(host->LockedReadByte(kSlave, 0x10, &v), 1);
  EXPECT_EQ(v, 0x5A);
  EXPECT_EQ(host->LockedReadWord(kSlave, 0x20, &lo, &hi), 1);
  EXPECT_EQ(lo, 0x34);
  EXPECT_EQ(hi, 0x12);
  EXPECT_EQ(host->LockedWriteByte(kSlave, 0x30, 0xA5), 1);
  EXPECT_EQ(b.slave->Get(0x30), 0xA5);
  EXPECT_EQ(host->LockedWriteWord(kSlave, 0x40, 0xCD, 0xAB), 1);
  EXPECT_EQ(b.slave->Get(0x40), 0xCD);
  EXPECT_EQ(b.slave->Get(0x41), 0xAB);

  // A block read that announces 40 bytes gives 32.
  std::vector<uint8_t> forty(40);
  for (size_t i = 0; i < forty.size(); ++i) forty[i] = static_cast<uint8_t>(0x80 + i);
  b.slave->SetBlock(0x50, forty);
  uint8_t buffer[40] = {};
  EXPECT_EQ(host->LockedReadBlock(kSlave, 0x50, buffer), 32);
  EXPECT_EQ(0, std::memcmp(buffer, forty.data(), 32));
  EXPECT_EQ(buffer[32], 0) << "nothing beyond the 32-byte limit is stored";

  const uint8_t out[5] = {1, 2, 3, 4, 5};
  EXPECT_EQ(host->LockedWriteBlock(kSlave, 0x60, out, 5), 5);
  EXPECT_EQ(b.slave->Block(0x60), std::vector<uint8_t>(out, out + 5));

  // The 32-byte buffer setting survives a block transfer.
  uint8_t aux = 0;
  b.env.driver.ReadPort8(0x50D, &aux);
  EXPECT_EQ(aux & 0x02, 0);
  b.env.driver.WritePort8(0x50D, 0x02);
  EXPECT_EQ(host->LockedReadBlock(kSlave, 0x50, buffer), 32);
  b.env.driver.ReadPort8(0x50D, &aux);
  EXPECT_EQ(aux & 0x02, 0x02);
}

TEST(IntelHost, ExecuteRunsEachRequestOperation) {
  IchBench b;
  ASSERT_TRUE(b.Start());
  CSMBusRegisterSpace* host = b.Host();
  b.slave->Set(0x08, 0x11);
  b.slave->Set(0x09, 0x22);
  b.slave->SetBlock(0x70, {9, 8, 7});

  CSMBusRequest r(0, kSlave);
  r.op = 0x21;
  r.reg = 0x08;
  EXPECT_EQ(host->Execute(&r), 1);
  EXPECT_EQ(r.data, 0x2211u) << "word as high << 8 | low";
  r.op = 0x11;
  EXPECT_EQ(host->Execute(&r), 1);
  EXPECT_EQ(r.data, 0x11u);
  r.op = 0x12;
  r.reg = 0x0A;
  r.data = 0x77;
  EXPECT_EQ(host->Execute(&r), 1);
  EXPECT_EQ(b.slave->Get(0x0A), 0x77);
  r.op = 0x22;
  r.reg = 0x0C;
  r.data = 0xBEEF;
  EXPECT_EQ(host->Execute(&r), 1);
  EXPECT_EQ(b.slave->Get(0x0C), 0xEF);
  EXPECT_EQ(b.slave->Get(0x0D), 0xBE);
  uint8_t buffer[32] = {};
  r.op = 0x101;
  r.reg = 0x70;
  r.buffer = buffer;
  EXPECT_EQ(host->Execute(&r), 1);
  EXPECT_EQ(r.data, 3u);
  EXPECT_EQ(buffer[2], 7);
  r.op = 0x102;
  r.data = 2;
  EXPECT_EQ(host->Execute(&r), 1);
  EXPECT_EQ(r.data, 2u);
  EXPECT_EQ(b.slave->Block(0x70), std::vector<uint8_t>({9, 8}));
  r.op = 0x41;
  EXPECT_EQ(host->Execute(&r), 0) << "dword requests are not SMBus operations";

  // Consecutive commands wrap at 0xFF.
  b.slave->Set(0xFE, 1);
  b.slave->Set(0xFF, 2);
  b.slave->Set(0x00, 3);
  b.slave->Set(0x01, 4);
  uint8_t four[4] = {};
  EXPECT_EQ(host->LockedReadBytes(kSlave, 0xFE, four, 4), 4);
  EXPECT_EQ(std::vector<uint8_t>(four, four + 4), std::vector<uint8_t>({1, 2, 3, 4}));
}

// Each fault fires on one transaction; the read fails and its outputs stay
// at their presets, never at data that looks read.
struct FaultCase {
  const char* tag;
  bool driverPath;  // byte read through the driver's in-kernel operation
};

TEST(IntelHost, EveryErrorPathFailsTheRead) {
  const FaultCase cases[] = {
      {"nak", true},        {"collision", true},  {"failed", true},  {"busy", true},
      {"nak", false},       {"collision", false}, {"failed", false}, {"busy", false},
      {"disabled", true},   {"disabled", false},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(std::string(c.tag) + (c.driverPath ? " (driver)" : " (registers)"));
    IchBench b;
    ASSERT_TRUE(b.Start());
    b.slave->Set(0x10, 0x5A);
    CSMBusRegisterSpace* host = b.Host();
    NonPortWindow window(0x500);
    Intel_ICH4_SMBusRegisterSpace registers(&window);
    CSMBusRegisterSpace* target = c.driverPath ? host : &registers;

    // Stale data from an earlier good read sits in the data register.
    uint8_t v = 0;
    ASSERT_EQ(target->ReadByte(kSlave, 0x10, &v), 1);
    b.Fault(c.tag);
    v = 0x99;
    EXPECT_EQ(target->ReadByte(kSlave, 0x10, &v), 0);
    EXPECT_EQ(v, 0) << "the preset stays";
  }
}

TEST(IntelHost, WordAndBlockErrorPaths) {
  for (const char* tag : {"nak", "collision", "failed", "busy", "disabled"}) {
    SCOPED_TRACE(tag);
    IchBench b;
    ASSERT_TRUE(b.Start());
    CSMBusRegisterSpace* host = b.Host();
    b.slave->Set(0x20, 0x34);
    uint8_t lo = 0, hi = 0;
    ASSERT_EQ(host->ReadWord(kSlave, 0x20, &lo, &hi), 1);
    b.Fault(tag);
    lo = hi = 0x99;
    EXPECT_EQ(host->ReadWord(kSlave, 0x20, &lo, &hi), 0);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);
  }
  for (const char* tag : {"nak", "collision", "failed", "nobytedone"}) {
    SCOPED_TRACE(std::string("block ") + tag);
    IchBench b;
    ASSERT_TRUE(b.Start());
    b.slave->SetBlock(0x50, {1, 2, 3, 4});
    b.Fault(tag);
    uint8_t buffer[32] = {};
    EXPECT_EQ(b.Host()->ReadBlock(kSlave, 0x50, buffer), 0) << "no byte is taken from a failed transfer";
  }
}

TEST(IntelHost, FailedWritesAreReportedAsFailures) {
  // A write that the slave refused, that collided, failed, timed out or was
  // never started fails like a read would, and the slave keeps its value.
  for (const char* tag : {"nak", "collision", "failed", "busy", "disabled"}) {
    SCOPED_TRACE(tag);
    IchBench b;
    ASSERT_TRUE(b.Start());
    b.slave->Set(0x30, 0x11);
    b.slave->Set(0x40, 0x12);
    b.slave->SetBlock(0x60, {1, 2, 3});
    CSMBusRegisterSpace* host = b.Host();
    b.Fault(tag, 3);
    EXPECT_EQ(host->LockedWriteByte(kSlave, 0x30, 0x22), 0);
    EXPECT_EQ(host->LockedWriteWord(kSlave, 0x40, 0xCD, 0xAB), 0);
    const uint8_t out[4] = {9, 8, 7, 6};
    EXPECT_EQ(host->LockedWriteBlock(kSlave, 0x60, out, 4), -1) << "a failed block write is no count";
    EXPECT_EQ(b.slave->Get(0x30), 0x11);
    EXPECT_EQ(b.slave->Get(0x40), 0x12);
  }
}

}  // namespace
