// The board control assembly on the emulated vendor boards: which
// controllers each board gets and in which order, the rails each processor
// sees on the dual-processor board, and rail writes that move the monitored
// voltage while every other controller's registers stay as they were.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "poll/PollCore.h"
#include "emu/chips/Chl8102.h"
#include "emu/chips/Chl8328.h"
#include "emu/chips/DumpTargets.h"
#include "emu/chips/F72262.h"
#include "emu/chips/Isl90727.h"
#include "emu/chips/Nct7802.h"
#include "emu/chips/Pca9545a.h"
#include "emu/chips/Up6228.h"
#include "emu/chips/Vt1186m.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/SdkStartup.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/monitor/CHardwareMonitor.h"
#include "sdk/monitor/CHardwareMonitorInterface.h"
#include "sdk/voltage/Brenmor_Tessel.h"
#include "sdk/voltage/CBoardControl.h"
#include "sdk/voltage/CMicroController.h"
#include "sdk/voltage/RailSettings.h"
#include "tests/support/EmulatedSdk.h"

namespace {

class VoltBoard {
 public:
  explicit VoltBoard(const std::string& board) : env(board) {
    uint32_t error = 0;
    EXPECT_TRUE(env.driver.Open("/tmp", &error, true));
    QUARNSDK::GetInstance()->SetDriver(&env.driver);
    CreateSdkInterfaces(env.Sdk(), env.driver);
    EXPECT_TRUE(env.driver.Acquire(&error, 2000));
    env.acquired = true;
    control = CBoardControl::Of(env.Sdk());
    monitors = static_cast<CHardwareMonitorInterface*>(env.Sdk().FindInterface(INTERFACE_HARDWARE_MONITOR));
  }
  template <typename Chip>
  std::shared_ptr<Chip> ChipNamed(const std::string& name) {
    return std::static_pointer_cast<Chip>(emu::FindDumpTarget(*env.machine, name));
  }
  // "Class@0xNN " for every controller in list order.
  std::string Order() const {
    std::string out;
    for (int i = 0; i < control->ControllerCount(); ++i) {
      char b[80];
      CMicroController* c = control->GetController(i);
      std::snprintf(b, sizeof(b), "%s@0x%02X ", c->ClassName(), c->Address());
      out += b;
    }
    return out;
  }
  float Reading(const std::string& label) {
    monitors->Refresh();
    for (CHardwareMonitor* m : Items(monitors->Monitors()))
      for (CSensor* s : Items(m->GetList(SENSOR_VOLTAGE)))
        if (label == s->name) return s->value;
    ADD_FAILURE() << "no sensor " << label;
    return -1;
  }
  // The rail labelled `label` for `processor`; sets it to `volts`.
  int Set(int processor, const std::string& label, double volts) {
    for (const rails::VisibleRail& r : rails::VisibleRails(*control, processor)) {
      if (r.label != label) continue;
      control->SelectProcessorRails(processor);
      RailReading now;
      control->ReadRow(r.controller, r.row, &now);
      int value = 0, flags = 0;
      const int entry = rails::EntryForVolts(now.row, volts);
      EXPECT_GE(entry, 0) << label << " " << volts;
      rails::SettingOf(now.row, entry, &value, &flags);
      std::string why;
      return control->WriteRow(r.controller, r.row, value, flags, &why);
    }
    ADD_FAILURE() << "no rail " << label;
    return 0;
  }

