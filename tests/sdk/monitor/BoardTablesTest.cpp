// Board label tables through the factory: rows, order, kinds and scaling per
// vendor group; NCT7802 by board and address; the register-0x0A switch;
// other makers' boards (null table, checksum as second key).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeRegisterSpace.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/monitor/BoardTables.h"
#include "sdk/monitor/CHardwareMonitor.h"
#include "sdk/monitor/MonitorFactory.h"

namespace {

class BoardTables : public ::testing::Test {
 protected:
  BoardTables() {
    for (int i = 0; i < 9; ++i) space.Set(static_cast<uint8_t>(0x20 + i), 100);
    for (int j = 0; j < 3; ++j) space.Set(static_cast<uint8_t>(0x72 + 2 * j), 40);
    for (int k = 0; k < 4; ++k) space.Set(static_cast<uint8_t>(0xA1 + 0x10 * k), 200);
    for (uint8_t r : {0x09, 0x0A, 0x0C, 0x0D, 0x0E, 0x10, 0x11, 0x12}) nct.Set(r, 0x60);
    nct.Set(0x22, 0x7F);  // VSEN1-3 in voltage mode
  }
  void TearDown() override {
    for (auto* m : monitors) delete m;
    QUARNSDK::ReleaseInstance();
  }
  CHardwareMonitor* Build(uint32_t vendor, uint32_t chip, int32_t board, int address = -1, int32_t sum = -1) {
    CHardwareMonitor* m = BuildMonitor(vendor, chip, board, sum, address);
    if (address >= 0) m->SetAccess(&nct, new CSMBusRequest(0, static_cast<uint8_t>(address)));
    else m->SetAccess(&space, new CLPCRequest());
    m->CreateSensors();
    m->Update();
    monitors.push_back(m);
    return m;
  }
  static std::string Rows(CHardwareMonitor* m, uint32_t cls) {
    std::string out;
    for (CSensor* s : Items(m->GetList(cls))) out += std::string(s->name) + "|";
    return out;
  }
  FakeRegisterSpace space, nct;
  std::vector<CHardwareMonitor*> monitors;
};

TEST_F(BoardTables, VendorGroupsShowTheirRowsInOrder) {
  struct Case {
    const char* group;
    int32_t board;
    const char* voltages;
    const char* temperatures;
    const char* fans;
  } cases[] = {
      {"NB", static_cast<int32_t>(0x938A7FD8), "+3.3V|CPU VCORE|DRAM|CPU VTT|NB CORE|+5V|+12V|VSB3V|VBAT|",
       "NB|VREG|System|", "CPU|JPPWR|JCHA|NB|"},
      {"PCH-VTT", static_cast<int32_t>(0x9F899DA0), "+3.3V|CPU VCORE|DRAM|CPU VTT|PCH|+5V|+12V|VSB3V|VBAT|",
       "CPU|VREG|System|", "CPU|JPPWR|JCHA|PCH|"},
      {"PCH-VCCIO", 0x031CC94C, "+3.3V|CPU VCORE|DRAM|VCCIO|PCH|+5V|+12V|VSB3V|VBAT|", "CPU|VREG|System|",
       "CPU|JPPWR|JCHA|PCH|"},
      {"VSA", 0x0AAB5410, "+3.3V|CPU VCORE|DRAM|VCC|PCH|VCCIO|+12V|VSB3V|VBAT|", "CPU|VREG|System|", "CPU|"},
      {"IOH", 0x27F0AF90, "+3.3V|CPU VCORE|+5V|+12V|VSB3V|VBAT|", "CPU|IOH|System|", "CPU|FANIN1|FANIN2|FANIN3|"},
      {"DP", 0x4FC5613E, "CPU0 VCORE|CPU0 VTT|CPU0 DRAM|IOH VCore|+5V|+12V|", "CPU0 Socket|CPU0 PWM|System|",
       "JCPU|JSYS|JPWR|FANIN3|"},
      {"unlisted", 0x12345678, "+3.3V|CPU VCORE|VIN2|VIN3|+5V|+12V|VIN6|VSB3V|VBAT|", "TMPIN0|TMPIN1|TMPIN2|",
       "FANIN0|FANIN1|FANIN2|FANIN3|"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.group);
    CHardwareMonitor* m = Build(0x1934, 0x0541, c.board);
    EXPECT_EQ(Rows(m, SENSOR_VOLTAGE), c.voltages);
    EXPECT_EQ(Rows(m, SENSOR_TEMPERATURE), c.temperatures);
    EXPECT_EQ(Rows(m, SENSOR_FAN), c.fans);
  }
}

TEST_F(BoardTables, ScalingAndKindsOfVendorRows) {
  space.Set(0x27, 207);  // 1.656 V
  space.Set(0x21, 100);  // 0.8 V
  CHardwareMonitor* vsa = Build(0x1934, 0x0541, 0x0AAB5410);
  EXPECT_NEAR(vsa->FindSensor(0x107)->value, 3.328, 1e-5);  // VSB3V = 2 x pin + 0.016
  CHardwareMonitor* vccio = Build(0x1934, 0x0541, 0x031CC94C);
  EXPECT_NEAR(vccio->FindSensor(0x101)->value, 1.176, 1e-5);  // 0.8 x 147 / 100
  EXPECT_EQ(vccio->FindSensor(0x101)->id, 0x01000101u);
  // DP: processor 0 on the first chip, processor 1 (key 0x41000101) on the second.
  CHardwareMonitor* first = Build(0x1934, 0x0541, 0x031CDB24);
  CHardwareMonitor* second = Build(0x1934, 0x0901, 0x031CDB24);
  CSensor* cpu0 = first->GetSensor(SENSOR_VOLTAGE, 0);
  CSensor* cpu1 = second->GetSensor(SENSOR_VOLTAGE, 0);
  EXPECT_STREQ(cpu0->name, "CPU0 VCORE");
  EXPECT_EQ(SensorKind(cpu0->id), VKIND_VCORE);
  EXPECT_EQ(SensorProcessor(cpu0->id), 0u);
  EXPECT_STREQ(cpu1->name, "CPU1 VCORE");
  EXPECT_EQ(cpu1->id, 0x41000101u);
  EXPECT_EQ(SensorProcessor(cpu1->id), 1u);
  EXPECT_EQ(Rows(second, SENSOR_VOLTAGE), "CPU1 VCORE|CPU1 VTT|CPU1 DRAM|IOH PLL|");
  EXPECT_EQ(Rows(second, SENSOR_FAN), "CPU1|JSYS1|JPWR1|");
  // IOH's "CPU" fan carries no processor-fan kind.
  EXPECT_EQ(SensorKind(Build(0x1934, 0x0541, 0x27F0AF90)->GetSensor(SENSOR_FAN, 0)->id), 0u);
}

TEST_F(BoardTables, Register0ASelectsTheNbTemperatureLabel) {
  struct {
    uint8_t reg0a;
    const char* first;
  } cases[] = {{0x00, "NB"}, {0x01, "CPU"}, {0x04, "NB"}, {0x05, "CPU"}, {0x02, "NB"}};
  for (const auto& c : cases) {
    space.Set(0x0A, c.reg0a);
    CHardwareMonitor* m = Build(0x1934, 0x0541, static_cast<int32_t>(0xD17DCDEC));
    EXPECT_STREQ(m->GetSensor(SENSOR_TEMPERATURE, 0)->name, c.first) << "0x0A = " << int(c.reg0a);
  }
  // Other groups never switch.
  space.Set(0x0A, 0x00);
  EXPECT_STREQ(Build(0x1934, 0x0541, static_cast<int32_t>(0x9F899DA0))->GetSensor(SENSOR_TEMPERATURE, 0)->name, "CPU");
}

TEST_F(BoardTables, Nct7802TablesByBoardAndAddress) {
  struct Case {
    int32_t board;
    int address;
    const char* voltages;
    const char* fans;
  } cases[] = {
      {0x031CC94C, 0x2D, "VCCSA|", "FANIN0|FANIN1|FANIN2|"},
      {0x031CC94C, 0x28, "VCCSA|", "FANIN0|FANIN1|FANIN2|"},
      {0x07FCD4D0, 0x28, "Ch0/1 DIMM Ref|Ch2/3 DIMM Ref|", "JCHA|JSYS|JPWR|"},
      {0x0AFCD510, 0x2D, "VCC|CPU PLL|VCCSA|", "JSYS2|JAUX|JSYS1|"},
      {0x0AAB5410, 0x28, "PLL|CPU VSA|", "JCHA|JSYS|JPWR|"},
      {0x0AAB5410, 0x2D, "CPU VAXG|", "JSYS2|JAUX|JSYS1|"},
      {0x27F0AF90, 0x2D, "VCC|VCORE|VIN2|VIN3|VIN4|", "FANIN0|FANIN1|FANIN2|"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.board << " @" << c.address);
    CHardwareMonitor* m = Build(0x50, 0xC3, c.board, c.address);
    EXPECT_EQ(Rows(m, SENSOR_VOLTAGE), c.voltages);
    EXPECT_EQ(Rows(m, SENSOR_FAN), c.fans);
  }
  // 0x0AAB5410 @0x28: "PLL" is channel 3 times 3.
  CHardwareMonitor* vsa = Build(0x50, 0xC3, 0x0AAB5410, 0x28);
  EXPECT_NEAR(vsa->FindSensor(0x103)->value, vsa->FindSensor(0x103)->input * 3, 1e-5);
}

TEST_F(BoardTables, OtherMakersNullTablesAndChecksumKey) {
  // A null table entry shows the chip's own channel names.
  const BoardLabelEntry* plain = FindBoardTables(TABLES_WINBOND_W83627DHG, 0x0002C4D0, -1, -1);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->voltages, nullptr);
  CHardwareMonitor* m = Build(0x5CA3, 0x00C1A020, 0x0002C4D0);
  EXPECT_EQ(m->voltageTable, nullptr);
  EXPECT_EQ(m->temperatureTable, nullptr);
  // The checksum picks between two tables for one board id; an unknown
  // checksum takes the entry without one.
  const BoardLabelEntry* rev1 = FindBoardTables(TABLES_WINBOND_W83627DHG, 0x23236EA6, 0x42E, -1);
  const BoardLabelEntry* rev2 = FindBoardTables(TABLES_WINBOND_W83627DHG, 0x23236EA6, 0x111, -1);
  ASSERT_TRUE(rev1 && rev2);
  EXPECT_NE(rev1->voltages, rev2->voltages);
  EXPECT_EQ(rev1->checksum, 0x42E);
  EXPECT_EQ(rev2->checksum, -1);
  // A table for one family never applies to another on the same board.
  EXPECT_EQ(FindBoardTables(TABLES_FINTEK_F71882F, 0x23236EA6, 0x42E, -1), nullptr);
  // Lists end where expected and group look-ups agree with the tables.
  EXPECT_STREQ(VendorBoardGroup(0x0AAB5410), "VSA");
  EXPECT_EQ(VendorBoardGroup(0x23236EA6), nullptr);
}

}  // namespace
