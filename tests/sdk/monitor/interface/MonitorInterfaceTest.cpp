// The hardware-monitor interface on the emulated boards: which chips each
// board's detection finds and how their rows are labelled, readings on the
// machine's clock, register dumps replayed into a chip, and silent
// detection.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "emu/DumpLoader.h"
#include "emu/chips/DumpTargets.h"
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
       "Nuvoton NCT7802:VCCSA|FANIN0| "},
      {"brenmor-x79",
       "Fintek F71889A:+3.3V|CPU VCORE|DRAM|VCC|PCH|VCCIO|+12V|VSB3V|VBAT|CPU|VREG|System|CPU| "
       "Nuvoton NCT7802:CPU VAXG|JSYS2| Nuvoton NCT7802:PLL|CPU VSA|JCHA|JSYS| "},
      {"brenmor-x58",
       "Fintek F71882F:+3.3V|CPU VCORE|+5V|+12V|VSB3V|VBAT|CPU|IOH|System|CPU|FANIN1| "
       "Nuvoton NCT7802:VCC|VCORE|VIN4|FANIN0| "},
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

}  // namespace
