// The facade: registration, lookups and the order of teardown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/access/CCommand.h"
#include "sdk/access/CIOSpace.h"
#include "sdk/access/CMemoryMap.h"
#include "sdk/access/CRegisterSpace.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/CInterface.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CTimer.h"
#include "sdk/memory/CModuleInfo.h"

namespace {

std::vector<std::string> g_events;

struct FakeSpace : CIOSpace {
  FakeSpace(uint32_t kind, uint32_t base) : CIOSpace(kind, 0, base, 0x10) {}
  ~FakeSpace() override { g_events.push_back("iospace"); }
  int Read8(uint32_t, uint8_t*) override { return 0; }
  int Read16(uint32_t, uint16_t*) override { return 0; }
  int Read32(uint32_t, uint32_t*) override { return 0; }
  int Write8(uint32_t, uint8_t) override { return 0; }
  int Write16(uint32_t, uint16_t) override { return 0; }
  int Write32(uint32_t, uint32_t) override { return 0; }
};

struct FakeRegisterSpace : CRegisterSpace {
  FakeRegisterSpace(uint32_t kind, CIOSpace* io) : CRegisterSpace(kind, io) {}
  ~FakeRegisterSpace() override { g_events.push_back("regspace"); }
};

struct FakeInterface : CInterface {
  FakeInterface(uint32_t type, int detect) : CInterface(type), detect_(detect) {}
  ~FakeInterface() override { g_events.push_back("interface"); }
  int Init() override { return detect_; }
  void Close() override { g_events.push_back("close " + std::to_string(type)); }
  int detect_;
};

struct FakeCommand : CCommand {
  ~FakeCommand() override { g_events.push_back("command"); }
  int Restore() override {
    g_events.push_back("restore");
    return 1;
  }
};

struct FakeDevice : CDevice {
  explicit FakeDevice(uint32_t t) : CDevice(t) {}
  ~FakeDevice() override { g_events.push_back("device"); }
};

struct FakeSensor : CVoltageSensor {
  FakeSensor() : CVoltageSensor(0) {}
  ~FakeSensor() override { g_events.push_back("sensor"); }
};

struct FakeTimer : CTimer {
  explicit FakeTimer(int t) : CTimer(t, 1000, 0) {}
  ~FakeTimer() override { g_events.push_back("timer"); }
  double Calibrate(CTimer*, int, int) override { return 1; }
  double Read() override { return 0; }
};

class FacadeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_events.clear();
    sdk = QUARNSDK::GetInstance();
    ASSERT_NE(sdk, nullptr);
  }
  void TearDown() override { QUARNSDK::ReleaseInstance(); }
  QUARNSDK* sdk = nullptr;
};

TEST_F(FacadeTest, SingletonAndMainboard) {
  EXPECT_EQ(QUARNSDK::GetInstance(), sdk);
  auto* first = new CMainboard("first");
  sdk->SetMainboard(first);
  CMainboard second("second");
  sdk->SetMainboard(&second);
  EXPECT_EQ(sdk->GetMainboard(), first);
  EXPECT_EQ(sdk->GetDevices()->count, 1) << "the second board is not added";
  EXPECT_EQ(sdk->FindDevices(0x400, nullptr), 0) << "a composite is found only with its composite bit";
  CTList<CDevice> found;
  EXPECT_EQ(sdk->FindDevices(0x80000400, &found), 1);
  EXPECT_EQ(found.head->item, first);
  sdk->AddDevice(new FakeDevice(0x2000));
  EXPECT_EQ(sdk->FindDevices(0x2000, &found), 1);
  EXPECT_EQ(found.count, 1) << "the list is emptied before the matches are appended";
}

TEST_F(FacadeTest, SpaceLookupsByBaseAndKind) {
  auto* port = new FakeSpace(IOSPACE_PORT, 0x2E);
  auto* mem = new FakeSpace(IOSPACE_MEMORY, 0x2E);
  sdk->AddIOSpace(mem);
  sdk->AddIOSpace(port);
  EXPECT_EQ(sdk->FindIOSpace(0, 0x2E, 0xFFFFFFFF), mem) << "any kind: first match";
  EXPECT_EQ(sdk->FindIOSpace(0, 0x2E, IOSPACE_PORT), port);
  EXPECT_EQ(sdk->FindIOSpace(0, 0x4E, 0xFFFFFFFF), nullptr);

  auto* lpc = new FakeRegisterSpace(REGSPACE_LPC, port);
  auto* pci = new FakeRegisterSpace(REGSPACE_PCI, nullptr);
  auto* pci2 = new FakeRegisterSpace(REGSPACE_PCI, nullptr);
  sdk->AddRegisterSpace(lpc);
  sdk->AddRegisterSpace(pci);
  sdk->AddRegisterSpace(pci2);
  EXPECT_EQ(sdk->FindRegisterSpace(0, 0x2E, REGSPACE_LPC), lpc);
  EXPECT_EQ(sdk->FindRegisterSpace(0xFFFFFFFF, 0xFFFFFFFF, REGSPACE_PCI), pci) << "no window: base all ones";
  CTList<CRegisterSpace> list;
  list.Append(lpc);
  EXPECT_EQ(sdk->FindRegisterSpaces(REGSPACE_PCI, &list), 2);
  EXPECT_EQ(list.count, 2);
  EXPECT_EQ(list.head->item, pci);
  EXPECT_EQ(sdk->FindRegisterSpaces(0xFFFFFFFF, nullptr), 0) << "no wildcard for kinds";
}

