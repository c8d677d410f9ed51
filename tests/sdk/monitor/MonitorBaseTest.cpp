#include <gtest/gtest.h>

#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/monitor/CHardwareMonitor.h"

namespace {

class MonitorBase : public ::testing::Test {
 protected:
  void TearDown() override { QUARNSDK::ReleaseInstance(); }
};

struct VoltageCase {
  const char* name;
  int rule;
  float a, b;
  float input;
  int raw;
  double expected;
};

TEST_F(MonitorBase, VoltageRulesConvertPinOrRaw) {
  const VoltageCase cases[] = {
      {"rule 1 scale", 1, 2, 1, 1.656f, 207, 3.312},
      {"rule 2 divider", 2, 47, 100, 0.8f, 100, 1.176},
      {"rule 3 negative rail", 3, 232, 56, 0.9f, 0, (0.9 - (232.0 / 288.0) * 3.6) / (1 - 232.0 / 288.0)},
      {"rule 4 offset", 4, 2, 0.016f, 1.656f, 0, 3.328},
      {"input 0 falls back to raw", 1, 1, 100, 0.0f, 150, 1.5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const VoltageLabel table[] = {{"V", 0x100, c.rule, c.a, c.b}, {nullptr, kLabelEnd, 0, 0, 0}};
    CHardwareMonitor m(MONITOR_CHIP, 1);
    m.voltageTable = table;
    auto* s = new CVoltageSensor(0);
    m.AddSensorEverywhere(s);
    s->input = c.input;
    s->raw = c.raw;
    m.ApplyConversions();
    EXPECT_NEAR(s->value, c.expected, 1e-4);
  }
}

TEST_F(MonitorBase, TemperatureAndFanRules) {
  struct Case {
    int rule, raw;
    float offset;
    double expected;
  } cases[] = {
      // Below zero: two's complement bytes and nine-bit half degrees.
      {1, 128, 0, -128}, {1, 129, 0, -127}, {1, 0xFB, 0, -5}, {1, 40, 2.5f, 42.5}, {2, 81, 0, 40.5},
      {2, 0x1F0, 0, -8.0}, {2, 0x1FF, 0, -0.5}, {3, 30, -1, 29}, {4, 77, 5, 77},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "rule " << c.rule << " raw " << c.raw);
    const TemperatureLabel table[] = {{"T", 0x200, c.rule}, {nullptr, kLabelEnd, 0}};
    CHardwareMonitor m(MONITOR_CHIP, 1);
    m.temperatureTable = table;
    auto* s = new CTemperatureSensor(0);
    m.AddSensorEverywhere(s);
    s->raw = c.raw;
    s->offset = c.offset;
    m.ApplyConversions();
    EXPECT_NEAR(s->value, c.expected, 1e-4);
  }
  const FanLabel fans[] = {{"F0", 0x400, 1}, {"F1", 0x401, 1}, {"F2", 0x402, 2}, {nullptr, kLabelEnd, 0}};
  CHardwareMonitor m(MONITOR_CHIP, 1);
  m.fanTable = fans;
  CFanSensor* f[3];
  for (int k = 0; k < 3; ++k) m.AddSensorEverywhere(f[k] = new CFanSensor(k));
  f[0]->raw = 0;  // a stopped fan: 0 rpm, no division
  f[1]->raw = 500;
  f[2]->raw = 1234;
  m.ApplyConversions();
  EXPECT_EQ(f[0]->value, 0.0f);
  EXPECT_NEAR(f[1]->value, 1350000.0 / (500 * 2), 1e-3);
  EXPECT_EQ(f[2]->value, 1234.0f);
}

TEST_F(MonitorBase, LabelsNameOrderAndHideChannels) {
  const VoltageLabel table[] = {
      {"B", 0x41000102, 1, 1, 1}, {"missing", 0x105, 1, 1, 1}, {"A", 0x01000100, 1, 1, 1}, {nullptr, kLabelEnd, 0, 0, 0},
  };
  CHardwareMonitor m(MONITOR_CHIP, 1);
  m.voltageTable = table;
  CVoltageSensor* v[3];
  for (int i = 0; i < 3; ++i) m.AddSensorEverywhere(v[i] = new CVoltageSensor(i));
  m.ApplyLabels();
  const CTList<CSensor>* shown = m.GetList(SENSOR_VOLTAGE);
  ASSERT_EQ(shown->count, 2);
  EXPECT_EQ(shown->At(0), v[2]);
  EXPECT_STREQ(v[2]->name, "B");
  EXPECT_EQ(v[2]->id, 0x41000102u);
  EXPECT_EQ(shown->At(1), v[0]);
  // Channel 1 is hidden but still a sensor of the chip and of the SDK.
  EXPECT_EQ(m.GetList(0xFFFFFFFFu)->count, 3);
  EXPECT_EQ(QUARNSDK::GetInstance()->GetSensors()->count, 3);
  // Re-labelling does not duplicate rows.
  m.ApplyLabels();
  EXPECT_EQ(m.GetList(SENSOR_VOLTAGE)->count, 2);
}

class CountingMonitor : public CHardwareMonitor {
 public:
  CountingMonitor() : CHardwareMonitor(MONITOR_BATTERY, -1) {}
  int Update() override { return ++updates; }
  int updates = 0;
};

TEST_F(MonitorBase, RefreshDividerReadsEveryThirdCall) {
  CountingMonitor m;
  m.refreshDivider = 3;
  m.UpdateDivided(true);
  EXPECT_EQ(m.updates, 1);
  for (int i = 0; i < 6; ++i) m.UpdateDivided(false);
  EXPECT_EQ(m.updates, 3);
  m.refreshDivider = 0;
  EXPECT_EQ(m.UpdateDivided(false), 0);
  EXPECT_EQ(m.updates, 3);
}

TEST_F(MonitorBase, ReadsWithoutSpaceFailAndPresetAllOnes) {
  CHardwareMonitor m(MONITOR_CHIP, 0x12345);
  EXPECT_STREQ(m.name, "Hardware monitor ID=0x12345");
  uint8_t b = 0;
  uint16_t w = 0;
  EXPECT_EQ(m.ReadReg(0x20, &b), 0);
  EXPECT_EQ(m.ReadRegWord(0x20, &w), 0);
  EXPECT_EQ(b, 0xFF);
  EXPECT_EQ(w, 0xFFFF);
}

}  // namespace
