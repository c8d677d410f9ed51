// The controller drivers at register level, each on a register slave behind
// the emulated ICH10R host: the codes a row setting writes, what reads back,
// the range checks that refuse a setting before anything is written, and
// transactions that fail.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "sdk/monitor/CHardwareMonitorInterface.h"
#include "sdk/voltage/BoardRailTables.h"
#include "sdk/voltage/CBoardControl.h"
#include "sdk/voltage/CHIL_CHL8328_MicroController.h"
#include "sdk/voltage/Dallas_DS4402_DAC_MicroController.h"
#include "sdk/voltage/Fintek_F72262_MicroController.h"
#include "sdk/voltage/ISL90727_MicroController.h"
#include "sdk/voltage/RailSettings.h"
#include "sdk/voltage/VT1186M_MicroController.h"
#include "sdk/voltage/uP6208_Buck_MicroController.h"
#include "sdk/voltage/uP6228_VR_MicroController.h"
#include "sdk/voltage/uP6262_DAC_MicroController.h"
#include "tests/sdk/smbus/IchBench.h"

namespace {

using Image = std::array<uint8_t, 256>;

class ControllerBench : public smbustest::IchBench {
 public:
  ControllerBench() {
    EXPECT_TRUE(Start());
    monitors = std::make_unique<CHardwareMonitorInterface>(0, 0, -1);
    control = std::make_unique<CBoardControl>(*monitors, 0);
  }
  // A controller of class T on the slave with `table`, outputs read.
  template <typename T>
  T* Add(_stMicroControllerOutputDesc* table) {
    auto* c = new T(Host(), nullptr, 0, smbustest::kSlave);
    c->descriptions = table;
    control->controllers->Append(c);
    c->CreateOutputs();
    return c;
  }
  void Preset(std::initializer_list<std::pair<uint8_t, uint8_t>> regs) {
    for (auto [r, v] : regs) slave->Set(r, v);
  }
  Image Registers() const {
    Image i{};
    for (int r = 0; r < 256; ++r) i[r] = slave->Get(static_cast<uint8_t>(r));
    return i;
  }
  // Writes row r of the last controller; the controller's result.
  int Write(int r, int value, int flags, std::string* refusal = nullptr) {
    std::string ignored;
    return control->WriteRow(control->ControllerCount() - 1, r, value, flags, refusal ? refusal : &ignored);
  }
  RailReading Read(int r) {
    control->Refresh();
    RailReading out;
    EXPECT_TRUE(control->ReadRow(control->ControllerCount() - 1, r, &out));
    return out;
  }

