// The regulators of the board vendor's cards on the emulated X58 board
// (two identical GTX 480s), the rail codes, and the graphics-card monitor
// chips: the scan that finds them and the VT1165 and CHL8266 decodings.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "emu/EmulatedMachine.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/SdkStartup.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"
#include "sdk/graphics/CI2CRegisterSpace.h"
#include "sdk/graphics/GpuRegulators.h"
#include "sdk/monitor/CHIL_CHL8266_HardwareMonitor.h"
#include "sdk/monitor/CHardwareMonitor.h"
#include "sdk/monitor/CHardwareMonitorInterface.h"
#include "sdk/monitor/Volterra_VT1165_HardwareMonitor.h"
#include "tests/support/EmulatedSdk.h"

namespace {

TEST(GpuRailCodes, VoltsAndCodes) {
  struct Case {
    int rail;
    double volts;
    int code;
    double shown;
  } cases[] = {
      {GPU_RAIL_NVVDD, 1.0, 8, 1.0},          // stored as 108
      {GPU_RAIL_NVVDD, 0.953125, 1, 0.95625},  // a half step rounds up
      {GPU_RAIL_NVVDD, 1.3, 56, 1.3},
      {GPU_RAIL_PEXVDD, 1.151, 3, 1.151},
      {GPU_RAIL_PEXVDD, 1.2, 4, 1.186},
      {GPU_RAIL_FBVDD, 1.755, 16, 1.755},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << kGpuRails[c.rail].name << " " << c.volts);
    EXPECT_EQ(GpuRailCode(c.rail, c.volts), c.code);
    EXPECT_NEAR(GpuRailVolts(c.rail, c.code), c.shown, 1e-9);
  }
}

class VendorCards : public testing::Test {
 protected:
  void SetUp() override {
    uint32_t error = 0;
    ASSERT_TRUE(env.driver.Open("/tmp", &error, true));
    env.Sdk().SetDriver(&env.driver);
    CreateSdkInterfaces(env.Sdk(), env.driver);
    ASSERT_TRUE(env.driver.Acquire(&error, 2000));
    env.acquired = true;
    display = static_cast<CDisplayInterface*>(env.Sdk().FindInterface(INTERFACE_DISPLAY));
    ASSERT_NE(display, nullptr);
    ASSERT_EQ(display->AdapterCount(), 2);
  }
  testsupport::EmulatedSdk env{"brenmor-x58"};
  CDisplayInterface* display = nullptr;
};

TEST_F(VendorCards, RailsReadAndWriteTheirRegulatorOnly) {
  CDisplayAdapter* first = display->FindAdapterByLocation(3, 0, 0);
  CDisplayAdapter* second = display->FindAdapterByLocation(4, 0, 0);
  ASSERT_TRUE(first && second && first != second);
  ASSERT_TRUE(HasGpuRegulators(first));
  EXPECT_NEAR(ReadGpuRail(first, GPU_RAIL_NVVDD), 1.0, 1e-9);
  EXPECT_NEAR(ReadGpuRail(first, GPU_RAIL_PEXVDD), 1.151, 1e-9);
  EXPECT_NEAR(ReadGpuRail(first, GPU_RAIL_FBVDD), 1.755, 1e-9);

  ASSERT_TRUE(WriteGpuRail(first, GPU_RAIL_NVVDD, 1.05));
  EXPECT_NEAR(ReadGpuRail(first, GPU_RAIL_NVVDD), 1.05, 1e-9);
  // Both core registers take the code; the second card is untouched.
  uint8_t c8 = 0, c9 = 0;
  first->directI2C->SetAccessMode(0);
  EXPECT_EQ(first->directI2C->LockedReadByte(3, 0x30, 0xC8, &c8), 1);
  EXPECT_EQ(first->directI2C->LockedReadByte(3, 0x30, 0xC9, &c9), 1);
  first->directI2C->SetAccessMode(1);
  EXPECT_EQ(c8, 116);
  EXPECT_EQ(c9, 116);
  EXPECT_NEAR(ReadGpuRail(second, GPU_RAIL_NVVDD), 1.0, 1e-9);

  // 1.0 V again is the byte 108 in both registers.
  ASSERT_TRUE(WriteGpuRail(first, GPU_RAIL_NVVDD, 1.0));
  first->directI2C->SetAccessMode(0);
  first->directI2C->LockedReadByte(3, 0x30, 0xC8, &c8);
  first->directI2C->LockedReadByte(3, 0x30, 0xC9, &c9);
  first->directI2C->SetAccessMode(1);
  EXPECT_EQ(c8, 108);
  EXPECT_EQ(c9, 108);
}