TEST_F(FacadeTest, TimerAndMemoryModuleLookups) {
  sdk->AddTimer(new FakeTimer(TIMER_PERFORMANCE));
  auto* hpet = new FakeTimer(TIMER_HPET);
  sdk->AddTimer(hpet);
  sdk->AddTimer(new FakeTimer(TIMER_HPET));
  EXPECT_EQ(sdk->FindTimer(TIMER_HPET), hpet);
  EXPECT_EQ(sdk->FindTimer(TIMER_ACPI), nullptr);
  EXPECT_EQ(sdk->FindTimers(TIMER_HPET, nullptr), 2);

  CModuleInfo info;
  info.index = 2;
  info.typeCode = 8;
  auto* bare = new CMemoryModule("Memory Module");
  auto* module = new CMemoryModule("Memory Module");
  module->moduleRecord = &info;
  sdk->AddDevice(bare);
  sdk->AddDevice(module);
  EXPECT_EQ(sdk->FindMemoryModule(2, 8), module);
  EXPECT_EQ(sdk->FindMemoryModule(2, 9), nullptr);
  EXPECT_EQ(sdk->FindMemoryMap(0x1000, 0), nullptr);
  sdk->AddMemoryMap(new CMemoryMap(0x1000, 0, 0x100));
  EXPECT_NE(sdk->FindMemoryMap(0x1000, 0), nullptr);
}

TEST_F(FacadeTest, InterfaceCreationKeepsOnlyDetectedInterfaces) {
  EXPECT_EQ(sdk->AdoptInterface(new FakeInterface(INTERFACE_CHIPSET, 0), 0), 0);
  EXPECT_EQ(g_events, std::vector<std::string>{"interface"}) << "a failed interface is deleted";
  auto* keep = new FakeInterface(INTERFACE_DMI, 1);
  EXPECT_EQ(sdk->AdoptInterface(keep, 1), 1);
  EXPECT_EQ(sdk->FindInterface(INTERFACE_DMI), keep);
  EXPECT_EQ(sdk->FindInterface(INTERFACE_DMI | INTERFACE_CHIPSET), nullptr) << "the whole key is compared";
}

TEST_F(FacadeTest, ShutdownRestoresThenTeardownDeletesInOrder) {
  sdk->AddSensor(new FakeSensor());
  sdk->AddTimer(new FakeTimer(1));
  sdk->AddCommand(new FakeCommand());
  auto* io = new FakeSpace(IOSPACE_PORT, 0x290);
  sdk->AddIOSpace(io);
  sdk->AddRegisterSpace(new FakeRegisterSpace(REGSPACE_LPC, io));
  sdk->AdoptInterface(new FakeInterface(INTERFACE_PCI, 1), 1);
  sdk->AdoptInterface(new FakeInterface(INTERFACE_SMBUS, 1), 1);
  sdk->AddDevice(new FakeDevice(1));
  g_events.clear();
  sdk->Shutdown();
  EXPECT_EQ(g_events, (std::vector<std::string>{"restore", "close 1", "close 2"}));
  g_events.clear();
  QUARNSDK::ReleaseInstance();
  EXPECT_EQ(g_events, (std::vector<std::string>{"device", "iospace", "regspace", "interface", "interface", "timer",
                                                 "sensor", "command"}));
  EXPECT_FALSE(QUARNSDK::HasInstance());
}

TEST(BoardHashTest, KnownValues) {
  EXPECT_EQ(QUARNSDK::BoardHash(""), 0u);
  EXPECT_EQ(QUARNSDK::BoardHash("abc"), 1956u);
  EXPECT_EQ(QUARNSDK::BoardHash(nullptr), 0u);
  // Signed bytes: a high-bit character subtracts.
  EXPECT_EQ(QUARNSDK::BoardHash("\xFF"), 0xFFFFFFFFu);
}

}  // namespace
