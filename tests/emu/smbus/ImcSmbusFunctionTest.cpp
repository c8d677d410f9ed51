// The memory controller's SMBus engine of the X79 platform as its datasheet
// registers describe it: the wire address from DTI and SA, byte and word
// reads (first byte in bits 15:8), the error bit for a slave that does not
// answer, a write the firmware locked, a clock held low, and SBE cleared by
// writing zero.
#include <gtest/gtest.h>

#include <memory>

#include "emu/chips/ImcSmbusFunction.h"
#include "emu/smbus/SmbusBus.h"
#include "emu/smbus/SmbusRegisterSlave.h"

namespace {

using emu::ImcSmbusFunction;

constexpr uint32_t kControl = 0xA8000000;  // DTI 1010b, clock running

struct Engine {
  explicit Engine(uint32_t control = kControl) : f(0xFF, control) {
    auto regs = std::make_shared<emu::SmbusRegisterSlave>();
    regs->Set(0x02, 0x0B);
    regs->Set(0x03, 0x02);
    f.Bus(1).Attach(0x54, regs);  // controller 1 only
    slave = regs;
  }
  uint32_t Run(int controller, uint32_t command) {
    f.ConfigWrite(ImcSmbusFunction::kCommand + controller * ImcSmbusFunction::kStride, 4,
                  ImcSmbusFunction::kTrigger | command);
    return f.ConfigRead(ImcSmbusFunction::kStatus + controller * ImcSmbusFunction::kStride, 4);
  }
  ImcSmbusFunction f;
  std::shared_ptr<emu::SmbusRegisterSlave> slave;
};

TEST(ImcSmbusFunction, ReadsTheSlaveThatDtiAndSaAddress) {
  Engine e;
  EXPECT_EQ(e.f.ConfigRead(0x00, 4), 0x3CA88086u);
  struct Case {
    int controller;
    uint32_t command;
    uint32_t status;
  } cases[] = {
      {1, 4u << 24 | 0x02 << 16, ImcSmbusFunction::kRdo | 0x0B},                  // 0x54, byte 2
      {1, 4u << 24 | 0x02 << 16 | ImcSmbusFunction::kWord, ImcSmbusFunction::kRdo | 0x0B02},  // first byte high
      {1, 2u << 24 | 0x02 << 16, ImcSmbusFunction::kSbe},                         // 0x52: nobody
      {0, 4u << 24 | 0x02 << 16, ImcSmbusFunction::kSbe},                         // the other controller's bus
  };
  for (const Case& c : cases) EXPECT_EQ(e.Run(c.controller, c.command), c.status) << std::hex << c.command;
  EXPECT_FALSE(e.f.ConfigRead(ImcSmbusFunction::kCommand + ImcSmbusFunction::kStride, 4) & ImcSmbusFunction::kTrigger)
      << "the trigger clears when the transaction is done";

  // SBE stays until software writes 0 to it.
  e.f.ConfigWrite(ImcSmbusFunction::kStatus, 4, ImcSmbusFunction::kSbe);
  EXPECT_EQ(e.f.ConfigRead(ImcSmbusFunction::kStatus, 4), ImcSmbusFunction::kSbe);
  e.f.ConfigWrite(ImcSmbusFunction::kStatus, 4, 0);
  EXPECT_EQ(e.f.ConfigRead(ImcSmbusFunction::kStatus, 4), 0u);
}

TEST(ImcSmbusFunction, WritesOnlyWhenUnlockedAndNothingWithTheClockHeld) {
  const uint32_t write = 1u << 27 | 4u << 24 | 0x03 << 16 | 0x5A;
  Engine locked(kControl | ImcSmbusFunction::kWriteDisable);
  EXPECT_EQ(locked.Run(1, write), ImcSmbusFunction::kSbe);
  // Software cannot lift the firmware's lock.
  locked.f.ConfigWrite(ImcSmbusFunction::kControl + ImcSmbusFunction::kStride, 4, kControl);
  EXPECT_EQ(locked.Run(1, write), ImcSmbusFunction::kSbe);
  uint8_t v = 0;
  ASSERT_TRUE(locked.slave->ReadByteData(0x03, &v));
  EXPECT_EQ(v, 0x02);

  Engine open;
  EXPECT_EQ(open.Run(1, write), ImcSmbusFunction::kWod);
  ASSERT_TRUE(open.slave->ReadByteData(0x03, &v));
  EXPECT_EQ(v, 0x5A);

  Engine held(0xA0000000);  // clock override active: the clock is held low
  EXPECT_EQ(held.Run(1, 4u << 24 | 0x02 << 16), ImcSmbusFunction::kSbe);
}

}  // namespace