TEST_F(VendorCards, SettingsOutsideTheRailAreRefused) {
  CDisplayAdapter* a = display->AdapterAt(0);
  for (double v : {0.9, 1.31, -1.0, std::nan("")}) {
    SCOPED_TRACE(v);
    EXPECT_FALSE(WriteGpuRail(a, GPU_RAIL_NVVDD, v));
  }
  EXPECT_FALSE(WriteGpuRail(a, GPU_RAIL_FBVDD, 1.95));
  EXPECT_NEAR(ReadGpuRail(a, GPU_RAIL_NVVDD), 1.0, 1e-9);
  EXPECT_NEAR(ReadGpuRail(a, GPU_RAIL_FBVDD), 1.755, 1e-9);
  EXPECT_FALSE(WriteGpuRail(a, GPU_RAIL_COUNT, 1.0));
}

// The scan finds each card's fan and thermal controller on its bus and
// hangs it under that card.
TEST_F(VendorCards, MonitorScanFindsTheThermalChipOfEachCard) {
  auto* monitors =
      static_cast<CHardwareMonitorInterface*>(env.Sdk().FindInterface(INTERFACE_HARDWARE_MONITOR));
  ASSERT_NE(monitors, nullptr);
  std::vector<CHardwareMonitor*> onCards;
  for (CHardwareMonitor* m : Items(monitors->Monitors()))
    if (m->monitorId == 0x00410073) onCards.push_back(m);
  ASSERT_EQ(onCards.size(), 2u);
  EXPECT_EQ(onCards[0]->parent, display->AdapterAt(0));
  EXPECT_EQ(onCards[1]->parent, display->AdapterAt(1));
  auto* r = static_cast<CI2CRequest*>(onCards[0]->request);
  EXPECT_EQ(r->channel, 1);
  EXPECT_EQ(r->slave, 0x2E);
  // Read bit by bit over the card's bus: the GPU diode, the fan and the
  // core rail, which follows a change of the card's own regulator.
  CHardwareMonitor* first = onCards[0];
  EXPECT_NEAR(first->temperatureSensors[0]->value, 58.25, 1e-6);
  EXPECT_NEAR(first->fanSensors[0]->value, 1900, 1);
  EXPECT_NEAR(first->voltageSensors[1]->value, 1.0, 0.003);
  ASSERT_TRUE(WriteGpuRail(display->AdapterAt(0), GPU_RAIL_NVVDD, 1.1));
  first->Update();
  EXPECT_NEAR(first->voltageSensors[1]->value, 1.1, 0.003);
  EXPECT_NEAR(onCards[1]->voltageSensors[1]->value, 1.0, 0.003);
  // The scan leaves the extended CRT registers locked again (CR1F = 0x99).
  uint8_t index = 0, data = 0;
  ASSERT_TRUE(env.machine->RawPhysicalRead(0xF06013D4, &index, 1));
  ASSERT_TRUE(env.machine->RawPhysicalRead(0xF06013D5, &data, 1));
  EXPECT_EQ(index, 0x1F);
  EXPECT_EQ(data, 0x99);
}

TEST(GpuRegulators, OtherCardsHaveNone) {
  testsupport::EmulatedSdk env("brenmor-p55");
  ASSERT_TRUE(env.Start());
  ASSERT_TRUE(env.Sdk().CreatePCIInterface());
  env.Sdk().pciInterface->ScanBus();
  ASSERT_TRUE(env.Sdk().CreateDisplayInterface(0xFFFF));
  auto* display = static_cast<CDisplayInterface*>(env.Sdk().FindInterface(INTERFACE_DISPLAY));
  CDisplayAdapter* a = display->AdapterAt(0);
  ASSERT_NE(a, nullptr);
  EXPECT_FALSE(HasGpuRegulators(a));
  EXPECT_EQ(ReadGpuRail(a, GPU_RAIL_NVVDD), -1);
  EXPECT_FALSE(WriteGpuRail(a, GPU_RAIL_NVVDD, 1.0));
}

// A register image behind byte and word requests; absent registers fail.
class RegisterImage : public CRegisterSpace {
 public:
  RegisterImage() : CRegisterSpace(REGSPACE_I2C, nullptr) {}
  int Execute(CIORequest* r) override {
    const uint8_t reg = static_cast<uint8_t>(r->reg);
    if (r->op == (IOOP_READ | IOOP_BYTE)) {
      auto it = bytes.find(reg);
      if (it == bytes.end()) return 0;
      r->data = (r->data & 0xFFFFFF00u) | it->second;
      return 1;
    }
    if (r->op == (IOOP_READ | IOOP_WORD)) {
      auto it = words.find(reg);
      if (it == words.end()) return 0;
      r->data = it->second;
      return 1;
    }
    if (r->op == (IOOP_WRITE | IOOP_BYTE)) {
      writes.push_back({reg, static_cast<uint8_t>(r->data)});
      return 1;
    }
    return 0;
  }
  std::map<uint8_t, uint8_t> bytes;
  std::map<uint8_t, uint16_t> words;
  std::vector<std::pair<uint8_t, uint8_t>> writes;
};

