// The index/data register space, the makers' configuration modes and the
// chip names, on small port fakes.
#include <gtest/gtest.h>

#include <memory>
#include <vector>
#include <atomic>
#include <chrono>
#include <thread>

#include "emu/Devices.h"
#include "emu/EmulatedMachine.h"
#include "platform/GlobalMutex.h"
#include "sdk/access/CConfigMode.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CLPCIO.h"
#include "sdk/access/CLPCRegisterSpace.h"
#include "sdk/access/CPortIOSpace.h"
#include "sdk/access/ITE_LPCIO_ConfigMode.h"
#include "sdk/access/ITE_LPCIO_ConfigMode_2.h"
#include "sdk/access/NS_LPCIO_ConfigMode.h"
#include "sdk/access/SMSC_LPCIO_ConfigMode.h"
#include "sdk/access/Winbond_LPCIO_ConfigMode.h"
#include "tests/support/EmulatedSdk.h"

namespace {

// Two ports that log every write and answer reads of the data port from
// `regs` at the last index written.
class LoggingPair : public emu::PortDevice {
 public:
  bool PortRead(uint16_t offset, int, uint32_t* value) override {
    *value = offset == 1 ? regs[index] : index;
    return true;
  }
  bool PortWrite(uint16_t offset, int, uint32_t value) override {
    writes.push_back({offset, static_cast<uint8_t>(value)});
    if (offset == 0) index = static_cast<uint8_t>(value);
    else regs[index] = static_cast<uint8_t>(value);
    return true;
  }
  struct Write {
    uint16_t port;
    uint8_t value;
    bool operator==(const Write& o) const { return port == o.port && value == o.value; }
  };
  std::vector<Write> writes;
  uint8_t regs[256] = {};
  uint8_t index = 0;
};

class SuperIoAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    env.machine->AddPortDevice(0x2E, 2, pair);
    ASSERT_TRUE(env.Start());
  }
  testsupport::EmulatedSdk env;
  std::shared_ptr<LoggingPair> pair = std::make_shared<LoggingPair>();
  CPortIOSpace window{0x2E, 0xFFFFFFFF};
  CLPCRegisterSpace space{&window, 0, 1};
};

TEST_F(SuperIoAccess, ExecuteJudgesTheDirectionBitsOnly) {
  pair->regs[0x20] = 0x05;
  CLPCRequest r;
  for (uint32_t op : {0x11u, 0x21u}) {
    r.op = op;
    r.reg = 0x120;  // cut to 0x20
    r.data = 0;
    EXPECT_EQ(space.Execute(&r), 1) << op;
    EXPECT_EQ(r.data, 0x05u);
  }
  pair->writes.clear();
  r.op = 0x13;
  EXPECT_EQ(space.Execute(&r), 0);
  EXPECT_TRUE(pair->writes.empty());
  r.op = 0x12;
  r.reg = 0x07;
  r.data = 0x1AB;
  EXPECT_EQ(space.Execute(&r), 1);
  EXPECT_EQ(pair->regs[0x07], 0xAB);
}

TEST_F(SuperIoAccess, ReadWithoutTheBusMutexLeavesTheValueUntouched) {
  // Another thread of this process cannot share the recursive hold, so a
  // second thread holding it stands in for another program.
  plat::MutexHandle other = plat::CreateGlobalMutex(false, "Access_ISABUS.HTP.Method");
  std::atomic<bool> held{false}, done{false};
  std::thread holder([&] {
    plat::WaitForMutex(other, 1000);
    held = true;
    while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    plat::ReleaseMutex(other);
  });
  while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  uint8_t v = 0x42;
  pair->writes.clear();
  EXPECT_EQ(space.Read(0x20, &v), 0);
  EXPECT_EQ(v, 0x42);
  EXPECT_EQ(space.Write(0x20, 1), 0);
  EXPECT_TRUE(pair->writes.empty());
  done = true;
  holder.join();
  plat::CloseMutex(other);
  EXPECT_EQ(space.Read(0x20, &v), 1);
}

