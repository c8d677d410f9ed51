// Finding the memory modules: the slots scanned per board, which answers
// become modules, their thermal sensors, the devices and the installed
// memory size; on the vendor's X58 board and on a small hand-built bus.
#include <gtest/gtest.h>

#include <memory>

#include "emu/boards/ChipsetParts.h"
#include "emu/smbus/Ddr2Spd.h"
#include "emu/smbus/Ddr3Spd.h"
#include "emu/smbus/Jc42ThermalSensor.h"
#include "emu/smbus/SmbusBus.h"
#include "emu/smbus/SmbusEepromSlave.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/access/CSMBusDevice.h"
#include "sdk/access/CSMBusRegisterSpace.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/StartupBoardIdentity.h"
#include "sdk/memory/CSPDInterface.h"
#include "sdk/monitor/CHardwareMonitor.h"
#include "sdk/monitor/CHardwareMonitorInterface.h"
#include "tests/support/EmulatedSdk.h"

namespace {

class SpdInterface : public ::testing::Test {
 protected:
  // PCI scan and SMBus interface on the machine of `env`.
  void StartBuses(testsupport::EmulatedSdk& env) {
    ASSERT_TRUE(env.Start());
    ASSERT_TRUE(env.Sdk().CreatePCIInterface());
    ScanPciBus(env.Sdk());
    ASSERT_TRUE(env.Sdk().CreateSMBusInterface());
  }
  std::vector<int> Addresses(const CSPDInterface& spd) {
    std::vector<int> a;
    for (int i = 0; i < spd.count; ++i) a.push_back(spd.modules[i].address);
    return a;
  }
};

TEST_F(SpdInterface, VendorBoardModulesTheirSensorsAndDevices) {
  testsupport::EmulatedSdk env("brenmor-x58");
  StartBuses(env);
  CSPDInterface spd;
  spd.boardHash = 0x27F0AF90;
  int progress = 0;
  ASSERT_TRUE(spd.Detect([&] { ++progress; }));
  EXPECT_EQ(progress, 8) << "one call per slot; no memory controller with SPD buses";
  EXPECT_EQ(Addresses(spd), (std::vector<int>{0x50, 0x52, 0x54})) << "each once, though both switch channels see them";
  spd.Decode();
  for (int i = 0; i < spd.count; ++i) {
    SCOPED_TRACE(i);
    const CModuleInfo& m = spd.modules[i];
    EXPECT_EQ(m.index, i);
    EXPECT_EQ(m.typeCode, 9);
    EXPECT_EQ(m.sizeMB, 2048);
    EXPECT_EQ(m.hasXMP, 1);
    auto* device = static_cast<CMemoryModule*>(spd.devices->At(i));
    EXPECT_EQ(env.Sdk().FindMemoryModule(i, 9), device);
    EXPECT_STREQ(device->name, "Corsair PC3-10700");
    EXPECT_STREQ(device->GetSerialNumber(), i == 0 ? "0A0B0C01" : i == 1 ? "0A0B0C02" : "0A0B0C03");
    ASSERT_NE(device->temperatureSensor, nullptr);
    EXPECT_FLOAT_EQ(device->temperatureSensor->value, 38.5f);
    EXPECT_STREQ(device->temperatureSensor->name, "core");
    ASSERT_NE(device->thermalDevice, nullptr);
    EXPECT_EQ(device->thermalDevice->slave, 0x18 | (m.address & 7));
  }
  EXPECT_EQ(spd.TotalSizeMB(), 6144);
  EXPECT_EQ(spd.FindModule(0x52), &spd.modules[1]);
  EXPECT_EQ(spd.FindModule(0x51), nullptr);
}

TEST_F(SpdInterface, BoardRulesChooseTheSlots) {
  struct Case {
    int32_t hash;
    std::vector<int> addresses;
  };
  const Case cases[] = {
      {8408, {0x50, 0x52}},                     // slots 0-3
      {11455588, {0x52, 0x54}},                 // from slot 2
      {1757341355, {0x50, 0x52, 0x54}},        // slots 0-6
      // Boards whose switch puts modules behind one address record every
      // answer: here each DIMM once per switch channel.
      {0x4FC5613E, {0x50, 0x50, 0x52, 0x52, 0x54, 0x54}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hash);
    testsupport::EmulatedSdk env("brenmor-x58");
    StartBuses(env);
    CSPDInterface spd;
    spd.boardHash = c.hash;
    spd.Detect();
    EXPECT_EQ(Addresses(spd), c.addresses);
  }
}

TEST_F(SpdInterface, WhichAnswersBecomeModules) {
  testsupport::EmulatedSdk env;
  auto bus = emu::parts::AddIntelSouthBridge(*env.machine, 0x3A18, 0x3A30);
  emu::Ddr3SpdModule plain;
  plain.thermalSensor = false;
  bus->Attach(0x50, std::make_shared<emu::SmbusEepromSlave>(emu::Ddr3SpdImage(plain)));
  // A sensor below freezing: the sign bit counts.
  bus->Attach(0x18, std::make_shared<emu::Jc42ThermalSensor>(-5.25));
  bus->Attach(0x51, std::make_shared<emu::SmbusEepromSlave>(emu::Ddr3SpdImage(plain)));
  bus->Attach(0x19, std::make_shared<emu::Jc42ThermalSensor>(30.0, 0x1234));  // maker not in the list
  // Another memory type after the first: skipped. An EEPROM that is no SPD: skipped.
  bus->Attach(0x52, std::make_shared<emu::SmbusEepromSlave>(emu::Ddr2SpdImage({})));
  bus->Attach(0x53, std::make_shared<emu::SmbusEepromSlave>());
  StartBuses(env);

  CSPDInterface spd;
  ASSERT_TRUE(spd.Detect());
  EXPECT_EQ(Addresses(spd), (std::vector<int>{0x50, 0x51}));
  auto* first = static_cast<CMemoryModule*>(spd.devices->At(0));
  ASSERT_NE(first->temperatureSensor, nullptr);
  EXPECT_FLOAT_EQ(first->temperatureSensor->value, -5.25f);
  EXPECT_EQ(first->temperatureSensor->raw, 0x1FAC);
  EXPECT_TRUE(env.Sdk().GetSensors()->Contains(first->temperatureSensor));
  EXPECT_EQ(static_cast<CMemoryModule*>(spd.devices->At(1))->temperatureSensor, nullptr);
  EXPECT_STREQ(first->name, "Memory Module") << "Decode names it after maker and speed";
  EXPECT_EQ(spd.modules[0].data[2], 0x0B);
  EXPECT_EQ(spd.modules[0].data[128], 'T') << "all 256 bytes read";
}

TEST_F(SpdInterface, X79ModulesBehindTheProcessorsSpdEngine) {
  testsupport::EmulatedSdk env("brenmor-x79");
  StartBuses(env);
  const uint32_t firmwareControl[2] = {env.machine->RawPciRead(0xFF, 15, 0, 0x188, 4),
                                       env.machine->RawPciRead(0xFF, 15, 0, 0x198, 4)};
  CSPDInterface spd;
  ASSERT_TRUE(spd.Detect());
  // One module per channel: A and B on the first register set, C and D on
  // the second; none answers on the PCH's SMBus.
  EXPECT_EQ(Addresses(spd), (std::vector<int>{0x50, 0x52, 0x54, 0x56}));
  for (int i = 0; i < spd.count; ++i)
    EXPECT_STREQ(static_cast<CSMBusRegisterSpace*>(spd.modules[i].space)->ClassName(),
                 "Intel_X79_SMBusRegisterSpace")
        << i;
  spd.Decode();
  for (int i = 0; i < spd.count; ++i) {
    EXPECT_EQ(spd.modules[i].sizeMB, 4096) << i;
    EXPECT_EQ(spd.modules[i].dataRate, 1600) << i;
    EXPECT_EQ(spd.modules[i].serialNumber, 0x7C0A0001u + i) << "channel order";
  }
  // The controller polls the modules' thermal sensors again afterwards.
  EXPECT_EQ(env.machine->RawPciRead(0xFF, 15, 0, 0x188, 4), firmwareControl[0]);
  EXPECT_EQ(env.machine->RawPciRead(0xFF, 15, 0, 0x198, 4), firmwareControl[1]);
  EXPECT_TRUE(firmwareControl[0] & (1u << 8));
}

TEST_F(SpdInterface, ModuleTemperatureFollowsEveryMonitoringRefresh) {
  testsupport::EmulatedSdk env;
  auto bus = emu::parts::AddIntelSouthBridge(*env.machine, 0x3A18, 0x3A30);
  bus->Attach(0x50, std::make_shared<emu::SmbusEepromSlave>(emu::Ddr3SpdImage({})));
  auto thermal = std::make_shared<emu::Jc42ThermalSensor>(38.5);
  bus->Attach(0x18, thermal);
  StartBuses(env);
  ASSERT_TRUE(env.Sdk().CreateHardwareMonitorInterface(-1, -1, 0x7FFFFFFF));
  CHardwareMonitorInterface& monitors = *env.Sdk().hardwareMonitorInterface;
  const int before = monitors.Monitors()->count;

  CSPDInterface spd;
  ASSERT_TRUE(spd.Detect());
  auto* module = static_cast<CMemoryModule*>(spd.devices->At(0));
  ASSERT_NE(module->temperatureSensor, nullptr);
  ASSERT_EQ(monitors.Monitors()->count, before + 1) << "the module's sensor joins the monitoring refresh";
  EXPECT_EQ(monitors.Monitors()->At(before)->category, MONITOR_MEMORY_MODULE);

  // The module warms up and cools down: each refresh reads it again.
  const CSensor& t = *module->temperatureSensor;
  thermal->SetCelsius(45.25);
  monitors.Refresh();
  EXPECT_FLOAT_EQ(t.value, 45.25f);
  EXPECT_EQ(t.raw, 0x2D4);
  thermal->SetCelsius(41.0);
  monitors.Refresh();
  EXPECT_FLOAT_EQ(t.value, 41.0f);
  EXPECT_FLOAT_EQ(t.min, 38.5f);
  EXPECT_FLOAT_EQ(t.max, 45.25f);

  // A sensor that stops answering keeps its last reading, not all ones.
  bus->Detach(0x18);
  monitors.Refresh();
  EXPECT_FLOAT_EQ(t.value, 41.0f);
  EXPECT_FLOAT_EQ(t.max, 45.25f);
}

// An SPD-only host of a fully buffered memory controller: slaves are
// channel numbers, and only the first 128 bytes of each EEPROM read.
class FbDimmSpdHost : public CSMBusRegisterSpace {
 public:
  FbDimmSpdHost() : CSMBusRegisterSpace(nullptr, 0x808625F5, 2000) {}
  uint8_t types[4] = {9, 3, 10, 0};

