// The hand-held device link: the register bytes of a value set, finding the
// device on the emulated boards' hosts (and on both of two hosts), and what
// reaches the device when the host reports an error or another program
// holds the bus.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "emu/PciFunction.h"
#include "emu/chips/DumpTargets.h"
#include "emu/chips/IntelSmbusHost.h"
#include "emu/smbus/SmbusBus.h"
#include "emu/smbus/ZundoSlave.h"
#include "platform/GlobalMutex.h"
#include "sdk/access/CSMBusRegisterSpace.h"
#include "sdk/core/SdkStartup.h"
#include "sdk/zundo/CZundo.h"
#include "tests/support/EmulatedSdk.h"

namespace {

using Bytes = std::vector<ZundoRegisterByte>;

TEST(ZundoRegisters, ValueSetsAreWordsLowByteFirstInTheBoardsLayout) {
  ZundoValues ordinary;
  ordinary.clockMHz = 3456.7f;
  ordinary.cpu0VCore = 1.25f;
  ordinary.boardTemperature1 = 41.9f;
  ordinary.boardTemperature2 = -1.0f;  // not known
  EXPECT_EQ(ZundoRegisterBytes(ordinary),
            (Bytes{{2, 41}, {3, 0}, {4, 0xFF}, {5, 0xFF}, {6, 0x7D}, {7, 0x00}, {8, 0x80}, {9, 0x0D}}));

  ZundoValues dual;
  dual.dualProcessor = true;
  dual.clockMHz = 2666.9f;
  dual.cpu0Temperature = 55.5f;
  dual.cpu0VCore = -1.0f;  // no sensor: -100
  dual.cpu1Temperature = 48.0f;
  dual.cpu1VCore = 1.0f;
  EXPECT_EQ(ZundoRegisterBytes(dual), (Bytes{{2, 0x6A}, {3, 0x0A}, {4, 55}, {5, 0}, {6, 0x9C}, {7, 0xFF},
                                             {8, 48}, {9, 0}, {10, 100}, {11, 0}}));
}

TEST(ZundoRegisters, WordsOfEdgeValues) {
  EXPECT_EQ(ZundoVoltWord(1.15f), 115) << "a float just below 1.15 still shows 1.15";
  EXPECT_EQ(ZundoVoltWord(0.8f), 80);
  EXPECT_EQ(ZundoVoltWord(-1.0f), 0xFF9C);
  EXPECT_EQ(ZundoWord(-0.7), 0) << "truncated toward zero";
  EXPECT_EQ(ZundoWord(70000.0), 70000 & 0xFFFF) << "kept to 16 bits";
  EXPECT_EQ(ZundoWord(1e20), 0xFFFF) << "beyond an int: unknown, not undefined";
  EXPECT_EQ(ZundoWord(std::nan("")), 0xFFFF);
}

class ZundoBoard : public ::testing::Test {
 protected:
  void Bring(const std::string& board) {
    env = std::make_unique<testsupport::EmulatedSdk>(board);
    if (extraHost) extraHost(*env->machine);
    uint32_t error = 0;
    ASSERT_TRUE(env->driver.Open("/tmp", &error, true));
    QUARNSDK::GetInstance()->SetDriver(&env->driver);
    SdkStartupHooks hooks;
    hooks.interfaces = kSdkSmbus;
    CreateSdkInterfaces(env->Sdk(), env->driver, hooks);
    ASSERT_TRUE(env->driver.Acquire(&error, 2000));
    env->acquired = true;
  }
  std::shared_ptr<emu::ZundoSlave> Device(const char* name = "zundo@0x5c") {
    return std::static_pointer_cast<emu::ZundoSlave>(emu::FindDumpTarget(*env->machine, name));
  }
  // An SMBus-level fault for transactions to `address` (writes only unless
  // `reads`).
  void Fault(const char* tag, int count, bool reads, uint64_t address = emu::ZundoSlave::kBoardAddress) {
    env->machine->Faults().Clear();
    env->machine->Faults().Add({emu::AccessKind::Smbus, address, reads, true, emu::FaultRule::Action::Fail, 0,
                                count, tag});
  }

  std::function<void(emu::EmulatedMachine&)> extraHost;
  std::unique_ptr<testsupport::EmulatedSdk> env;
};

ZundoValues SomeValues() {
  ZundoValues v;
  v.clockMHz = 3456.7f;
  v.cpu0VCore = 1.25f;
  v.boardTemperature1 = 40;
  v.boardTemperature2 = 45;
  return v;
}

TEST_F(ZundoBoard, EveryVendorBoardHasItsDeviceFoundOnTheChipsetHostAndFed) {
  for (const emu::BoardDescription* d : emu::Boards()) {
    if (std::string(d->group) == "other") continue;
    SCOPED_TRACE(d->name);
    Bring(d->name);
    auto found = FindZundos(env->Sdk());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->Address(), 0x5C);
    EXPECT_STREQ(found[0]->Space()->ClassName(), "Intel_ICH4_SMBusRegisterSpace");
    auto reports = SendToZundo(env->Sdk(), SomeValues());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].complete);
    auto z = Device();
    EXPECT_EQ(z->Word(6), 125);
    EXPECT_EQ(z->Word(8), 3456);
    EXPECT_EQ(z->Log().size(), 8u);
    EXPECT_EQ(z->Register(0), 'Z') << "the signature is never written";
    env.reset();
  }
}

