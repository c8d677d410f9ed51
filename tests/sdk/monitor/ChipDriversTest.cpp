// Chip drivers on register fakes: decoded readings against the data sheets'
// (and the Linux hwmon drivers') formulas, channel discovery, fan outputs.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "FakeRegisterSpace.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/monitor/AnalogDevice_ADT7475_HardwareMonitor.h"
#include "sdk/monitor/ChipFamilies.h"
#include "sdk/monitor/Fintek_F71808E_HardwareMonitor.h"
#include "sdk/monitor/Fintek_F71882F_HardwareMonitor.h"
#include "sdk/monitor/ITE_IT87_HardwareMonitor.h"
#include "sdk/monitor/MonitorFactory.h"
#include "sdk/monitor/Nuvoton_NCT7802_HardwareMonitor.h"
#include "sdk/monitor/Winbond_W83627DHG_HardwareMonitor.h"

namespace {

class ChipDrivers : public ::testing::Test {
 protected:
  void TearDown() override { QUARNSDK::ReleaseInstance(); }
  FakeRegisterSpace space;
};

void SetFintekFan(FakeRegisterSpace& s, int k, int count) {
  s.Set(static_cast<uint8_t>(0xA0 + 0x10 * k), static_cast<uint8_t>(count >> 8));
  s.Set(static_cast<uint8_t>(0xA1 + 0x10 * k), static_cast<uint8_t>(count));
}

TEST_F(ChipDrivers, FintekDecodesLikeTheKernelDriver) {
  // f71882fg: in = reg * 8 mV; temp = reg degrees; fan = 1500000 / count.
  space.Set(0x20, 207);  // 1.656 V, 3.3 V rail halved
  space.Set(0x21, 0x00);  // not connected
  space.Set(0x22, 150);
  space.Set(0x72, 45);
  space.Set(0x74, 0x80);  // no diode
  space.Set(0x76, 0xF6);  // -10
  SetFintekFan(space, 0, 750);
  SetFintekFan(space, 1, 0x0FFF);  // stopped
  SetFintekFan(space, 3, 1000);    // F71882F has a fourth fan
  Fintek_F71882F_HardwareMonitor m(0x0541);
  m.SetAccess(&space, new CLPCRequest());
  ASSERT_EQ(m.CreateSensors(), 1);
  m.Update();
  EXPECT_STREQ(m.name, "Fintek F71882F");
  EXPECT_EQ(m.voltageSensors[1], nullptr);
  ASSERT_NE(m.voltageSensors[0], nullptr);
  EXPECT_NEAR(m.voltageSensors[0]->input, 1.656, 1e-6);
  EXPECT_NEAR(m.voltageSensors[0]->value, 3.312, 1e-5);  // "+3.3V" x2
  EXPECT_STREQ(m.voltageSensors[0]->name, "+3.3V");
  EXPECT_NEAR(m.voltageSensors[2]->value, 150 * 0.008 * 2, 1e-5);
  EXPECT_EQ(m.temperatureSensors[1], nullptr);
  EXPECT_EQ(m.temperatureSensors[0]->value, 45.0f);
  EXPECT_EQ(m.temperatureSensors[2]->value, -10.0f);
  EXPECT_NEAR(m.fanSensors[0]->value, 2000.0, 1e-3);
  EXPECT_EQ(m.fanSensors[1], nullptr);
  EXPECT_NEAR(m.fanSensors[3]->value, 1500.0, 1e-3);
}

TEST_F(ChipDrivers, FintekFanStopsKeepsRowAndLateFanAppears) {
  SetFintekFan(space, 0, 750);
  Fintek_F71882F_HardwareMonitor m(0x0601);  // F71882FG: three fans only
  m.SetAccess(&space, new CLPCRequest());
  m.CreateSensors();
  EXPECT_EQ(m.GetList(SENSOR_FAN)->count, 1);
  SetFintekFan(space, 0, 0x0000);
  SetFintekFan(space, 2, 1500);
  SetFintekFan(space, 3, 1500);  // not read on this chip
  m.Update();
  ASSERT_EQ(m.GetList(SENSOR_FAN)->count, 2);
  EXPECT_EQ(m.fanSensors[0]->value, 0.0f);
  EXPECT_STREQ(m.fanSensors[2]->name, "FANIN2");
  EXPECT_NEAR(m.fanSensors[2]->value, 1000.0, 1e-3);
  EXPECT_EQ(m.fanSensors[3], nullptr);
}

TEST_F(ChipDrivers, FintekVoltageAbsentAtStartStaysHidden) {
  Fintek_F71882F_HardwareMonitor m(0x0541);
  m.SetAccess(&space, new CLPCRequest());
  m.CreateSensors();
  space.Set(0x23, 100);
  m.Update();
  EXPECT_EQ(m.voltageSensors[3], nullptr);
}

TEST_F(ChipDrivers, FintekPwmDutyRoundsHalvesUpAndLimits) {
  for (uint8_t r : {0xA3, 0xB3, 0xC3, 0xD3}) space.Set(r, 0x40);
  Fintek_F71882F_HardwareMonitor m(0x0541);
  m.SetAccess(&space, new CLPCRequest());
  m.CreateSensors();
  ASSERT_EQ(m.GetList(SENSOR_FAN_PWM)->count, 4);
  EXPECT_NEAR(m.fanPwmSensors[0]->value, 0x40 * 100.0 / 255, 1e-4);
  struct {
    int index;
    float percent;
    uint8_t reg, expected;
  } cases[] = {{0, 100, 0xA3, 0xFF}, {1, 50, 0xB3, 0x80}, {2, 150, 0xC3, 0xFF}, {3, 0, 0xD3, 0x00}};
  for (const auto& c : cases) {
    space.writes.clear();
    EXPECT_EQ(m.SetSensorValue(c.index, SENSOR_FAN_PWM, c.percent), 1);
    ASSERT_EQ(space.writes.size(), 1u);
    EXPECT_EQ(space.writes[0].first, c.reg);
    EXPECT_EQ(space.writes[0].second, c.expected) << c.percent << " %";
  }
}

TEST_F(ChipDrivers, FintekFanOutputsAreTheChipsOwn) {
  // No phantom fourth fan or "System Fan 3" output on three-fan chips.
  for (int k = 0; k < 4; ++k) SetFintekFan(space, k, 3000);
  struct Case {
    int chip;
    int fans;
  } cases[] = {{0x0541, 4}, {0x0723, 3}, {0x0909, 3}, {0x1005, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chip);
    Fintek_F71882F_HardwareMonitor m(c.chip);
    m.SetAccess(&space, new CLPCRequest());
    m.CreateSensors();
    EXPECT_EQ(m.GetList(SENSOR_FAN)->count, c.fans);
    EXPECT_EQ(m.GetList(SENSOR_FAN_PWM)->count, c.fans);
  }
}

TEST_F(ChipDrivers, F71808HasThreeFansAndCreatesPwmUnread) {
  SetFintekFan(space, 2, 3000);
  SetFintekFan(space, 3, 3000);
  Fintek_F71808E_HardwareMonitor m(0x0901);
  m.SetAccess(&space, new CLPCRequest());
  m.CreateSensors();
  EXPECT_STREQ(m.name, "Fintek F71808");
  EXPECT_EQ(m.monitorId, 0x19340901);
  EXPECT_EQ(m.fanSensors[3], nullptr);
  EXPECT_EQ(m.fanPwmSensors[3], nullptr);
  EXPECT_EQ(m.fanPwmSensors[0]->raw, -1);
  space.Set(0xA3, 0xFF);
  m.Update();
  EXPECT_NEAR(m.fanPwmSensors[0]->value, 100.0, 1e-4);
  EXPECT_NEAR(m.fanSensors[2]->value, 500.0, 1e-3);
}

TEST_F(ChipDrivers, Nct7802DecodesLikeTheKernelDriver) {
  // nct7802: in = ((hi << 2) | (lo >> 6)) * {4, 2, 2, 2, 2} mV, fan =
  // 1350000 / ((hi << 5) | (lo >> 3)); VSEN1-3 only in voltage mode.
  const uint8_t hi[5] = {0xCF, 0x96, 0x00, 0x64, 0xFF};
  const uint8_t regs[5] = {0x09, 0x0A, 0x0C, 0x0D, 0x0E};
  for (int i = 0; i < 5; ++i) space.Set(regs[i], hi[i]);
  space.Set(0x0F, 0x80);  // low bits 2
  space.Set(0x10, 0x20);  // fan 0 high
  space.Set(0x13, 0x28);  // low bits 5
  space.Set(0x22, 0x7F);  // RTD1-3 pins are voltage inputs
  Nuvoton_NCT7802_HardwareMonitor m;
  m.SetAccess(&space, new CSMBusRequest(0, 0x28));
  m.CreateSensors();
  EXPECT_EQ(m.GetList(SENSOR_VOLTAGE)->count, 3);
  const int kernelMv[2] = {((0xCF << 2) | 2) * 4, ((0x96 << 2) | 2) * 2};
  EXPECT_NEAR(m.voltageSensors[0]->input, kernelMv[0] / 1000.0, 1e-5);
  EXPECT_NEAR(m.voltageSensors[0]->value, 3.32, 1e-5);  // the default table's VCC row: the rail itself
  EXPECT_NEAR(m.voltageSensors[1]->input, kernelMv[1] / 1000.0, 1e-5);
  EXPECT_EQ(m.voltageSensors[4], nullptr);
  EXPECT_NEAR(m.fanSensors[0]->value, 1350000.0 / ((0x20 << 5) | 5), 1e-2);
  EXPECT_STREQ(m.fanSensors[0]->name, "FANIN0");
  // A voltage that appears later gets its sensor (NCT7802 channels may).
  space.Set(0x0C, 0x40);
  space.Set(0x10, 0x00);
  m.Update();
  EXPECT_NE(m.voltageSensors[2], nullptr);
  EXPECT_EQ(m.fanSensors[0]->value, 0.0f);
}

TEST_F(ChipDrivers, Nct7802ShowsNoVoltageOnAPinInTemperatureMode) {
  for (uint8_t r : {0x09, 0x0A, 0x0C, 0x0D, 0x0E}) space.Set(r, 0x80);
  struct Case {
    uint8_t mode;
    bool vin2, vin3, vin4;
  } cases[] = {
      {0x7F, true, true, true},
      {0x7E, false, true, true},   // RTD1 a thermistor: VSEN1 is a temperature
      {0x75, false, false, true},  // RTD1 and RTD2 diodes
      {0x40, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    space.Set(0x22, c.mode);
    Nuvoton_NCT7802_HardwareMonitor m;
    m.SetAccess(&space, new CSMBusRequest(0, 0x28));
    m.CreateSensors();
    EXPECT_NE(m.voltageSensors[0], nullptr);
    EXPECT_NE(m.voltageSensors[1], nullptr);
    EXPECT_EQ(m.voltageSensors[2] != nullptr, c.vin2);
    EXPECT_EQ(m.voltageSensors[3] != nullptr, c.vin3);
    EXPECT_EQ(m.voltageSensors[4] != nullptr, c.vin4);
  }
}

// adt7475: in = DIV_ROUND_CLOSEST(reg * (r1 + r2) * 2250, r2 * 1024) mV
// with the ten-bit reg and the attenuator of the input (none when
// bypassed); temp = (reg - 256) * 250 m°C in offset-64 mode, the signed
// ten bits * 250 in two's complement mode; fan = 90000 * 60 / tach.
TEST_F(ChipDrivers, Adt7475DecodesLikeTheKernelDriver) {
  const double kVccp = 341 * 700 * 2250.0 / (525 * 1024) / 1000;  // 0.999 V
  struct Case {
    const char* what;
    uint8_t chip, revision, config2, config3, config4, config5, vid;
    uint8_t temperature[3], extend2;
    double celsius[3];  // NAN: no sensor
    double vccp;  // VCCP = 0x55 with low bits 1: 341
    bool in0, in3, in4, fan4, pwm2;
  } cases[] = {
      {"ADT7473, offset-64", 0x73, 0x68, 0x00, 0x00, 0x00, 0x00, 0x00,
       {64 + 58, 64 + 41, 0x00}, 0x14, {58.25, 41.25, NAN}, kVccp, false, false, false, true, true},
      {"ADT7473-1: pin 9 reads the other way", 0x73, 0x69, 0x00, 0x00, 0x01, 0x00, 0x00,
       {64 + 58, 64 + 41, 64 + 52}, 0x00, {58, 41, 52}, kVccp, false, false, false, false, false},
      {"ADT7475, two's complement, VCCP attenuator bypassed", 0x75, 0x6A, 0x20, 0x01, 0x00, 0x01, 0x00,
       {0xF6, 30, 0x80}, 0x0C, {-9.25, 30.0, NAN}, 341 * 2.25 / 1024, false, false, false, true, false},
      {"ADT7476 with +2.5V and +12V", 0x76, 0x69, 0x00, 0x00, 0x00, 0x00, 0x00,
       {64 + 58, 64 + 41, 64 + 52}, 0x00, {58, 41, 52}, kVccp, true, true, true, true, true},
      {"ADT7476: THERM and VID5 take those pins", 0x76, 0x69, 0x00, 0x02, 0x00, 0x00, 0x80,
       {64 + 58, 64 + 41, 64 + 52}, 0x00, {58, 41, 52}, kVccp, false, true, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRegisterSpace regs;
    regs.Set(0x3D, c.chip);
    regs.Set(0x3E, 0x41);
    regs.Set(0x3F, c.revision);
    regs.Set(0x73, c.config2);
    regs.Set(0x78, c.config3);
    regs.Set(0x7D, c.config4);
    regs.Set(0x7C, c.config5);
    regs.Set(0x43, c.vid);
    for (uint8_t r = 0x20; r <= 0x24; ++r) regs.Set(r, 0x55);
    regs.Set(0x76, 0x04);  // VCCP low bits 1: 341
    regs.Set(0x77, c.extend2);
    for (int j = 0; j < 3; ++j) regs.Set(static_cast<uint8_t>(0x25 + j), c.temperature[j]);
    regs.Set(0x28, 0xB0);  // 2736 counts
    regs.Set(0x29, 0x0A);
    regs.Set(0x2A, 0xFF);  // fan 2 stalled
    regs.Set(0x2B, 0xFF);
    regs.Set(0x2F, 0x10);  // fan 4: 4096 counts when the pin is a tachometer
    regs.Set(0x30, 0x66);
    regs.Set(0x31, 0x80);
    std::unique_ptr<CHardwareMonitor> m(BuildMonitor(0x41, c.chip, -1, -1, 0x2E));
    m->SetAccess(&regs, new CSMBusRequest(0, 0x2E));
    ASSERT_TRUE(m->CreateSensors());
    EXPECT_EQ(m->voltageSensors[0] != nullptr, c.in0);
    ASSERT_NE(m->voltageSensors[1], nullptr);
    EXPECT_NEAR(m->voltageSensors[1]->value, c.vccp, 5e-4);
    ASSERT_NE(m->voltageSensors[2], nullptr);
    EXPECT_NEAR(m->voltageSensors[2]->value, (0x55 << 2) * 139 * 2250.0 / (71 * 1024) / 1000, 5e-4);
    EXPECT_EQ(m->voltageSensors[3] != nullptr, c.in3);
    EXPECT_EQ(m->voltageSensors[4] != nullptr, c.in4);
    for (int j = 0; j < 3; ++j) {
      if (std::isnan(c.celsius[j])) {
        EXPECT_EQ(m->temperatureSensors[j], nullptr) << j;
        continue;
      }
      ASSERT_NE(m->temperatureSensors[j], nullptr) << j;
      EXPECT_NEAR(m->temperatureSensors[j]->value, c.celsius[j], 1e-6) << j;
    }
    ASSERT_NE(m->fanSensors[0], nullptr);
    EXPECT_NEAR(m->fanSensors[0]->value, 5400000.0 / 2736, 1e-2);
    EXPECT_EQ(m->fanSensors[1], nullptr);
    EXPECT_EQ(m->fanSensors[3] != nullptr, c.fan4);
    ASSERT_NE(m->fanPwmSensors[0], nullptr);
    EXPECT_NEAR(m->fanPwmSensors[0]->value, 0x66 * 100.0 / 255, 1e-4);
    EXPECT_EQ(m->fanPwmSensors[1] != nullptr, c.pwm2);
    EXPECT_TRUE(regs.writes.empty()) << "reading changes no setting";
  }
}

TEST_F(ChipDrivers, Adt7475NamesItsPinsAndZones) {
  space.Set(0x3D, 0x73);
  space.Set(0x21, 0x55);
  space.Set(0x22, 0xC0);
  space.Set(0x25, 100);
  space.Set(0x26, 100);
  std::unique_ptr<CHardwareMonitor> m(BuildMonitor(0x41, 0x73, -1, -1, 0x2E));
  m->SetAccess(&space, new CSMBusRequest(0, 0x2E));
  ASSERT_TRUE(m->CreateSensors());
  std::string names;
  for (uint32_t cls : {SENSOR_VOLTAGE, SENSOR_TEMPERATURE})
    for (CSensor* s : Items(m->GetList(cls))) names += std::string(s->name) + "|";
  EXPECT_EQ(names, "VCCP|VCC|Remote 1|Local|");
  // A remote diode that comes back is not added after the scan; a failing
  // bus keeps the last readings.
  space.Set(0x27, 90);
  space.Set(0x25, 104);
  m->Update();
  EXPECT_EQ(m->temperatureSensors[2], nullptr);
  EXPECT_NEAR(m->temperatureSensors[0]->value, 40.0, 1e-6);
  space.failAll = true;
  m->Update();
  EXPECT_NEAR(m->temperatureSensors[0]->value, 40.0, 1e-6);
}

TEST_F(ChipDrivers, Ite87FanModesAndSixteenBitCounts) {
  space.Set(0x0C, 0x07);  // 16-bit counters for fans 1-3
  space.Set(0x0D, 0x50);
  space.Set(0x18, 0x01);  // count 0x150 -> 1350000 / (336 * 2)
  space.Set(0x20, 100);   // 1.6 V at 16 mV
  space.Set(0x29, 38);
  space.Set(0x2A, 0x80);  // open
  space.Set(0x15, 0x81);  // automatic, temperature input 1
  space.Set(0x16, 0x40);  // manual, 64/128
  ITE_IT87_HardwareMonitor m(0x8718);
  m.SetAccess(&space, new CLPCRequest());
  m.CreateSensors();
  EXPECT_STREQ(m.name, "ITE IT87");
  EXPECT_NEAR(m.voltageSensors[0]->value, 1.6, 1e-5);
  EXPECT_EQ(m.temperatureSensors[1], nullptr);
  EXPECT_NEAR(m.fanSensors[0]->value, 1350000.0 / (0x150 * 2), 1e-2);
  EXPECT_NEAR(m.fanPwmSensors[1]->value, 50.0, 1e-4);
  int mode = 0;
  ASSERT_EQ(m.GetFanMode(0, SENSOR_FAN_PWM, &mode), 1);
  EXPECT_EQ(mode, FANMODE_AUTOMATIC);
  ASSERT_EQ(m.GetFanMode(1, SENSOR_FAN_PWM, &mode), 1);
  EXPECT_EQ(mode, FANMODE_MANUAL);
  space.writes.clear();
  m.SetFanMode(0, SENSOR_FAN_PWM, FANMODE_MANUAL);
  m.SetFanMode(0, SENSOR_FAN_PWM, FANMODE_AUTOMATIC);
  ASSERT_EQ(space.writes.size(), 2u);
  EXPECT_EQ(space.writes[0].second, 0x7F);
  EXPECT_EQ(space.writes[1].second, 0x81);  // the stored temperature input
  EXPECT_NEAR(ITE_IT87_HardwareMonitor::VoltStep(0x8728), 0.012, 1e-7);
}

TEST_F(ChipDrivers, EveryFamilyRowBuildsItsChipWithTheRowsNameAndTables) {
  int drivers = 0;
  for (const ChipFamily* f = kChipFamilies; f->vendor != kChipFamilyEnd; ++f) {
    uint32_t code = f->lowId << f->shift;
    if (f->superIoIds) code |= f->superIoIds[0];
    SCOPED_TRACE(testing::Message() << f->name << " " << std::hex << code);
    ASSERT_EQ(FindChipFamily(f->vendor, code), f) << "an earlier row takes this chip";
    std::unique_ptr<CHardwareMonitor> m(BuildMonitor(f->vendor, code, -1, -1, -1));
    EXPECT_STREQ(m->name, f->name);
    EXPECT_EQ(m->voltageTable, f->voltageTable);
    EXPECT_EQ(m->tableFamily, f->tableFamily);
    drivers += f->create != nullptr;
  }
  EXPECT_EQ(drivers, 28);
}

TEST_F(ChipDrivers, Ite87ChipGenerationsReadAsTheKernelDoes) {
  // Fan 1 counts 0x0298 with 0x0C bits 0-2 clear and divisor 2 in 0x0B:
  // the newer chips' counters are 16 bits whatever 0x0C says (1016 rpm),
  // the older ones count 8 bits (0x98 x 2 = 4441 rpm). 3VSB (VIN7) and VBAT
  // (VIN8) reach the newer chips' ADC halved. PWM 1 is automatic: only the
  // newer chips report its duty (0x63).
  space.Set(0x0B, 0x01);
  space.Set(0x0C, 0x00);
  space.Set(0x0D, 0x98);
  space.Set(0x18, 0x02);
  space.Set(0x27, 137);  // 3VSB pin
  space.Set(0x28, 127);  // VBAT pin
  space.Set(0x15, 0x80);
  space.Set(0x63, 0x66);
  struct Case {
    int chip;
    double fanRpm, vsb, vbat, duty;
  } cases[] = {
      {0x8718, 1350000.0 / (0x98 * 2), 137 * 0.016, 127 * 0.016, -1},
      {0x8728, 1350000.0 / (0x298 * 2), 137 * 0.024, 127 * 0.024, 0x66 * 100.0 / 255},
      {0x8772, 1350000.0 / (0x298 * 2), 137 * 0.024, 127 * 0.024, 0x66 * 100.0 / 255},
      {0x8721, 1350000.0 / (0x298 * 2), 137 * 0.024, 127 * 0.024, 0x66 * 100.0 / 255},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.chip);
    ITE_IT87_HardwareMonitor m(c.chip);
    m.SetAccess(&space, new CLPCRequest());
    m.CreateSensors();
    ASSERT_TRUE(m.fanSensors[0]);
    EXPECT_NEAR(m.fanSensors[0]->value, c.fanRpm, 0.5);
    EXPECT_NEAR(m.voltageSensors[7]->input, c.vsb, 1e-5);
    EXPECT_NEAR(m.voltageSensors[8]->input, c.vbat, 1e-5);
    EXPECT_NEAR(m.fanPwmSensors[0]->value, c.duty, 1e-4);
    int mode = 0;
    ASSERT_EQ(m.GetFanMode(0, SENSOR_FAN_PWM, &mode), 1);
    EXPECT_EQ(mode, FANMODE_AUTOMATIC);
  }
  // The default table names the newer chips' VIN7 3VSB, taken as it is.
  ITE_IT87_HardwareMonitor newer(0x8728);
  newer.SetAccess(&space, new CLPCRequest());
  newer.CreateSensors();
  EXPECT_STREQ(newer.voltageSensors[7]->name, "3VSB");
  EXPECT_NEAR(newer.voltageSensors[7]->value, 137 * 0.024, 1e-5);
}

TEST_F(ChipDrivers, W83627DhgReadsBankedTemperaturesAndDividedFans) {
  space.banked = true;
  space.Set(0x20, 150);             // 1.2 V at 8 mV
  space.Set(0x27, 36);              // SYSTIN
  space.SetBanked(0x150, 50);       // CPUTIN 50.5
  space.SetBanked(0x151, 0x80);
  space.SetBanked(0x250, 0xFF);     // AUXTIN open
  space.SetBanked(0x251, 0x80);
  space.Set(0x28, 0x5A);            // fan 1, divisor 4 (0x47 bits 5:4 = 2)
  space.Set(0x47, 0x20);
  Winbond_W83627DHG_HardwareMonitor m(0x00C1A020);
  m.SetAccess(&space, new CLPCRequest());
  m.CreateSensors();
  EXPECT_STREQ(m.name, "Winbond W83627DHG");
  EXPECT_NEAR(m.voltageSensors[0]->value, 1.2, 1e-5);
  EXPECT_EQ(m.temperatureSensors[0]->value, 36.0f);
  EXPECT_NEAR(m.temperatureSensors[1]->value, 50.5, 1e-5);
  EXPECT_EQ(m.temperatureSensors[2], nullptr);
  EXPECT_EQ(m.fanSensors[0]->value, static_cast<float>(1350000 / (0x5A * 4)));
  EXPECT_EQ(space.banks[0][0x4E], 0);  // bank 0 restored
  // A refresh selects each bank it needs once (CPUTIN bank 1, back to 0 for
  // the fans, bank 5 for the fifth fan, 0 for its divisor), not before and
  // after every banked register, and ends in bank 0.
  space.writes.clear();
  m.Update();
  std::vector<int> banks;
  for (const auto& w : space.writes)
    if (w.first == 0x4E) banks.push_back(w.second);
  EXPECT_EQ(banks, (std::vector<int>{1, 0, 5, 0}));
  EXPECT_EQ(space.banks[0][0x4E], 0);
}

TEST_F(ChipDrivers, W83627DhgNineBitTemperaturesJudgeOpenInputsByTheWholeDegrees) {
  // 64.0 and 127.5 degrees put 0x080 and 0x0FF in the nine-bit reading; only
  // a whole-degree byte of -128 (0x80) or all ones marks an open input.
  space.banked = true;
  space.Set(0x27, 30);
  space.SetBanked(0x150, 0x40);  // CPUTIN 64.0
  space.SetBanked(0x151, 0x00);
  space.SetBanked(0x250, 0x7F);  // AUXTIN 127.5
  space.SetBanked(0x251, 0x80);
  Winbond_W83627DHG_HardwareMonitor hot(0x00C1A020);
  hot.SetAccess(&space, new CLPCRequest());
  hot.CreateSensors();
  ASSERT_NE(hot.temperatureSensors[1], nullptr);
  EXPECT_EQ(hot.temperatureSensors[1]->value, 64.0f);
  ASSERT_NE(hot.temperatureSensors[2], nullptr);
  EXPECT_EQ(hot.temperatureSensors[2]->value, 127.5f);

  space.SetBanked(0x150, 0x80);  // open diode, any half degree
  space.SetBanked(0x151, 0x80);
  Winbond_W83627DHG_HardwareMonitor open(0x00C1A020);
  open.SetAccess(&space, new CLPCRequest());
  open.CreateSensors();
  EXPECT_EQ(open.temperatureSensors[1], nullptr);
}

TEST_F(ChipDrivers, FactoryNamesEveryFamilyAndKeepsUnknownChipsById) {
  struct Case {
    uint32_t vendor, chip;
    const char* name;
  } cases[] = {
      {0x1934, 0x1007, "Fintek F718xx"},       {0x1934, 0x0909, "Fintek F71889ED"},
      {0x1934, 0x1001, "Fintek F71808"},       {0x1934, 0x0704, "Fintek F81865"},
      {0x50, 0xC3, "Nuvoton NCT7802"},         {0x90, 0x8721, "ITE IT8721"},
      {0x90, 0x128771, "ITE IT8772"},          {0x5CA3, 0x00C100B4, "Nuvoton NCT6776"},
      {0x5CA3, 0x00C100A5, "Winbond W83667HG"},
      {0x5CA3, 0x00C100C3, "Nuvoton NCT6776"},   {0x5CA3, 0x00C100A0, "Winbond W83627DHG"},
      {0x5CA3, 0x00C10000, "Winbond W83627DHG"}, {0x5CA3, 0x00790000, "Nuvoton W83795G"},
      {0x5CA3, 0x00900000, "Winbond W83627THF"}, {0x55, 0x8C, "SMSC DME1737"},
      {0x4D, 22, "Maxim MAX6648"},             {0xFF02, 0x87, "NS LM87"},
      {0x41, 0x6F, "Analog Device ADT7490"},   {0x12C3, 0x400000, "Asus IROG 02"},
      {0x61, 0x6D, "Andigilog aSC7621"},       {0x1106, 0x1211, "VIA VT1211"},
      {0x90, 0x338718, "Hardware monitor ID=0x908718"},  // ITE bits 16-23 neither 0 nor 0x12
      {0x77, 0x05, "Hardware monitor ID=0x770005"},
  };
  for (const auto& c : cases) {
    CHardwareMonitor* m = BuildMonitor(c.vendor, c.chip, -1, -1, -1);
    EXPECT_STREQ(m->name, c.name) << std::hex << c.vendor << ":" << c.chip;
    delete m;
  }
}

}  // namespace
