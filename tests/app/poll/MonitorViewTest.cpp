// What the Monitoring view makes of the sensors a poll left: the fixed rows
// of the dual-processor boards, rows kept when a sensor is missing, the
// selected processor's core temperatures, more voltages than rows, fans
// without a reading, and the keyboard LCD lines that go with them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "poll/MonitorView.h"
#include "poll/SensorRowFormat.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CProcessor.h"

namespace {

struct FakeSensor {
  uint32_t cls;
  uint32_t key;  // class bits and kind; the channel is added
  const char* name;
  float value;
  int owner;  // -1 the mainboard, else the processor index
};

struct ExpectRow {
  int row;
  const char* label;
  bool enabled;
};

struct Case {
  const char* what;
  int32_t board;
  std::vector<FakeSensor> sensors;
  int selected;
  std::vector<ExpectRow> rows;
  std::vector<std::string> lcdShown, lcdAbsent;
};

CSensor* MakeSensor(const FakeSensor& f, int channel) {
  CSensor* s = f.cls == SENSOR_VOLTAGE       ? static_cast<CSensor*>(new CVoltageSensor(channel))
               : f.cls == SENSOR_TEMPERATURE ? static_cast<CSensor*>(new CTemperatureSensor(channel))
                                             : static_cast<CSensor*>(new CFanSensor(channel));
  s->id = f.key | static_cast<uint32_t>(channel);
  std::snprintf(s->name, sizeof(s->name), "%s", f.name);
  s->SetValue(f.value, f.value >= 0);
  return s;
}

std::vector<FakeSensor> Voltages(int n) {
  static std::vector<std::string> names;
  names.clear();
  for (int i = 0; i < n; ++i) names.push_back("V" + std::to_string(i));
  std::vector<FakeSensor> out;
  for (int i = 0; i < n; ++i) out.push_back({SENSOR_VOLTAGE, 0x100, names[i].c_str(), 1.0f + 0.1f * i, -1});
  return out;
}

TEST(MonitorView, EdgeCasesOfTheRowsAndTheLcd) {
  const int32_t dual = CMonitorView::kDualBoardA, plain = 0x27F0AF90;
  const std::vector<FakeSensor> dualRails = {
      {SENSOR_VOLTAGE, 0x01000100, "CPU0 VCORE", 1.20f, -1}, {SENSOR_VOLTAGE, 0x04000100, "+12V", 12.1f, -1},
      {SENSOR_VOLTAGE, 0x41000100, "CPU1 VCORE", 1.19f, -1}, {SENSOR_VOLTAGE, 0x0B000100, "IOH PLL", 1.80f, -1}};
  std::vector<FakeSensor> dualWithoutCpu1 = dualRails;
  dualWithoutCpu1.erase(dualWithoutCpu1.begin() + 2);
  const std::vector<FakeSensor> twoProcessors = {
      {SENSOR_TEMPERATURE, 0x200, "P0 Core 0", 40, 0}, {SENSOR_TEMPERATURE, 0x200, "P0 Core 1", 41, 0},
      {SENSOR_TEMPERATURE, 0x200, "P1 Core 0", 50, 1}, {SENSOR_TEMPERATURE, 0x200, "P1 Core 1", 51, 1}};
  const Case cases[] = {
      {"the dual-processor boards' fixed rows and LCD lines", dual, dualRails, 0,
       {{0, "CPU0 VCore", true}, {4, "+12V", true}, {5, "CPU1 VCore", true}, {8, "IOH PLL", true},
        {1, "Voltage 2", false}},
       {"CPU0 VCore: 1.20 V", "CPU1 VCore: 1.19 V"}, {}},
      {"a missing CPU1 VCore keeps \"Voltage 6\"", dual, dualWithoutCpu1, 0,
       {{0, "CPU0 VCore", true}, {5, "Voltage 6", false}}, {"CPU0 VCore: 1.20 V"}, {"CPU1 VCore"}},
      {"the selected processor's core temperatures", plain, twoProcessors, 1,
       {{15, "P1 Core 0", true}, {16, "P1 Core 1", true}, {17, "CPU core#3", false}}, {}, {}},
      {"twelve voltages: ten rows, the LCD shows sensors 2 and 5", plain, Voltages(12), 0,
       {{0, "V0", true}, {9, "V9", true}}, {"V1: 1.10 V", "V4: 1.40 V"}, {"V10", "V11"}},
      {"a fan without a reading takes no row", plain,
       {{SENSOR_FAN, 0x400, "CPU", 1200, -1}, {SENSOR_FAN, 0x400, "SYS", -1, -1}, {SENSOR_FAN, 0x400, "AUX", 900, -1}}, 0,
       {{21, "CPU", true}, {22, "AUX", true}, {23, "Fan 3", false}}, {"CPU: 1200 RPM"}, {"SYS"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QUARNSDK* sdk = QUARNSDK::GetInstance();
    auto* board = new CMainboard("Test board");
    sdk->AddDevice(board);
    CProcessor* cpus[2] = {new CProcessor(0, 0), new CProcessor(1, 1)};
    for (CProcessor* p : cpus) sdk->AddDevice(p);
    int channel = 0;
    for (const FakeSensor& f : c.sensors) {
      CSensor* s = MakeSensor(f, channel++ & 0xFF);
      sdk->AddSensor(s);
      if (f.owner < 0) board->AddSensor(s);
      else cpus[f.owner]->AddSensor(s);
    }
    CMonitorView view;
    view.Update(sdk, c.board, c.selected);
    for (const ExpectRow& e : c.rows) {
      EXPECT_EQ(view.RowAt(e.row).label, e.label) << "row " << e.row;
      EXPECT_EQ(view.RowAt(e.row).enabled, e.enabled) << "row " << e.row;
    }
    std::string lcd;
    for (const auto& line : view.Lcd()) lcd += line.text + "\n";
    for (const std::string& t : c.lcdShown) EXPECT_NE(lcd.find(t + "\n"), std::string::npos) << t << " in\n" << lcd;
    for (const std::string& t : c.lcdAbsent) EXPECT_EQ(lcd.find(t), std::string::npos) << t << " in\n" << lcd;
    QUARNSDK::ReleaseInstance();
  }
}

}  // namespace

namespace {

TEST(SensorRowFormat, BothLayoutsOfEveryClassTheRowsShow) {
  struct Case {
    uint32_t cls;
    float value;
    const char* detailed;
    const char* compact;
  } cases[] = {
      {SENSOR_VOLTAGE, 1.2344f, "+1.234 V", "1.23 V"},
      {SENSOR_VOLTAGE, -12.1f, "-12.100 V", "-12.10 V"},
      {SENSOR_TEMPERATURE, -5.5f, "-5.5\xC2\xB0" "C", "-5.5 \xC2\xB0" "C"},
      {SENSOR_FAN, 1234.9f, "1235 RPM", "1234 RPM"},  // the view truncates
      {SENSOR_POWER, 60.14f, "60.1 W", "60.1 W"},
      {SENSOR_CURRENT, 3.456f, "3.46 A", "3.46 A"},
      {SENSOR_FAN_PWM, 49.8f, "50%", ""},  // not in the view
      {SENSOR_LEVEL, 1.0f, "", ""},        // no format at all
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatReading(c.cls, c.value, SensorStyle::kDetailed), c.detailed) << c.cls;
    EXPECT_EQ(FormatReading(c.cls, c.value, SensorStyle::kCompact), c.compact) << c.cls;
  }
}

TEST(SensorRowFormat, MinAndMaxOnlyOnceTracked) {
  CFanSensor fan(0);
  fan.value = 1500.0f;
  SensorRowText fresh = FormatSensorRow(fan, *FindSensorClassFormat(SENSOR_FAN), SensorStyle::kCompact);
  EXPECT_EQ(fresh.value, "1500 RPM");
  EXPECT_EQ(fresh.min, "");
  fan.SetValue(1400.0f, true);
  fan.SetValue(1600.0f, true);
  SensorRowText tracked = FormatSensorRow(fan, *FindSensorClassFormat(SENSOR_FAN), SensorStyle::kCompact);
  EXPECT_EQ(tracked.value, "1600 RPM");
  EXPECT_EQ(tracked.min, "1400 RPM");
  EXPECT_EQ(tracked.max, "1600 RPM");
}

}  // namespace