 protected:
  bool Transfer(SMBusTransfer& t) override {
    const uint8_t slave = t.slave, command = t.command;
    if (!t.read || t.protocol != SMBusTransfer::kByteData) return false;
    if (slave > 3 || !types[slave] || command >= 128) return false;
    t.data[0] = command == 2 ? types[slave] : command == 11 ? 12 : command == 9 ? 1 : command == 10 ? 4 : 0x11;
    return true;
  }
};

TEST_F(SpdInterface, FullyBufferedControllersSpdBuses) {
  testsupport::EmulatedSdk env;
  emu::parts::AddIntelSouthBridge(*env.machine, 0x3A18, 0x3A30);
  StartBuses(env);
  auto* host = new FbDimmSpdHost();
  env.Sdk().AddRegisterSpace(host);
  CSPDInterface spd;
  int progress = 0;
  EXPECT_TRUE(spd.Detect([&] { ++progress; }));
  EXPECT_EQ(progress, 9) << "eight slots and one controller pass";
  // Channel 1 answers with type 3 (EDO), channel 3 not at all.
  EXPECT_EQ(Addresses(spd), (std::vector<int>{0, 2}));
  EXPECT_EQ(spd.modules[0].space, host);
  EXPECT_EQ(spd.modules[0].data[127], 0x11);
  EXPECT_EQ(spd.modules[0].data[128], 0x00) << "the buffer of these starts cleared";
  spd.Decode();
  EXPECT_EQ(spd.modules[1].typeCode, 8);
  EXPECT_EQ(spd.modules[1].clockMHz, 333);
  EXPECT_NE(env.Sdk().FindMemoryModule(1, 8), nullptr);
}

TEST_F(SpdInterface, NothingFoundWithoutModulesOrSmbus) {
  testsupport::EmulatedSdk env;
  ASSERT_TRUE(env.Start());
  CSPDInterface spd;
  EXPECT_FALSE(spd.Detect()) << "no SMBus interface";
  EXPECT_EQ(spd.count, 0);
}

TEST_F(SpdInterface, ModuleDevicesOutliveTheInterfaceSafely) {
  testsupport::EmulatedSdk env("brenmor-x58");
  StartBuses(env);
  auto spd = std::make_unique<CSPDInterface>();
  ASSERT_TRUE(spd->Detect());
  CDevice* device = spd->devices->At(0);
  spd.reset();
  EXPECT_EQ(static_cast<CMemoryModule*>(device)->moduleRecord, nullptr);
  EXPECT_EQ(device->GetSerialNumber(), nullptr);
  EXPECT_EQ(env.Sdk().FindMemoryModule(0, 9), nullptr);
}

TEST(InstalledMemory, ModulesReplaceTheSystemFigureWhenLarger) {
  CSPDInterface spd;
  EXPECT_EQ(InstalledMemoryMB(4094, &spd), 4094) << "no modules";
  EXPECT_EQ(InstalledMemoryMB(4094, nullptr), 4094);
  spd.count = 2;
  spd.modules[0].sizeMB = 2048;
  spd.modules[1].sizeMB = 2048;
  EXPECT_EQ(InstalledMemoryMB(4094, &spd), 4096);
  EXPECT_EQ(InstalledMemoryMB(8192, &spd), 8192);
  spd.modules[1].sizeMB = -1;
  EXPECT_EQ(spd.TotalSizeMB(), 2048) << "only positive sizes count";
}

}  // namespace
