// Other makers' hosts against small register-level fakes: what each class
// writes where, and how it reads the answer.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "emu/Devices.h"
#include "emu/EmulatedMachine.h"
#include "sdk/access/CPortIOSpace.h"
#include "sdk/access/Intel_SCH_SMBusRegisterSpace.h"
#include "sdk/access/VIA_VT82_SMBusRegisterSpace.h"
#include "sdk/access/nVidia_SMBusRegisterSpace.h"
#include "tests/support/EmulatedSdk.h"

namespace {

constexpr uint16_t kBase = 0x600;

// 32 byte registers; `onWrite` sees every write after it is stored and
// `onRead` may replace what a read returns.
class FakeHost : public emu::PortDevice {
 public:
  bool PortRead(uint16_t offset, int, uint32_t* value) override {
    *value = regs[offset & 31];
    if (onRead) onRead(offset & 31, value);
    return true;
  }
  bool PortWrite(uint16_t offset, int, uint32_t value) override {
    regs[offset & 31] = static_cast<uint8_t>(value);
    if (onWrite) onWrite(offset & 31, static_cast<uint8_t>(value));
    return true;
  }
  uint8_t regs[32] = {};
  std::function<void(uint16_t, uint8_t)> onWrite;
  std::function<void(uint16_t, uint32_t*)> onRead;
  std::map<uint8_t, uint8_t> slave50;  // the registers of a slave at 0x50
};

class HostFakes : public ::testing::Test {
 protected:
  void SetUp() override {
    env.machine->AddPortDevice(kBase, 32, fake);
    ASSERT_TRUE(env.Start());
    fake->slave50 = {{0x00, 0x92}, {0x01, 0x10}, {0x02, 0x0B}};
  }
  testsupport::EmulatedSdk env;
  std::shared_ptr<FakeHost> fake = std::make_shared<FakeHost>();
  CPortIOSpace window{kBase, 32};
};

TEST_F(HostFakes, NVidiaProtocolCodesAndDoneBit) {
  FakeHost& f = *fake;
  f.onWrite = [&f](uint16_t reg, uint8_t v) {
    if (reg != 0) return;
    const bool present = (f.regs[2] >> 1) == 0x50;
    f.regs[1] = present ? 0x80 : 0x80 | 0x10;  // done, or done with "no acknowledge"
    if (present && v == nVidia_SMBusRegisterSpace::kReadByte) f.regs[4] = f.slave50[f.regs[3]];
    if (present && v == nVidia_SMBusRegisterSpace::kReadWord) {
      f.regs[4] = f.slave50[f.regs[3]];
      f.regs[5] = f.slave50[static_cast<uint8_t>(f.regs[3] + 1)];
    }
    if (present && v == nVidia_SMBusRegisterSpace::kWriteByte) f.slave50[f.regs[3]] = f.regs[4];
  };
  nVidia_SMBusRegisterSpace host(&window);
  uint8_t v = 0, lo = 0, hi = 0;
  EXPECT_EQ(host.ReadByte(0x50, 0x02, &v), 1);
  EXPECT_EQ(v, 0x0B);
  EXPECT_EQ(host.ReadWord(0x50, 0x00, &lo, &hi), 1);
  EXPECT_EQ(lo, 0x92);
  EXPECT_EQ(hi, 0x10);
  EXPECT_EQ(f.regs[2], 0x50 << 1) << "the address byte carries no read bit on this host";
  EXPECT_EQ(host.WriteByte(0x50, 0x05, 0x66), 1);
  EXPECT_EQ(f.slave50[0x05], 0x66);
  EXPECT_EQ(host.WriteByte(0x51, 0x05, 0x67), 0);
  EXPECT_EQ(host.WriteWord(0x51, 0x05, 0x67, 0x68), 0);
  v = 0x99;
  EXPECT_EQ(host.ReadByte(0x51, 0x00, &v), 0);
  EXPECT_EQ(v, 0);
  uint8_t block[32];
  EXPECT_EQ(host.ReadBlock(0x50, 0, block), -1) << "no block operations";
}

TEST_F(HostFakes, SchHostStartsWithBit4AndReadsDataAtRegister6) {
  FakeHost& f = *fake;
  int starts = 0;
  f.onWrite = [&](uint16_t reg, uint8_t v) {
    if (reg == 1) f.regs[1] = 0;  // write 1 to clear: all cleared here
    if (reg != 0 || !(v & 0x10)) return;
    ++starts;
    f.regs[0] &= ~0x10;  // the start bit clears itself
    EXPECT_EQ(v & 0x07, 0x02) << "byte-data protocol";
    const bool present = (f.regs[4] >> 1) == 0x50 && (f.regs[4] & 1);
    f.regs[1] = present ? 0x01 : 0x02;
    if (present) f.regs[6] = f.slave50[f.regs[5]];
  };
  Intel_SCH_SMBusRegisterSpace host(&window);
  uint8_t v = 0;
  EXPECT_EQ(host.ReadByte(0x50, 0x01, &v), 1);
  EXPECT_EQ(v, 0x10);
  EXPECT_EQ(host.ReadByte(0x33, 0x01, &v), 0);
  EXPECT_EQ(starts, 2);
  // A busy host is refused before anything is written.
  f.onWrite = nullptr;
  f.regs[1] = 0x08;
  EXPECT_EQ(host.ReadByte(0x50, 0x01, &v), 0);
  EXPECT_EQ(f.regs[4], 0x33 << 1 | 1) << "the address register was left alone";
}

TEST_F(HostFakes, ViaBlockReadGoesThroughTheBuffer) {
  FakeHost& f = *fake;
  uint8_t buffer[40];
  for (int i = 0; i < 40; ++i) buffer[i] = static_cast<uint8_t>(0xC0 + i);
  int index = 0;
  f.onWrite = [&](uint16_t reg, uint8_t v) {
    if (reg == 0) f.regs[0] = 0;
    if (reg == 2 && v == (0x14 | 0x40)) {
      f.regs[5] = 40;  // announces more than the buffer holds
      f.regs[0] = 0x02;
    }
  };
  f.onRead = [&](uint16_t reg, uint32_t* v) {
    if (reg == 2) index = 0;
    if (reg == 7) *v = buffer[index++ % 40];
  };
  VIA_VT82_SMBusRegisterSpace host(&window);
  uint8_t out[32] = {};
  EXPECT_EQ(host.ReadBlock(0x50, 0x00, out), 32);
  EXPECT_EQ(out[0], 0xC0);
  EXPECT_EQ(out[31], 0xC0 + 31);
  EXPECT_EQ(host.pollLimit, 200);
}

}  // namespace