  testsupport::EmulatedSdk env;
  CBoardControl* control = nullptr;
  CHardwareMonitorInterface* monitors = nullptr;
};

std::string Labels(const std::vector<rails::VisibleRail>& list) {
  std::string out;
  for (const rails::VisibleRail& r : list) out += r.label + "|";
  return out;
}

TEST(BoardControl, Z68GetsItsControllersInStepOrderAndTheGauge) {
  VoltBoard b("brenmor-z68");
  ASSERT_TRUE(b.control);
  EXPECT_EQ(b.Order(),
            "uP6228_VR_MicroController@0x45 uP6228_VR_MicroController@0x46 CHIL_CHL8328_MicroController@0x32 "
            "Fintek_F72262_MicroController@0x33 Fintek_F72262_MicroController@0x34 "
            "Fintek_F72262_MicroController@0x31 ISL90727_MicroController@0x2E ISL90727_MicroController@0x3E "
            "CHIL_CHL8102_MicroController@0x0C ");
  CTList<CDevice> gauges;
  ASSERT_EQ(b.env.Sdk().FindDevices(DEVICE_BOARD_CONTROL, &gauges), 1);
  EXPECT_STREQ(gauges.At(0)->GetName(), "Brenmor Tessel");
  // Assembly reads; it writes nothing to any controller.
  EXPECT_EQ(b.ChipNamed<emu::Up6228>("up6228@0x45")->Get(0x18), 191);
  EXPECT_EQ(b.ChipNamed<emu::Isl90727>("isl90727@0x2e")->Wiper(), 0x40);
}

TEST(BoardControl, BoardsWithoutControllersGetNone) {
  VoltBoard b("brenmor-x58");
  ASSERT_TRUE(b.control);
  EXPECT_EQ(b.control->ControllerCount(), 0);
  CTList<CDevice> gauges;
  EXPECT_EQ(b.env.Sdk().FindDevices(DEVICE_BOARD_CONTROL, &gauges), 0);
}

TEST(BoardControl, DualProcessorBoardListsEachProcessorsBranch) {
  VoltBoard b("brenmor-5520dp");
  ASSERT_TRUE(b.control);
  auto sw = b.ChipNamed<emu::Pca9545a>("pca9545a@0x72");
  EXPECT_EQ(Labels(rails::VisibleRails(*b.control, 0)),
            "CPU0 VCORE|CPU0 VCORE BOOST #1|CPU0 VCORE BOOST #2|CPU0 VTT|CPU0 PLL 1.8V|IOH Vcore 1.1V|IOH 1.8V|"
            "CPU0 VDIMM|NF200 1.2V|I/O 1.5V|ICH 1.05V|CPU0 DQ VRef|");
  ASSERT_TRUE(b.control->SelectProcessorRails(1));
  EXPECT_EQ(sw->Control(), 0x02);
  EXPECT_EQ(Labels(rails::VisibleRails(*b.control, 1)),
            "CPU1 VCORE|CPU1 VCORE BOOST #1|CPU1 VCORE BOOST #2|CPU1 VTT|CPU1 PLL 1.8V|IOH Vcore 1.1V|IOH 1.8V|"
            "CPU1 VDIMM|NF200 1.2V|I/O 1.5V|ICH 1.05V|CPU1 DQ VRef|");
  EXPECT_EQ(b.control->SelectProcessorRails(2), 0);
  EXPECT_EQ(sw->Control(), 0x02);
}

// Every register of every emulated controller on the Z68.
std::vector<int> Z68Image(VoltBoard& b) {
  std::vector<int> out;
  for (const char* n : {"up6228@0x45", "up6228@0x46"})
    for (int r = 0; r < 256; ++r) out.push_back(b.ChipNamed<emu::Up6228>(n)->Get(static_cast<uint8_t>(r)));
  for (int r = 0; r < 256; ++r) out.push_back(b.ChipNamed<emu::Chl8328>("chl8328@0x32")->Get(static_cast<uint8_t>(r)));
  for (const char* n : {"f72262@0x31", "f72262@0x33", "f72262@0x34"})
    for (int r = 0; r < 256; ++r) out.push_back(b.ChipNamed<emu::F72262>(n)->Get(static_cast<uint8_t>(r)));
  for (const char* n : {"isl90727@0x2e", "isl90727@0x3e"}) out.push_back(b.ChipNamed<emu::Isl90727>(n)->Wiper());
  for (int r = 0; r < 256; ++r) out.push_back(b.ChipNamed<emu::Chl8102>("chl8102@0x0c")->Get(static_cast<uint8_t>(r)));
  return out;
}

TEST(BoardControl, Z68RailWritesMoveTheMonitoredVoltagesAndNothingElse) {
  VoltBoard b("brenmor-z68");
  ASSERT_TRUE(b.control);
  EXPECT_NEAR(b.Reading("CPU VCORE"), 1.2, 0.02);
  struct Case {
    const char* rail;
    int controller;
    double volts;
    const char* sensor;
  } cases[] = {{"VCORE", 0, 1.3, "CPU VCORE"}, {"DRAM Voltage", 2, 1.6, "DRAM"}, {"VCCIO", 8, 1.1, "VCCIO"},
               {"PCH Vcore 1.05V", 4, 1.1, "PCH"}};
  for (const Case& c : cases) {
    std::vector<int> before = Z68Image(b);
    std::string why;
    // Controller by index: the two uP6228 rows are both labelled "VCORE".
    RailReading now;
    ASSERT_TRUE(b.control->ReadRow(c.controller, 0, &now));
    int value = 0, flags = 0;
    rails::SettingOf(now.row, rails::EntryForVolts(now.row, c.volts), &value, &flags);
    ASSERT_TRUE(b.control->WriteRow(c.controller, 0, value, flags, &why)) << c.rail << why;
    // The monitor pin is read through an 8 mV converter behind a divider.
    EXPECT_NEAR(b.Reading(c.sensor), c.volts, 0.025) << c.rail;
    std::vector<int> after = Z68Image(b);
    // Only the written controller's block may differ.
    int changedBlocks = 0;
    for (size_t i = 0; i < before.size(); i += 256)
      for (size_t k = i; k < std::min(i + 256, before.size()); ++k)
        if (before[k] != after[k]) {
          ++changedBlocks;
          break;
        }
    EXPECT_EQ(changedBlocks, 1) << c.rail;
  }
}

TEST(BoardControl, DualProcessorVcoreWritesReachTheSelectedProcessor) {
  VoltBoard b("brenmor-5520dp");
  ASSERT_TRUE(b.control);
  ASSERT_TRUE(b.Set(1, "CPU1 VCORE", 1.1));
  EXPECT_EQ(b.ChipNamed<emu::Vt1186m>("vt1186m@1:0x70")->Get(0x1C), 82);
  EXPECT_EQ(b.ChipNamed<emu::Vt1186m>("vt1186m@0:0x70")->Get(0x1C), 66);
  EXPECT_NEAR(b.Reading("CPU1 VCORE"), 1.1, 0.025);
  EXPECT_NEAR(b.Reading("CPU0 VCORE"), 1.2, 0.025);
}

TEST(BoardControl, PollCycleMovesTheDialToTheCoreClock) {
  VoltBoard b("brenmor-z68");
  CPollCore poll(&b.env.Sdk(), &b.env.driver);
  b.env.driver.Release();
  b.env.acquired = false;
  ASSERT_TRUE(poll.PollHardware(1000));
  auto* cpus = static_cast<CCPUInterface*>(b.env.Sdk().FindInterface(INTERFACE_CPU));
  const float mhz = cpus->GetProcessor(0)->GetCoreClock(0);
  ASSERT_GT(mhz, 1000);
  const uint8_t expected = CPollCore::GaugePosition(mhz);
  EXPECT_GT(expected, 0);
  EXPECT_EQ(b.ChipNamed<emu::Nct7802>("nct7802@0x2d")->Register(0x61), expected);
}

TEST(BoardControl, PollCycleWritesTheDialOnlyWhenItsPositionChanges) {
  VoltBoard b("brenmor-z68");
  std::vector<int> written;
  CPollCore::Hooks hooks;
  hooks.setDialPosition = [&](CDevice*, uint8_t position) { written.push_back(position); };
  CPollCore poll(&b.env.Sdk(), &b.env.driver, hooks);
  b.env.driver.Release();
  b.env.acquired = false;
  for (int cycle = 0; cycle < 4; ++cycle) ASSERT_TRUE(poll.PollHardware(1000));
  ASSERT_GE(written.size(), 1u);  // the first cycle moves it
  EXPECT_LT(written.size(), 4u);  // a steady clock moves it once
  for (size_t i = 1; i < written.size(); ++i) EXPECT_NE(written[i], written[i - 1]) << "cycle " << i;
}

}  // namespace