TEST_F(ZundoBoard, AnotherMakersBoardWithoutTheDeviceGetsNothingWritten) {
  Bring("kestrel-x38");
  EXPECT_TRUE(FindZundos(env->Sdk()).empty());
  EXPECT_TRUE(SendToZundo(env->Sdk(), SomeValues()).empty());
}

TEST_F(ZundoBoard, TwoHostsEachHoldingADeviceBothReceiveTheValues) {
  static constexpr uint16_t kSecondBase = 0x0540;
  extraHost = [](emu::EmulatedMachine& m) {
    // A second ICH SMBus function (the P55 PCH's id) with its own segment.
    auto& f = m.AddPciFunction(std::make_unique<emu::PciFunction>(0, 0x0B, 0, 0x8086, 0x3B30, 0x0C050000));
    f.Set32(0x20, kSecondBase | 1);
    f.Set16(0x04, 0x0001);
    f.Set8(0x40, 0x01);
    auto bus = std::make_shared<emu::SmbusBus>();
    m.AddPortDevice(kSecondBase, emu::IntelSmbusHost::kSize,
                    std::make_shared<emu::IntelSmbusHost>(m, bus, nullptr, kSecondBase));
    emu::ZundoSlave::Plug(m, *bus, 0x59);
  };
  Bring("brenmor-p55");
  auto reports = SendToZundo(env->Sdk(), SomeValues());
  ASSERT_EQ(reports.size(), 2u);
  for (const char* name : {"zundo@0x5c", "zundo@0x59"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Device(name)->ValueSets(), 1);
    EXPECT_EQ(Device(name)->Word(8), 3456);
  }
}

TEST_F(ZundoBoard, ASwitchedBusIsScannedOnEveryChannelAndTheDeviceFoundOnce) {
  Bring("brenmor-x58");  // ICH10R with the vendor's GPIO switch; the device on the common segment
  auto found = FindZundos(env->Sdk());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_NE(found[0]->Multiplexer(), nullptr);
  SendToZundo(env->Sdk(), SomeValues());
  EXPECT_EQ(Device()->ValueSets(), 1);
}

TEST_F(ZundoBoard, AWriteTheHostReportsAsFailedIsRetriedAndAPersistentOneEndsTheSet) {
  Bring("brenmor-z68");
  // Two NAKed writes, then the third try of register 2 goes through.
  Fault("nak", 2, false);
  auto reports = SendToZundo(env->Sdk(), SomeValues());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].complete);
  EXPECT_EQ(Device()->Log().size(), 8u);

  // A bus collision on every write: register 2 is tried kWriteTries times
  // and nothing after it is sent.
  Device()->ClearLog();
  for (const char* tag : {"collision", "failed", "nak"}) {
    SCOPED_TRACE(tag);
    Fault(tag, -1, false);
    reports = SendToZundo(env->Sdk(), SomeValues());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_FALSE(reports[0].complete);
    EXPECT_EQ(reports[0].written, 0);
    EXPECT_TRUE(Device()->Log().empty());
  }
}

TEST_F(ZundoBoard, AHostStuckBusyGivesUpWithinItsPollLimit) {
  Bring("brenmor-z68");
  Fault("busy", -1, true);
  const uint64_t before = env->machine->Time().NowNs();
  EXPECT_TRUE(SendToZundo(env->Sdk(), SomeValues()).empty());
  const double seconds = (env->machine->Time().NowNs() - before) / 1e9;
  // One signature read given up after the host's poll limit of 1 ms polls;
  // the host is not asked again in this feed.
  EXPECT_LT(seconds, 0.7) << seconds;
  EXPECT_TRUE(Device()->Log().empty());

  // Stuck in the middle of a set: the write that timed out is not retried
  // and nothing after it is sent.
  env.reset();
  Bring("brenmor-z68");
  const uint64_t start = env->machine->Time().NowNs();
  env->machine->Faults().Add({emu::AccessKind::Smbus, 0x5C, false, true, emu::FaultRule::Action::Fail, 0, -1, "busy"});
  auto reports = SendToZundo(env->Sdk(), SomeValues());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].written, 0);
  EXPECT_LT((env->machine->Time().NowNs() - start) / 1e9, 2.0);
}

TEST_F(ZundoBoard, AnotherProgramHoldingTheBusMeansNoTransactionAtAll) {
  Bring("brenmor-z68");
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    plat::MutexHandle m = plat::CreateGlobalMutex(false, "Access_SMBUS.HTP.Method");
    char c = m && plat::WaitForMutex(m, 5000) == plat::kWaitObject0 ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    (void)!read(release[0], &c, 1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  // Any transaction start would consume this.
  Fault("nak", 1, true, emu::kAnyAddress);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(SendToZundo(env->Sdk(), SomeValues()).empty());
  // One wait for the bus mutex, not one per address.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_TRUE(Device()->Log().empty());
  (void)!write(release[1], &c, 1);
  int status = 0;
  waitpid(pid, &status, 0);
  // The rule was never consumed: not one transaction was started.
  emu::FaultRule fired;
  EXPECT_TRUE(env->machine->Faults().Match(emu::AccessKind::Smbus, 0x5C, false, &fired));
}

}  // namespace