  std::unique_ptr<CHardwareMonitorInterface> monitors;
  std::unique_ptr<CBoardControl> control;
};

TEST(VoltageControllers, Ds4402DimmRowWritesSignAndCode) {
  ControllerBench b;
  b.Add<Dallas_DS4402_DAC_MicroController>(railtables::T6);
  const _stMicroControllerOutputDesc& row = railtables::T6[0];
  struct Case {
    double volts;
    uint8_t reg;
    int code, direction;
  } cases[] = {{1.725, 0x09, 9, 0}, {1.225, 0x8B, 11, 1}, {1.5, 0x00, 0, 0}};
  for (const Case& c : cases) {
    int value = 0, flags = 0;
    rails::SettingOf(row, rails::EntryForVolts(row, c.volts), &value, &flags);
    EXPECT_TRUE(b.Write(0, value, flags)) << c.volts;
    EXPECT_EQ(b.slave->Get(0xF8), c.reg) << c.volts;
    RailReading r = b.Read(0);
    EXPECT_EQ(r.code, c.code) << c.volts;
    EXPECT_EQ(r.direction, c.direction) << c.volts;
  }
}

// uP6262 rows of one controller: ordinary rows on OUT0..2 and combined rows
// over all three (0x177) and over OUT0/OUT1 only (0x113).
_stMicroControllerOutputDesc kDacRows[] = {
    {"VDIMM", 0x177, ROW_CODE, 128, 63, 0.01f, 0.05f, 1.5f},
    {"DRAM Voltage 1.5V", 0x113, ROW_CODE, 128, 5, 0.01f, 0.05f, 1.5f},
    {"VCORE BOOST #1", 0x100, ROW_CODE, 64, 63, 0.01f, 0.05f, -1.0f},
    {"VCORE boost #1", 0x101, ROW_CODE, 32, 0, 0.01f, 0.01f, -1.0f},
    {"VTT", 0x102, ROW_CODE, 64, 63, 0.025f, 0.125f, 1.2f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0, 0, 0},
};

TEST(VoltageControllers, CombinedRowsSpreadOverTheirOwnRegistersOnly) {
  ControllerBench b;
  b.Preset({{0x03, 0x15}});
  b.Add<uP6262_DAC_MicroController>(kDacRows);
  // Over all three outputs: 63 + 37 + 0, summed back to 100.
  ASSERT_TRUE(b.Write(0, 100, 0));
  EXPECT_EQ(b.slave->Get(0x01), 0x3F);
  EXPECT_EQ(b.slave->Get(0x02), 37);
  EXPECT_EQ(b.slave->Get(0x03), 0);
  EXPECT_EQ(b.Read(0).code, 100);
  // OUT0/OUT1 only: the rail on OUT2 keeps its code.
  b.slave->Set(0x03, 0x15);
  ASSERT_TRUE(b.Write(1, 70, 0));
  EXPECT_EQ(b.slave->Get(0x01), 0x3F);
  EXPECT_EQ(b.slave->Get(0x02), 7);
  EXPECT_EQ(b.slave->Get(0x03), 0x15);
  // Below the base every register that carries part of the setting says so.
  ASSERT_TRUE(b.Write(1, 5, kSettingBelowBase));
  EXPECT_EQ(b.slave->Get(0x01), 0x45);
  RailReading r = b.Read(1);
  EXPECT_EQ(r.code, 5);
  EXPECT_EQ(r.direction, 1);
  // 127 does not fit two 63-code registers: refused, nothing written.
  const Image before = b.Registers();
  std::string why;
  EXPECT_EQ(b.Write(1, 127, 0, &why), 0);
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(b.Registers(), before);
}

TEST(VoltageControllers, BoostFlagFollowsTheExactUpperCaseLabel) {
  ControllerBench b;
  b.Add<uP6262_DAC_MicroController>(kDacRows);
  ASSERT_TRUE(b.Write(2, 3, 0));
  EXPECT_EQ(b.slave->Get(0x01), 0x80 | 3);
  ASSERT_TRUE(b.Write(3, 3, 0));
  EXPECT_EQ(b.slave->Get(0x02), 3);
  // The flag cannot be forced onto another row either.
  ASSERT_TRUE(b.Write(4, 2, kSettingBoost));
  EXPECT_EQ(b.slave->Get(0x03), 2);
}

TEST(VoltageControllers, Chl8328SplitsLargeCodesOverItsRegisterPair) {
  _stMicroControllerOutputDesc rows[] = {
      {"CPU VCORE", 0x100, ROW_CODE, 511, 0, 0.005f, 0.005f, 0.245f},
      {"VAXG", 0x101, ROW_CODE, 255, 0, 0.005f, 0.005f, 0.245f},
      {nullptr, rowid::kEnd, 0, 0, 0, 0, 0, 0},
  };
  ControllerBench b;
  b.Preset({{0xD0, 0x40}, {0xD2, 0x00}, {0xD1, 0x10}, {0x5D, 0x20}});
  b.Add<CHIL_CHL8328_MicroController>(rows);
  EXPECT_EQ(b.Read(0).code, 0x10);
  EXPECT_EQ(b.Read(1).code, 0x20);
  ASSERT_TRUE(b.Write(0, 300, 0));
  EXPECT_EQ(b.slave->Get(0xD1), 0xFF);
  EXPECT_EQ(b.slave->Get(0xB3), 45);
  EXPECT_EQ(b.Read(0).code, 300);
  // Loop 2 switches its own select register, never loop 1's.
  b.slave->Set(0xD0, 0x00);
  ASSERT_TRUE(b.Write(1, 200, 0));
  EXPECT_EQ(b.slave->Get(0x5D), 200);
  EXPECT_EQ(b.slave->Get(0xD2), 0x40);
  EXPECT_EQ(b.slave->Get(0xD0), 0x00);
}

TEST(VoltageControllers, Up6228ZeroReturnsToVidAndHighCodesAreShifted) {
  ControllerBench b;
  b.Preset({{0x18, 0x77}, {0x27, 0x47}});
  b.Add<uP6228_VR_MicroController>(railtables::T10);
  // Value 0 through SetOutput (the row's range has no code 0 to offer).
  CMicroController* c = b.control->GetController(0);
  ASSERT_TRUE(c->SetOutput(0x100, 0, 0));
  EXPECT_EQ(b.slave->Get(0x27), 0x07);
  EXPECT_EQ(b.slave->Get(0x18), 0x77);
  ASSERT_TRUE(c->SetOutput(0x100, 253, 0));
  EXPECT_EQ(b.slave->Get(0x18), 153);
  EXPECT_EQ(b.slave->Get(0x27), 0x47);
  ASSERT_TRUE(b.Write(0, 191, 0));
  EXPECT_EQ(b.slave->Get(0x18), 191);
}

TEST(VoltageControllers, Isl90727WiperAroundItsCentre) {
  ControllerBench b;
  b.Preset({{0x00, 64}});
  b.Add<ISL90727_MicroController>(railtables::T50);
  ASSERT_TRUE(b.Write(0, 10, kSettingBelowBase));
  EXPECT_EQ(b.slave->Get(0x00), 54);
  ASSERT_TRUE(b.Write(0, 10, 0));
  EXPECT_EQ(b.slave->Get(0x00), 74);
  RailReading r = b.Read(0);
  EXPECT_EQ(r.code, 10);
  EXPECT_EQ(r.direction, 0);
}

TEST(VoltageControllers, Vt1186mVcoreBelowItsBase) {
  ControllerBench b;
  b.Preset({{0x1C, 40}});
  b.Add<VT1186M_MicroController>(railtables::T4);
  const _stMicroControllerOutputDesc& row = railtables::T4[0];
  int value = 0, flags = 0;
  rails::SettingOf(row, rails::EntryForVolts(row, 1.2), &value, &flags);
  EXPECT_EQ(value, 66);
  EXPECT_EQ(flags, kSettingBelowBase);
  ASSERT_TRUE(b.Write(0, value, flags));
  EXPECT_EQ(b.slave->Get(0x18), 66);
  EXPECT_EQ(b.slave->Get(0x1D), 0x55);
  EXPECT_EQ(b.slave->Get(0x19) & 0x10, 0x10);
  // Nothing lies above the base of this row.
  std::string why;
  EXPECT_EQ(b.Write(0, 1, 0, &why), 0);
  EXPECT_FALSE(why.empty());
}

TEST(VoltageControllers, OutOfRangeSettingsAreRefusedBeforeAnyWrite) {
  struct Case {
    int row, value, flags;
  } cases[] = {{4, 64, 0}, {4, 64, kSettingBelowBase}, {3, 1, kSettingBelowBase}, {4, -1, 0}, {9, 1, 0},
               // Within the row's step count, but at or below zero volts.
               {4, 10, kSettingBelowBase}, {0, 30, kSettingBelowBase}};
  for (const Case& c : cases) {
    ControllerBench b;
    b.Add<uP6262_DAC_MicroController>(kDacRows);
    const Image before = b.Registers();
    std::string why;
    EXPECT_EQ(b.Write(c.row, c.value, c.flags, &why), 0) << c.row << " " << c.value;
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(b.Registers(), before);
  }
}

TEST(VoltageControllers, FailedTransactionsWriteNothingAfterAndKeepTheCode) {
  ControllerBench b;
  b.Preset({{0xD0, 0x40}, {0xD1, 0x10}, {0x18, 0x20}});
  b.Add<CHIL_CHL8328_MicroController>(railtables::T31);
  // The select register cannot be read: no write follows.
  const Image before = b.Registers();
  b.Fault("select", 1, smbustest::kSlave, true, false);
  EXPECT_EQ(b.Write(0, 50, 0), 0);
  EXPECT_EQ(b.Registers(), before);
  // A failed re-read leaves the last code.
  b.Fault("update", 1, smbustest::kSlave, true, false);
  EXPECT_EQ(b.Read(0).code, 0x10);
}

TEST(VoltageControllers, ChannelsThatDoNotAnswerGetNoOutputAndNoSetting) {
  ControllerBench b;
  b.Fault("absent", 3);
  auto* c = b.Add<Fintek_F72262_MicroController>(railtables::T33);
  EXPECT_EQ(c->outputs->count, 0);
  EXPECT_EQ(b.Read(0).code, -1);
  std::string why;
  EXPECT_EQ(b.Write(0, 1, 0, &why), 0);
  EXPECT_FALSE(why.empty());
}

}  // namespace

