// The hardware-monitor interface on the emulated boards: which chips each
// board's detection finds and how their rows are labelled, readings on the
// machine's clock, register dumps replayed into a chip, and silent
// detection.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "emu/DumpLoader.h"
#include "emu/BoardDescription.h"
#include "emu/chips/DumpTargets.h"
#include "emu/chips/FintekHardwareMonitorBlock.h"
#include "emu/chips/IteIt87Monitor.h"
#include "emu/chips/SuperIoChip.h"
#include "emu/chips/WinbondW83627DhgMonitor.h"
#include "emu/chips/Nct7802.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/SdkStartup.h"
#include "sdk/monitor/CHardwareMonitor.h"
#include "sdk/monitor/CHardwareMonitorInterface.h"
#include "sdk/monitor/MonitorLabels.h"
#include "tests/support/EmulatedSdk.h"

namespace {

class MonitorBoard {
 public:
  explicit MonitorBoard(const std::string& board) : env(board) {}
  // Brings the SDK up the way the programs do; the channel stays acquired.
  CHardwareMonitorInterface* Start() {
    uint32_t error = 0;
    if (!env.driver.Open("/tmp", &error, true)) return nullptr;
    QUARNSDK::GetInstance()->SetDriver(&env.driver);
    CreateSdkInterfaces(env.Sdk(), env.driver);
    if (!env.driver.Acquire(&error, 2000)) return nullptr;
    env.acquired = true;
    return static_cast<CHardwareMonitorInterface*>(env.Sdk().FindInterface(INTERFACE_HARDWARE_MONITOR));
  }
  void AdvanceSeconds(double s) { env.machine->Time().Sleep(static_cast<uint64_t>(s * 1e9)); }
  template <typename Chip>
  std::shared_ptr<Chip> ChipNamed(const char* name) {
    return std::static_pointer_cast<Chip>(emu::FindDumpTarget(*env.machine, name));
  }
  testsupport::EmulatedSdk env;
};

// "name: labels|...; " per monitor, voltages then temperatures then fans.
std::string Describe(const CHardwareMonitorInterface& hm) {
  std::string out;
  for (CHardwareMonitor* m : Items(hm.Monitors())) {
    out += std::string(m->name) + ":";
    for (uint32_t cls : {SENSOR_VOLTAGE, SENSOR_TEMPERATURE, SENSOR_FAN})
      for (CSensor* s : Items(m->GetList(cls))) out += std::string(s->name) + "|";
    out += " ";
  }
  return out;
}

CSensor* Row(const CHardwareMonitorInterface& hm, int monitor, uint32_t cls, const std::string& label) {
  int n = 0;
  for (CHardwareMonitor* m : Items(hm.Monitors()))
    if (n++ == monitor)
      for (CSensor* s : Items(m->GetList(cls)))
        if (label == s->name) return s;
  return nullptr;
}

TEST(MonitorInterface, EachBoardFindsItsChipsWithItsGroupsLabels) {
  // At power-on the power-header fan (channel 2) has not started yet; the
  // NCT7802s come after the Fintek chips, in the SMBus scan's address order.
  struct Case {
    const char* board;
    const char* chips;
  } cases[] = {
      {"brenmor-p45",
       "Fintek F71882F:+3.3V|CPU VCORE|DRAM|CPU VTT|NB CORE|+5V|+12V|VSB3V|VBAT|NB|VREG|System|CPU|JPPWR| "},
      {"brenmor-p55", "Fintek F71889F:+3.3V|CPU VCORE|DRAM|CPU VTT|PCH|+5V|+12V|VSB3V|VBAT|CPU|VREG|System|CPU|JPPWR| "},
      {"brenmor-z68",
       "Fintek F71889ED:+3.3V|CPU VCORE|DRAM|VCCIO|PCH|+5V|+12V|VSB3V|VBAT|CPU|VREG|System|CPU|JPPWR| "
       "Nuvoton NCT7802:VCCSA|FANIN0| "
       // The processor's graphics reports its temperature through its backend.
       "Intel I/O:TMPIN0| "},
      {"brenmor-x79",
       "Fintek F71889A:+3.3V|CPU VCORE|DRAM|VCC|PCH|VCCIO|+12V|VSB3V|VBAT|CPU|VREG|System|CPU| "
       "Nuvoton NCT7802:CPU VAXG|JSYS2| Nuvoton NCT7802:PLL|CPU VSA|JCHA|JSYS| "},
      {"brenmor-x58",
       "Fintek F71882F:+3.3V|CPU VCORE|+5V|+12V|VSB3V|VBAT|CPU|IOH|System|CPU|FANIN1| "
       // The fan and thermal controller of each graphics card, found by the
       // card scan: the core rail on VCCP, the GPU diode, the fan.
       "Analog Device ADT7475:VCCP|VCC|Remote 1|Local|FANIN0| "
       "Analog Device ADT7475:VCCP|VCC|Remote 1|Local|FANIN0| "},
      {"brenmor-5520dp",
       "Fintek F71882F:CPU0 VCORE|CPU0 VTT|CPU0 DRAM|IOH VCore|+5V|+12V|CPU0 Socket|CPU0 PWM|System|JCPU|JSYS| "
       "Fintek F71808:CPU1 VCORE|CPU1 VTT|CPU1 DRAM|IOH PLL|CPU1 PWM|System 2|CPU1|JSYS1| "},
      // Another maker's board: the IT8718F's table, and the W83627DHG's
      // table chosen by the board checksum.
      {"kestrel-x38",
       "ITE IT87:CPU VCORE|DDR2 1.8V|+3.3V|+5V|+12V|VBAT|System|CPU|CPU FAN|SYSTEM FAN|POWER FAN| "
       "Winbond W83627DHG:CPU VCORE|+12V|+3.3V|Chipset|SYSFANIN| "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.board);
    MonitorBoard board(c.board);
    CHardwareMonitorInterface* hm = board.Start();
    ASSERT_TRUE(hm);
    EXPECT_EQ(Describe(*hm), c.chips);
  }
}

TEST(MonitorInterface, KindsAndProcessorsOfTheDualProcessorBoard) {
  MonitorBoard board("brenmor-5520dp");
  CHardwareMonitorInterface* hm = board.Start();
  ASSERT_TRUE(hm);
  CSensor* cpu0 = Row(*hm, 0, SENSOR_VOLTAGE, "CPU0 VCORE");
  CSensor* cpu1 = Row(*hm, 1, SENSOR_VOLTAGE, "CPU1 VCORE");
  ASSERT_TRUE(cpu0 && cpu1);
  EXPECT_EQ(cpu0->id, 0x01000101u);
  EXPECT_EQ(cpu1->id, 0x41000101u);
  EXPECT_EQ(SensorKind(cpu1->id), VKIND_VCORE);
  EXPECT_EQ(SensorProcessor(cpu1->id), 1u);
  // Rails come back through the board's dividers: 0.816 V at the pin is 1.2 V.
  EXPECT_NEAR(cpu0->value, 1.2, 0.02);
}

TEST(MonitorInterface, ReadingsFollowTheBoardsClock) {
  MonitorBoard board("brenmor-p45");
  CHardwareMonitorInterface* hm = board.Start();
  ASSERT_TRUE(hm);
  CSensor* cpuTemp = Row(*hm, 0, SENSOR_TEMPERATURE, "NB");
  ASSERT_TRUE(cpuTemp);
  float before = cpuTemp->value;
  EXPECT_EQ(Row(*hm, 0, SENSOR_FAN, "JCHA"), nullptr);  // not spinning at power-on

  board.AdvanceSeconds(25);
  hm->Refresh();
  EXPECT_NE(cpuTemp->value, before);  // a slow drift, a few degrees in 25 s
  CSensor* started = Row(*hm, 0, SENSOR_FAN, "JCHA");
  ASSERT_TRUE(started) << "a fan that starts appears on the next refresh";
  EXPECT_NEAR(started->value, 950, 15);

  board.AdvanceSeconds(15);  // t = 40 s: the JPPWR fan stopped at 30 s
  hm->Refresh();
  CSensor* stopped = Row(*hm, 0, SENSOR_FAN, "JPPWR");
  ASSERT_TRUE(stopped);
  EXPECT_EQ(stopped->value, 0.0f);
  EXPECT_GT(stopped->max, 1000.0f);
}

TEST(MonitorInterface, DetectionWritesNothingToTheSlaves) {
  MonitorBoard board("brenmor-x79");
  auto at28 = board.ChipNamed<emu::Nct7802>("nct7802@0x28");
  auto at2d = board.ChipNamed<emu::Nct7802>("nct7802@0x2d");
  ASSERT_TRUE(at28 && at2d);
  CHardwareMonitorInterface* hm = board.Start();
  ASSERT_TRUE(hm);
  hm->Refresh();
  EXPECT_EQ(at28->writes, 0u);
  EXPECT_EQ(at2d->writes, 0u);
}

TEST(MonitorInterface, AnNct7802ReadingLikeAWinbondIdIsMisdetected) {
  // VSEN2 (0x0D) at 1.304 V reads 0xA3 with bit 7 of 0x00 clear: the
  // Winbond probe, which runs first at 0x2D, takes the chip for its own.
  MonitorBoard board("brenmor-x79");
  auto at2d = board.ChipNamed<emu::Nct7802>("nct7802@0x2d");
  ASSERT_TRUE(at2d);
  at2d->voltages[3] = emu::Waveform::Steady(1.304);
  CHardwareMonitorInterface* hm = board.Start();
  ASSERT_TRUE(hm);
  ASSERT_EQ(hm->Monitors()->count, 3);
  CHardwareMonitor* second = hm->Monitors()->head->next->item;
  EXPECT_EQ(static_cast<uint32_t>(second->monitorId) >> 16, 0x5CA3u);
  EXPECT_STRNE(second->name, "Nuvoton NCT7802");
}

TEST(MonitorInterface, ADumpLoadedIntoTheFintekGivesItsReadings) {
  MonitorBoard board("brenmor-x79");
  emu::RegisterDump dump;
  std::string error;
  ASSERT_TRUE(emu::LoadRegisterDumpFile(MONITOR_FIXTURES "/f71882f-vsa.isadump", &dump, &error)) << error;
  ASSERT_TRUE(emu::LoadDumpInto(*board.env.machine, "f71882f", dump, &error)) << error;
  CHardwareMonitorInterface* hm = board.Start();
  ASSERT_TRUE(hm);
  struct Expect {
    uint32_t cls;
    const char* label;
    double value;
  } rows[] = {
      {SENSOR_VOLTAGE, "+3.3V", 3.312},        // 0xCF x 8 mV x 2
      {SENSOR_VOLTAGE, "CPU VCORE", 1.18527},  // 0x64: 0.8 V x 148.1584 / 100
      {SENSOR_VOLTAGE, "VSB3V", 3.328},        // 0xCF: 2 x 1.656 V + 0.016 V
      {SENSOR_VOLTAGE, "+12V", 11.963},        // 0xA2: 1.296 V x 2243 / 243
      {SENSOR_TEMPERATURE, "CPU", 45},
      {SENSOR_TEMPERATURE, "VREG", 58},
      {SENSOR_FAN, "CPU", 1500},  // count 1000
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    CSensor* s = Row(*hm, 0, r.cls, r.label);
    ASSERT_TRUE(s);
    EXPECT_NEAR(s->value, r.value, 0.002);
  }
  // A dump is a snapshot: time does not move it.
  board.AdvanceSeconds(30);
  hm->Refresh();
  EXPECT_NEAR(Row(*hm, 0, SENSOR_TEMPERATURE, "CPU")->value, 45, 0.001);
}

TEST(MonitorInterface, DumpsNameTheirChipAndLine) {
  MonitorBoard board("brenmor-p45");
  emu::RegisterDump dump;
  std::string error;
  EXPECT_FALSE(emu::LoadRegisterDumpFile(MONITOR_FIXTURES "/malformed.isadump", &dump, &error));
  EXPECT_NE(error.find("line 8"), std::string::npos) << error;
  EXPECT_FALSE(emu::LoadDumpInto(*board.env.machine, "nct7802@0x2d", dump, &error));
  EXPECT_NE(error.find("f71882f"), std::string::npos) << error;  // the chips the board has
}

// The Fintek blocks of a board (their dump targets are named after the chip).
std::vector<std::shared_ptr<emu::FintekHardwareMonitorBlock>> FintekBlocks(MonitorBoard& board) {
  std::vector<std::shared_ptr<emu::FintekHardwareMonitorBlock>> out;
  for (const std::string& name : emu::DumpTargetNames(*board.env.machine))
    if (name.rfind("f71", 0) == 0) out.push_back(board.ChipNamed<emu::FintekHardwareMonitorBlock>(name.c_str()));
  return out;
}

TEST(MonitorInterface, ReadingSensorsLeavesTheFanModesAlone) {
  constexpr uint8_t kFanMode = 0x96;
  for (const emu::BoardDescription* desc : emu::Boards()) {
    SCOPED_TRACE(desc->name);
    MonitorBoard board(desc->name);
    auto blocks = FintekBlocks(board);
    std::vector<std::array<uint8_t, 256>> before;
    for (auto& b : blocks) {
      b->SetRegister(kFanMode, 0x55);  // every output automatic, duty driven
      std::array<uint8_t, 256> image;
      for (int r = 0; r < 256; ++r) image[r] = b->Register(static_cast<uint8_t>(r));
      before.push_back(image);
    }
    CHardwareMonitorInterface* hm = board.Start();
    ASSERT_TRUE(hm);
    board.AdvanceSeconds(5);
    hm->Refresh();
    QUARNSDK::GetInstance()->Shutdown();
    for (size_t i = 0; i < blocks.size(); ++i)
      for (int r = 0; r < 256; ++r)
        EXPECT_EQ(blocks[i]->Register(static_cast<uint8_t>(r)), before[i][r]) << "register 0x" << std::hex << r;
  }
}

TEST(MonitorInterface, ASetDutyTakesTheFansOverUntilShutdown) {
  // The IOH board's fans only follow a duty in manual mode: the first duty
  // set switches them, and shutting down gives the firmware's mode back.
  MonitorBoard board("brenmor-x58");
  auto blocks = FintekBlocks(board);
  ASSERT_EQ(blocks.size(), 1u);
  blocks[0]->SetRegister(0x96, 0x15);
  CHardwareMonitorInterface* hm = board.Start();
  ASSERT_TRUE(hm);
  CHardwareMonitor* fintek = hm->Monitors()->head->item;
  ASSERT_STREQ(fintek->name, "Fintek F71882F");
  EXPECT_EQ(blocks[0]->Register(0x96), 0x15);
  ASSERT_EQ(fintek->SetSensorValue(0, SENSOR_FAN_PWM, 40.0f), 1);
  EXPECT_EQ(blocks[0]->Register(0x96), 0xFF);
  EXPECT_EQ(blocks[0]->Register(0xA3), 102);  // 40 % of 255
  ASSERT_EQ(fintek->SetSensorValue(0, SENSOR_FAN_PWM, 60.0f), 1);
  QUARNSDK::GetInstance()->Shutdown();
  EXPECT_EQ(blocks[0]->Register(0x96), 0x15);
}

// A machine with one Super I/O chip and its monitor, the monitor's registers
// replayed from a real dump through the --load-dump path.
struct DumpMachine {
  DumpMachine(emu::SuperIoMaker maker, uint16_t superIoId, const std::string& dumpFile) {
    auto& m = *board.env.machine;
    const bool ite = maker == emu::SuperIoMaker::Ite;
    const uint16_t base = 0x290;
    auto sio = std::make_shared<emu::SuperIoChip>(maker, 0x2E);
    sio->SetGlobal(0x20, static_cast<uint8_t>(superIoId >> 8));
    sio->SetGlobal(0x21, static_cast<uint8_t>(superIoId));
    sio->AddLogicalDevice(ite ? 0x04 : 0x0B, base, 0, true);
    m.AddPortDevice(0x2E, emu::SuperIoChip::kPorts, sio);
    if (ite) emu::RegisterDumpChip(m, "monitor", emu::IteIt87Monitor::Attach(m, base));
    else emu::RegisterDumpChip(m, "monitor", emu::WinbondW83627DhgMonitor::Attach(m, base));
    emu::RegisterDump dump;
    EXPECT_TRUE(emu::LoadRegisterDumpFile(std::string(HWMON_DUMPS) + "/" + dumpFile, &dump, &error)) << error;
    loaded = emu::LoadDumpInto(m, "monitor", dump, &error);
  }
  MonitorBoard board{""};
  std::string error;
  bool loaded = false;
};

TEST(MonitorInterface, RealDumpsDecodeToTheKernelDriversValues) {
  // Expected values as the Linux drivers compute them from the same
  // registers: it87 (in = reg x 16 mV, temp = (s8)reg, fan = 1350000 /
  // (reg x div) in 8-bit mode, 1350000 / (count x 2) in 16-bit mode),
  // w83627hf (VRM9 in0 = (reg x 488 + 70000) / 100 mV when 0x18 bit 0 is
  // set), w83627ehf (in2, in3 count 16 mV: the chip halves AVCC and 3VCC,
  // so `internal` is 2 where the driver reads the pin at 8 mV). Channels
  // reading 0x00 or 0xFF and inputs outside the dump (other banks) show no row.
  struct Volt {
    int channel, mV, internal;
  };
  struct Reading {
    int channel;
    double value;
  };
  struct Case {
    const char* dump;
    emu::SuperIoMaker maker;
    uint16_t superIoId;
    const char* name;
    std::vector<Volt> volts;
    std::vector<Reading> temps, fans;
  } cases[] = {
      // 0x0C clear: 8-bit counts, divisors 8 (0x0B = 0x5B); temp2 reads -55 degrees.
      {"it8705f-hwmon.dump", emu::SuperIoMaker::Ite, 0x8705, "ITE IT87",
       {{0, 1088, 1}, {1, 2560, 1}, {2, 3312, 1}, {3, 2928, 1}, {4, 3040, 1}, {5, 2736, 1}, {6, 2016, 1}, {7, 2176, 1}},
       {{0, 25}, {1, -55}, {2, 35}},
       {{0, 3515}, {1, 1577}}},
      // 0x0C = 0x0A: fan 1 8-bit with divisor 4 (0x0B bits 2:0 = 2), fan 2
      // 16-bit (count 0x00FF), fan 3 8-bit reading 0xFF (stopped).
      {"it8712f-hwmon.dump", emu::SuperIoMaker::Ite, 0x8712, "ITE IT87",
       {{0, 1744, 1}, {2, 3328, 1}, {3, 2944, 1}, {4, 2928, 1}, {7, 3024, 1}},
       {{0, 42}, {1, 36}, {2, -1}},
       {{0, 2481}, {1, 2647}}},
      // 16-bit counters (0x0C = 0x37); fans 4 and 5 enabled but stopped.
      {"it8716f-hwmon.dump", emu::SuperIoMaker::Ite, 0x8716, "ITE IT87",
       {{0, 1008, 1}, {1, 3216, 1}, {3, 2848, 1}, {4, 2864, 1}, {7, 2848, 1}, {8, 2928, 1}},
       {{0, 21}, {1, 29}, {2, -5}},
       {{0, 2109}, {1, 1245}, {2, 922}}},
      {"it8720f-hwmon.dump", emu::SuperIoMaker::Ite, 0x8720, "ITE IT87",
       {{1, 1776, 1}, {2, 1168, 1}, {3, 2976, 1}, {8, 3248, 1}},
       {{0, 31}},
       {}},
      {"w83627hf-hwmon.dump", emu::SuperIoMaker::Winbond, 0x5241, "Winbond W83627HF",
       {{3, 2976, 1}},
       {{0, 127}},
       {}},
      // VRM9 VCORE (0x18 = 0x43); fan 2 count 0x50 with divisor 8.
      {"w83627thf.dump", emu::SuperIoMaker::Winbond, 0x8283, "Winbond W83627THF",
       {{0, 1417, 1}, {1, 1088, 1}, {2, 3312, 1}, {3, 2960, 1}, {4, 3120, 1}},
       {{0, 28}},
       {{1, 2109}}},
      // SYSTIN below zero.
      {"w83627ehg.dump", emu::SuperIoMaker::Winbond, 0x8863, "Winbond W83627EHF",
       {{2, 3408, 2}, {3, 3376, 2}, {4, 1688, 1}, {5, 1736, 1}, {6, 1992, 1}},
       {{0, -48}},
       {}},
      // Fan divisors with bit 2 from 0x5D (fan 2: 16) and from 0x4C (fan 4).
      {"w83667hg.dump", emu::SuperIoMaker::Winbond, 0xA513, "Winbond W83667HG",
       {{0, 1080, 1}, {1, 1736, 1}, {2, 3376, 2}, {3, 3344, 2}, {4, 1712, 1}, {6, 1256, 1}},
       {{0, 44}},
       {{0, 860}, {1, 1004}, {3, 902}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dump);
    DumpMachine machine(c.maker, c.superIoId, c.dump);
    ASSERT_TRUE(machine.loaded) << machine.error;
    CHardwareMonitorInterface* hm = machine.board.Start();
    ASSERT_TRUE(hm);
    ASSERT_EQ(hm->Monitors()->count, 1);
    CHardwareMonitor* chip = hm->Monitors()->head->item;
    EXPECT_STREQ(chip->name, c.name);
    std::string shown, expected;
    for (CSensor* s : Items(chip->voltages)) shown += std::to_string(s->id & 0xFF) + " ";
    for (const Volt& v : c.volts) expected += std::to_string(v.channel) + " ";
    EXPECT_EQ(shown, expected) << "voltage channels";
    for (const Volt& v : c.volts) {
      CSensor* s = chip->FindSensor(0x100 | v.channel);
      ASSERT_TRUE(s) << "voltage " << v.channel;
      EXPECT_NEAR(s->input * v.internal * 1000, v.mV, 1.0) << "voltage " << v.channel;
    }
    EXPECT_EQ(chip->temperatures ? chip->temperatures->count : 0, static_cast<int>(c.temps.size()));
    for (const Reading& t : c.temps) {
      CSensor* s = chip->FindSensor(0x200 | t.channel);
      ASSERT_TRUE(s) << "temperature " << t.channel;
      EXPECT_EQ(s->value, t.value) << "temperature " << t.channel;
    }
    EXPECT_EQ(chip->fans ? chip->fans->count : 0, static_cast<int>(c.fans.size()));
    for (const Reading& f : c.fans) {
      CSensor* s = chip->FindSensor(0x400 | f.channel);
      ASSERT_TRUE(s) << "fan " << f.channel;
      EXPECT_NEAR(s->value, f.value, 1.0) << "fan " << f.channel;  // the kernel divides in integers
    }
  }
}

TEST(MonitorInterface, ADumpTakenInAnotherBankIsRefusedNamingIt) {
  std::string text = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n";
  for (int row = 0; row < 8; ++row) {
    char line[80];
    std::snprintf(line, sizeof(line), "%02x: ", row * 16);
    text += line;
    for (int i = 0; i < 16; ++i) text += (row == 4 && i == 14) ? "81 " : (row == 5 && i == 8) ? "c1 " : "00 ";
    text += "\n";
  }
  emu::RegisterDump dump;
  std::string error;
  ASSERT_TRUE(emu::ParseRegisterDump(text, &dump, &error)) << error;
  MonitorBoard board("kestrel-x38");
  EXPECT_FALSE(emu::LoadDumpInto(*board.env.machine, "w83627dhg", dump, &error));
  EXPECT_NE(error.find("bank 1 selected (register 0x4E = 0x81)"), std::string::npos) << error;
}

TEST(MonitorInterface, TheOperatingSystemsBatteriesAreMonitored) {
  MonitorBoard board("brenmor-p45");
  plat::PowerSupply battery;
  battery.name = "BAT0";
  battery.type = "Battery";
  battery.voltageNow = 12600000;
  battery.capacity = 80;
  battery.temp = 312;
  plat::PowerSupply mains;  // only "online": nothing to show
  mains.name = "AC";
  mains.type = "Mains";
  board.env.machine->powerSupplies = {mains, battery};
  CHardwareMonitorInterface* hm = board.Start();
  ASSERT_TRUE(hm);
  CHardwareMonitor* last = nullptr;
  for (CHardwareMonitor* m : Items(hm->Monitors())) last = m;
  ASSERT_TRUE(last);
  EXPECT_STREQ(last->name, "Battery BAT0");
  EXPECT_EQ(last->category, MONITOR_BATTERY);
  EXPECT_EQ(Describe(*hm).find("AC"), std::string::npos);
  ASSERT_TRUE(last->GetSensor(SENSOR_VOLTAGE, 0) && last->GetSensor(SENSOR_CAPACITY, 0) &&
              last->GetSensor(SENSOR_TEMPERATURE, 0));
  EXPECT_NEAR(last->GetSensor(SENSOR_VOLTAGE, 0)->value, 12.6, 1e-5);
  EXPECT_NEAR(last->GetSensor(SENSOR_TEMPERATURE, 0)->value, 31.2, 1e-5);
  EXPECT_EQ(last->GetSensor(SENSOR_CURRENT, 0), nullptr);
  // The charge falls; a battery is read every third refresh.
  board.env.machine->powerSupplies[1].capacity = 79;
  hm->Refresh();
  hm->Refresh();
  EXPECT_EQ(last->GetSensor(SENSOR_CAPACITY, 0)->value, 80.0f);
  hm->Refresh();
  EXPECT_EQ(last->GetSensor(SENSOR_CAPACITY, 0)->value, 79.0f);
}

}  // namespace