TEST(Vt1165, VidTemperatureAndCurrent) {
  struct Case {
    std::map<uint8_t, uint8_t> regs;
    float vid;      // -1: no sensor
    int scale;      // currentScale
    float current;  // -1: no sensor
  } cases[] = {
      {{{0x1C, 0x10}, {0x0A, 45}, {0x04, 0x80}, {0x05, 0x01}, {0x0E, 2}, {0x1E, 62}}, 1.5125f, 68, 34.0f},
      {{{0x1C, 0xD0}, {0x04, 0x00}, {0x05, 0x00}, {0x0E, 1}, {0x1E, 0xFF}}, 1.5125f, 24, 127.0f * 24 / 124},
      // Scale registers unreadable: the table entry for 0xFF and 0xFF, times 0xFF.
      {{{0x1C, 0x00}, {0x1E, 31}}, 1.6125f, 30 * 0xFF, 31.0f * 30 * 0xFF / 124},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "scale " << c.scale);
    RegisterImage image;
    image.bytes = c.regs;
    Volterra_VT1165_HardwareMonitor m;
    m.SetAccess(&image, new CI2CRequest(7, 0x70));
    EXPECT_EQ(m.CreateSensors(), 1);
    ASSERT_NE(m.voltage, nullptr);
    EXPECT_STREQ(m.voltage->name, "VID");
    EXPECT_NEAR(m.voltage->value, c.vid, 1e-5);
    EXPECT_EQ(m.currentScale, c.scale);
    ASSERT_NE(m.current, nullptr);
    EXPECT_NEAR(m.current->value, c.current, 1e-3);
    EXPECT_EQ(m.temperature != nullptr, c.regs.count(0x0A) == 1);
    // The telemetry set-up, in this order.
    EXPECT_EQ(image.writes, (std::vector<std::pair<uint8_t, uint8_t>>{{0x08, 0x00}, {0x07, 0xA7}, {0x08, 0x81}}));
  }
  EXPECT_EQ(Volterra_VT1165_HardwareMonitor::ScaleEntry(0x80, 0x01), 34);
}

TEST(Vt1165, SensorsAppearWhenTheirRegisterFirstReads) {
  RegisterImage image;
  Volterra_VT1165_HardwareMonitor m;
  m.SetAccess(&image, new CI2CRequest(7, 0x70));
  EXPECT_EQ(m.CreateSensors(), 1);
  EXPECT_EQ(m.temperature, nullptr);
  image.bytes[0x0A] = 52;
  EXPECT_EQ(m.Update(), 1);
  ASSERT_NE(m.temperature, nullptr);
  EXPECT_EQ(m.temperature->value, 52.0f);
  EXPECT_EQ(image.writes.size(), 3u);  // Update writes nothing
}

TEST(Chl8266, Linear11Words) {
  struct Case {
    uint16_t word;
    double value;
  } cases[] = {{0xF8C8, 100.0}, {0x00C8, 200.0}, {0xD3FF, 1023.0 / 64}, {0x7801, 32768.0}, {0x0800, 0.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.word);
    EXPECT_DOUBLE_EQ(CHIL_CHL8266_HardwareMonitor::Linear11(c.word), c.value);
  }
}

TEST(Chl8266, SensorsFromPmbusWords) {
  RegisterImage image;
  image.words = {{0x88, 0xD300}, {0x8B, 0xC0CD}, {0x8D, 0x0037}, {0x96, 0x00C8}};
  CHIL_CHL8266_HardwareMonitor m;
  m.SetAccess(&image, new CI2CRequest(0, 0x40));
  EXPECT_EQ(m.CreateSensors(), 1);
  ASSERT_TRUE(m.inputVoltage && m.outputVoltage && m.temperature && m.power);
  EXPECT_EQ(m.current, nullptr);  // its command did not read
  EXPECT_STREQ(m.inputVoltage->name, "+12V GPU");
  EXPECT_NEAR(m.inputVoltage->value, 12.0, 1e-6);  // 768 × 2^-6
  EXPECT_STREQ(m.outputVoltage->name, "VGPU");
  EXPECT_NEAR(m.outputVoltage->value, 0xCD / 256.0, 1e-6);
  EXPECT_EQ(m.temperature->value, 55.0f);
  EXPECT_EQ(m.power->value, 200.0f);
  image.words[0x8C] = 0xF850;  // 80 / 2 = 40 A
  EXPECT_EQ(m.Update(), 1);
  ASSERT_NE(m.current, nullptr);
  EXPECT_EQ(m.current->value, 40.0f);
  EXPECT_EQ(m.current->id & 0xFFFFFF, static_cast<uint32_t>(SENSOR_CURRENT));
}

}  // namespace