namespace {

TEST(VoltageControllers, FixedControllersNeedTheirHost) {
  // The bench's host sits at 0x500: the board whose regulator hangs off a
  // host at 0x400 gets no controller; one on 0x500 does, with its board id.
  struct Case {
    uint32_t board;
    int count;
  } cases[] = {{0x549C53D2, 0}, {0x8A2BB490, 1}, {0x12345678, 0}};
  for (const Case& c : cases) {
    ControllerBench b;
    CBoardControl control(*b.monitors, static_cast<int32_t>(c.board));
    EXPECT_EQ(control.CreateControllers(), c.count) << std::hex << c.board;
    if (c.count) {
      EXPECT_STREQ(control.GetController(0)->ClassName(), "VT1186M_MicroController");
      EXPECT_EQ(control.GetController(0)->boardId, static_cast<int32_t>(c.board));
      EXPECT_EQ(control.GetController(0)->descriptions, railtables::T4);
    }
  }
}

TEST(VoltageControllers, Up6208TakesItsBaseFromTheVidItReports) {
  _stMicroControllerOutputDesc rows[] = {
      {"VCORE", 0x100, ROW_CODE, 128, 0, 0.00625f, 0.00625f, 1.0f},
      {nullptr, rowid::kEnd, 0, 0, 0, 0, 0, 0},
  };
  ControllerBench b;
  b.Preset({{0x0B, 0x20}, {0x04, 0x85}});
  b.Add<uP6208_Buck_MicroController>(rows);
  // Latched once; without a processor voltage model the rail has no base.
  EXPECT_EQ(b.slave->Get(0x0D), 0x80);
  EXPECT_EQ(rows[0].base, -1.0f);
  EXPECT_EQ(b.Read(0).code, 5);
  ASSERT_TRUE(b.Write(0, 12, 0));
  EXPECT_EQ(b.slave->Get(0x04), 0x80 | 12);
}

}  // namespace
