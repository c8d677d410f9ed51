// The SDK's drivers against the emulated monitoring chips: readings follow
// the board's rails and fans over the machine's time, a replayed dump
// decodes as the real board's, and the Winbond probe's misdetection trap.
#include <gtest/gtest.h>

#include <memory>

#include "emu/DumpLoader.h"
#include "emu/EmulatedMachine.h"
#include "emu/chips/Adt7473.h"
#include "emu/chips/FintekHardwareMonitorBlock.h"
#include "emu/chips/Nct7802.h"
#include "emu/boards/BoardMonitoring.h"
#include "emu/smbus/SmbusBus.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CRegisterSpace.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/monitor/ChipProbes.h"
#include "sdk/monitor/MonitorFactory.h"
#include "sdk/monitor/CHardwareMonitor.h"

namespace {

// Register spaces straight onto an emulated chip: an index/data port pair,
// or an SMBus slave's byte-data protocol.
class PortPairSpace : public CRegisterSpace {
 public:
  explicit PortPairSpace(emu::PortDevice& d) : CRegisterSpace(REGSPACE_LPC, nullptr), dev(d) {}
  int Execute(CIORequest* r) override {
    dev.PortWrite(0, 1, r->reg & 0xFF);
    if (r->op & IOOP_WRITE) return dev.PortWrite(1, 1, r->data & 0xFF);
    uint32_t v = 0;
    int ok = dev.PortRead(1, 1, &v);
    r->data = v & 0xFF;
    return ok;
  }
  emu::PortDevice& dev;
};

class SlaveSpace : public CRegisterSpace {
 public:
  explicit SlaveSpace(emu::SmbusSlave& s) : CRegisterSpace(REGSPACE_SMBUS, nullptr), slave(s) {}
  int Execute(CIORequest* r) override {
    if (r->op & IOOP_WRITE) return slave.WriteByteData(static_cast<uint8_t>(r->reg), static_cast<uint8_t>(r->data));
    uint8_t v = 0xFF;
    int ok = slave.ReadByteData(static_cast<uint8_t>(r->reg), &v);
    r->data = v;
    return ok;
  }
  emu::SmbusSlave& slave;
};

class EmulatedMonitorChips : public ::testing::Test {
 protected:
  void TearDown() override {
    delete monitor;
    QUARNSDK::ReleaseInstance();
  }
  void Advance(double seconds) { machine.Time().Advance(static_cast<uint64_t>(seconds * 1e9)); }
  emu::EmulatedMachine machine{emu::TimeBase::Mode::Virtual};
  CHardwareMonitor* monitor = nullptr;
};

TEST_F(EmulatedMonitorChips, IohBoardFintekFollowsRailsAndFans) {
  auto block = emu::boards::AttachIohBoardMonitor(machine, 0x0A00);
  PortPairSpace space(*block);
  monitor = BuildMonitor(0x1934, 0x0541, 0x27F0AF90, -1, -1);
  monitor->SetAccess(&space, new CLPCRequest());
  monitor->CreateSensors();
  monitor->Update();
  // t = 0: the power-header fan has not started, the system fan runs.
  EXPECT_EQ(monitor->GetList(SENSOR_FAN)->count, 2);
  EXPECT_NEAR(monitor->FindSensor(0x100)->value, 3.31, 0.02);   // +3.3V
  EXPECT_NEAR(monitor->FindSensor(0x104)->value, 5.02, 0.05);   // +5V
  EXPECT_NEAR(monitor->FindSensor(0x105)->value, 12.1, 0.1);    // +12V
  Advance(25);
  monitor->UpdateDivided(false);
  ASSERT_EQ(monitor->GetList(SENSOR_FAN)->count, 3);
  EXPECT_STREQ(monitor->GetSensor(SENSOR_FAN, 2)->name, "FANIN2");
  EXPECT_NEAR(monitor->GetSensor(SENSOR_FAN, 2)->value, 950, 5);
  float cpuFan = monitor->GetSensor(SENSOR_FAN, 0)->value;
  Advance(12);  // the system fan stops at 30 s and keeps its row
  monitor->UpdateDivided(false);
  EXPECT_EQ(monitor->GetSensor(SENSOR_FAN, 1)->value, 0.0f);
  EXPECT_NE(monitor->GetSensor(SENSOR_FAN, 0)->value, cpuFan);  // readings drift
  Advance(60);
  monitor->UpdateDivided(false);
  EXPECT_GT(monitor->GetSensor(SENSOR_FAN, 1)->value, 900);
}

TEST_F(EmulatedMonitorChips, ReplayedDumpDecodesLikeTheRealBoard) {
  auto block = emu::boards::AttachIohBoardMonitor(machine, 0x0A00);
  emu::RegisterDump dump;
  std::string err;
  ASSERT_TRUE(emu::LoadRegisterDumpFile(std::string(MONITOR_FIXTURES) + "/f71882f_ioh.isadump", &dump, &err)) << err;
  ASSERT_TRUE(block->LoadDump(dump, &err)) << err;
  PortPairSpace space(*block);
  monitor = BuildMonitor(0x1934, 0x0541, 0x27F0AF90, -1, -1);
  monitor->SetAccess(&space, new CLPCRequest());
  monitor->CreateSensors();
  monitor->Update();
  struct {
    uint32_t key;
    const char* label;
    double value;
  } rows[] = {
      {0x100, "+3.3V", 0xCE * 0.008 * 2}, {0x101, "CPU VCORE", 0x99 * 0.008},
      {0x104, "+5V", 0x77 * 0.008 * 247 / 47}, {0x105, "+12V", 0x89 * 0.008 * 11},
      {0x107, "VSB3V", 0xCE * 0.008 * 2}, {0x108, "VBAT", 0xC1 * 0.008 * 2},
      {0x200, "CPU", 42}, {0x201, "IOH", 55}, {0x202, "System", 33},
      {0x400, "CPU", 1500000.0 / 0x032A}, {0x402, "FANIN2", 1500000.0 / 0x05DC},
  };
  for (const auto& r : rows) {
    CSensor* s = monitor->FindSensor(r.key);
    ASSERT_NE(s, nullptr) << r.label;
    EXPECT_STREQ(s->name, r.label);
    EXPECT_NEAR(s->value, r.value, 1e-3) << r.label;
  }
  EXPECT_EQ(monitor->FindSensor(0x401), nullptr);  // 0x0FFF: not turning
  EXPECT_EQ(monitor->GetList(SENSOR_VOLTAGE)->count, 6);
}

TEST_F(EmulatedMonitorChips, Nct7802ProbedAndReadOnItsAddress) {
  emu::SmbusBus bus;
  auto chip = emu::boards::AttachBoardNct7802(machine, bus, 0x2D);
  SlaveSpace space(*chip);
  CSMBusRequest request(0, 0x2D);
  ProbeResult id;
  EXPECT_FALSE(ProbeWinbondFamily(&space, &request, 0, &id));
  EXPECT_FALSE(ProbeITE(&space, &request, 0, &id));
  ASSERT_TRUE(ProbeNuvotonBanked(&space, &request, &id));
  EXPECT_EQ(id.vendor, 0x50u);
  EXPECT_EQ(id.chipCode, 0xC3u);
  monitor = BuildMonitor(id.vendor, id.chipCode, 0x0AAB5410, -1, 0x2D);
  monitor->SetAccess(&space, new CSMBusRequest(0, 0x2D));
  monitor->CreateSensors();
  ASSERT_EQ(monitor->GetList(SENSOR_VOLTAGE)->count, 1);
  EXPECT_STREQ(monitor->GetSensor(SENSOR_VOLTAGE, 0)->name, "CPU VAXG");
  EXPECT_NEAR(monitor->GetSensor(SENSOR_VOLTAGE, 0)->value, 1.10, 0.02);
  // JSYS1 (channel 2) spins up after 15 s.
  EXPECT_EQ(monitor->GetList(SENSOR_FAN)->count, 1);
  Advance(16);
  monitor->Update();
  ASSERT_EQ(monitor->GetList(SENSOR_FAN)->count, 2);
  EXPECT_STREQ(monitor->GetSensor(SENSOR_FAN, 1)->name, "JSYS1");
  EXPECT_NEAR(monitor->GetSensor(SENSOR_FAN, 1)->value, 700, 5);
}

// The card's fan and thermal controller: ten-bit readings through the
// extended-resolution latch, in either temperature format, the core rail on
// VCCP, a stalled tachometer; the driver writes nothing.
TEST_F(EmulatedMonitorChips, Adt7473ReadsInBothTemperatureFormats) {
  double core = 1.0;
  emu::Adt7473 chip(machine.Time(), 1);
  chip.vccp = [&core] { return core; };
  chip.temperatures[0] = emu::Waveform::Steady(58.25);
  chip.temperatures[1] = emu::Waveform::Steady(-9.75);
  chip.fans[0].rpm = emu::Waveform::Steady(1900);
  chip.Set(0x30, 0x66);
  SlaveSpace space(chip);
  for (uint8_t config5 : {0x00, 0x01}) {
    SCOPED_TRACE(static_cast<int>(config5));
    chip.Set(0x7C, config5);
    monitor = BuildMonitor(0x41, chip.Register(0x3D), -1, -1, 0x2E);
    monitor->SetAccess(&space, new CSMBusRequest(0, 0x2E));
    ASSERT_TRUE(monitor->CreateSensors());
    EXPECT_NEAR(monitor->temperatureSensors[0]->value, 58.25, 1e-6);
    EXPECT_NEAR(monitor->temperatureSensors[1]->value, -9.75, 1e-6);
    EXPECT_EQ(monitor->temperatureSensors[2], nullptr) << "remote 2 reports a diode fault";
    EXPECT_NEAR(monitor->voltageSensors[1]->value, 1.0, 0.003);
    EXPECT_NEAR(monitor->voltageSensors[2]->value, 3.3, 0.005);
    EXPECT_NEAR(monitor->fanSensors[0]->value, 1900, 1);
    EXPECT_EQ(monitor->fanSensors[1], nullptr);
    EXPECT_NEAR(monitor->fanPwmSensors[0]->value, 40.0, 0.01);
    EXPECT_EQ(monitor->fanPwmSensors[1], nullptr) << "pin 9 of the ADT7473-1 is SMBALERT";
    core = 1.05;
    monitor->Update();
    EXPECT_NEAR(monitor->voltageSensors[1]->value, 1.05, 0.003);
    core = 1.0;
    delete monitor;
    monitor = nullptr;
  }
  EXPECT_EQ(chip.writes, 0u);
}

TEST_F(EmulatedMonitorChips, WinbondProbeMisdetectsNct7802WithVsen2At1304mV) {
  // The Winbond probe's fallback takes register 0x0D = 0xA3 with bit 7 of
  // 0x00 clear for a W83781D-layout chip. On an NCT7802 0x0D is VSEN2's high
  // byte: 1.304 V there (0xA3 x 4 x 2 mV) makes the probe that runs first at
  // 0x2D claim the chip. The board models keep that input elsewhere.
  auto chip = std::make_shared<emu::Nct7802>(machine.Time());
  chip->voltages[3] = emu::Waveform::Steady(1.304);
  SlaveSpace space(*chip);
  CSMBusRequest request(0, 0x2D);
  ProbeResult id;
  ASSERT_TRUE(ProbeWinbondFamily(&space, &request, 0, &id));
  EXPECT_EQ(id.vendor, 0x5CA3u);
  chip->voltages[3] = emu::Waveform::Steady(1.05);
  EXPECT_FALSE(ProbeWinbondFamily(&space, &request, 0, &id));
}

}  // namespace