TEST_F(SuperIoAccess, EachMakersKeyAndExit) {
  struct Case {
    std::unique_ptr<CConfigMode> mode;
    std::vector<uint8_t> enter;
    uint8_t monitorDevice;
  };
  Case cases[] = {
      {std::make_unique<Winbond_LPCIO_ConfigMode>(&space), {0x87, 0x87}, 0x0B},
      {std::make_unique<ITE_LPCIO_ConfigMode>(&space), {0x87, 0x01, 0x55, 0x55}, 0x04},
      {std::make_unique<ITE_LPCIO_ConfigMode_2>(&space), {0x87, 0x01, 0x55, 0xAA}, 0x04},
      {std::make_unique<SMSC_LPCIO_ConfigMode>(&space), {0x55}, 0x08},
      {std::make_unique<NS_LPCIO_ConfigMode>(&space), {}, 0x09},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.mode->MakerName());
    pair->writes.clear();
    EXPECT_EQ(c.mode->EnterConfigMode(), 1);
    std::vector<LoggingPair::Write> expected;
    for (uint8_t b : c.enter) expected.push_back({0, b});
    EXPECT_EQ(pair->writes, expected);
    EXPECT_EQ(c.mode->monitorDevice, c.monitorDevice);
  }
  // The ITE exit sets bit 1 of register 0x02 and never bit 0, which would
  // reset every logical device; after a failed read it writes nothing.
  pair->regs[0x02] = 0xFF;
  pair->writes.clear();
  cases[1].mode->ExitConfigMode();
  EXPECT_EQ(pair->writes, (std::vector<LoggingPair::Write>{{0, 0x02}, {0, 0x02}, {1, 0xFE}}));
  env.machine->Faults().Add({emu::AccessKind::Port, 0x2F, true, false, emu::FaultRule::Action::Fail, 0, 1, "read"});
  pair->writes.clear();
  cases[1].mode->ExitConfigMode();
  EXPECT_EQ(pair->writes, (std::vector<LoggingPair::Write>{{0, 0x02}})) << "only the index";
  pair->writes.clear();
  cases[0].mode->ExitConfigMode();
  EXPECT_EQ(pair->writes, (std::vector<LoggingPair::Write>{{0, 0xAA}}));

  CConfigMode base;
  uint8_t v = 0;
  EXPECT_EQ(base.ReadConfigRegister(0x20, &v), 0);
  EXPECT_EQ(v, 0xFF);
  EXPECT_EQ(base.EnterConfigMode(), 1);
}

TEST(SuperIoNames, MakerAndChipFromTheirCodes) {
  struct Case {
    int32_t vendor, chip;
    const char* vendorName;
    const char* chipName;
  } cases[] = {
      {0x5CA3, 0x87, "AsusTek", "ASB100"},  {0x5CA3, 0xC3, "Nuvoton", "NCT6776"}, {0x5CA3, 0x52, "Winbond", "W83627HF"},
      {0x1934, 0x0541, "Fintek", "F71882F"}, {0x1934, 0x0901, "Fintek", "F71808E"}, {0x1934, 0x0999, "Fintek", ""},
      {0x90, 0x8728, "ITE", "IT8728"},       {0x55, 0x78, "SMSC", "DME1737"},       {0xFF02, 0xF2, "NS", "PC87427"},
      {0x1106, 0x3C, "VIA", "VT1211"},       {0x1234, 0x01, "", ""},
  };
  for (const Case& c : cases) {
    CLPCIO chip;
    chip.vendorCode = c.vendor;
    chip.chipCode = c.chip;
    chip.SetNames();
    EXPECT_STREQ(chip.vendorName, c.vendorName) << std::hex << c.vendor << " " << c.chip;
    EXPECT_STREQ(chip.chipName, c.chipName) << std::hex << c.vendor << " " << c.chip;
  }
}

}  // namespace
