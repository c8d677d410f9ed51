// The ATI display controllers' I2C engines on emulated cards (the R6xx/R7xx
// engine of an HD 4870, the R5xx AVIVO engine of an X1950 PRO, the R4xx
// engines of an X800 XT): reads
// through them, the pad hand-over, refusals, and a card's external thermal
// sensor read through its engine.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "emu/gpu/RadeonHd4870.h"
#include "emu/gpu/RadeonX1950Pro.h"
#include "emu/gpu/RadeonX800.h"
#include "sdk/graphics/ATI_R4XX_I2CRegisterSpace.h"
#include "emu/smbus/SmbusRegisterSlave.h"
#include "sdk/access/CIORequest.h"
#include "sdk/graphics/ATI_DirectIO_DisplayAPI.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"
#include "sdk/graphics/CI2CRegisterSpace.h"
#include "tests/sdk/graphics/GraphicsTestMachine.h"

namespace {

using graphicstest::GraphicsSdk;

class AtiBus : public testing::Test {
 protected:
  void SetUp() override {
    card = emu::AddRadeonHd4870(*env.machine, 1, 0xF0100000, 0xD0000000);
    r5xx = emu::AddRadeonX1950Pro(*env.machine, 2, 0xF0200000, 0xC0000000);
    r4xx = emu::AddRadeonX800(*env.machine, 3, 0xF0300000, 0xB0000000);
    // An LM63-class remote-diode sensor on DDC line 1 of each card: remote
    // temperature in register 1.
    sensor = std::make_shared<emu::SmbusRegisterSlave>();
    sensor->Set(0x01, 71);
    sensor->Set(0xFE, 0x01);
    card->Attach(1, 0x4C, sensor);
    r5xx->Attach(1, 0x4C, sensor);
    r4xx->Attach(1, 0x4C, sensor);
    ASSERT_TRUE(env.Start());
    ASSERT_TRUE(env.Sdk().CreateDisplayInterface(0));
    display = static_cast<CDisplayInterface*>(env.Sdk().FindInterface(INTERFACE_DISPLAY));
    adapter = display->AdapterAt(0);
    ASSERT_NE(adapter, nullptr);
    api = static_cast<ATI_DirectIO_DisplayAPI*>(display->apis->At(0));
    ASSERT_STREQ(api->name, "ATI I/O");
    space = adapter->directI2C;
    ASSERT_NE(space, nullptr);
    ASSERT_EQ(space->engineCode, 0x2600000);
  }

  GraphicsSdk env;
  std::shared_ptr<emu::RadeonDcI2c> card;
  std::shared_ptr<emu::RadeonAvivoI2c> r5xx;
  std::shared_ptr<emu::RadeonR100I2c> r4xx;
  std::shared_ptr<emu::SmbusRegisterSlave> sensor;
  CDisplayInterface* display = nullptr;
  CDisplayAdapter* adapter = nullptr;
  ATI_DirectIO_DisplayAPI* api = nullptr;
  CI2CRegisterSpace* space = nullptr;
};

TEST_F(AtiBus, ReadsThroughTheEngineAndRefusesTheRest) {
  CDisplayAdapter* x1950 = display->FindAdapterByLocation(2, 0, 0);
  ASSERT_NE(x1950, nullptr);
  EXPECT_STREQ(x1950->name, "ATI Radeon X1950 PRO");
  ASSERT_NE(x1950->directI2C, nullptr);
  EXPECT_EQ(x1950->directI2C->engineCode, 0x2500000);
  CDisplayAdapter* x800 = display->FindAdapterByLocation(3, 0, 0);
  ASSERT_NE(x800, nullptr);
  ASSERT_NE(x800->directI2C, nullptr);
  EXPECT_EQ(x800->directI2C->engineCode, 0x2400000);
  struct Engine {
    const char* what;
    CI2CRegisterSpace* space;
    std::function<bool()> idle;  // the engine as the space must leave it
  } engines[] = {
      {"R6xx", space, [&] { return card->Get32(0x7D30) == 0; }},
      {"R5xx", x1950->directI2C, [&] { return (r5xx->Get32(0x7D50) & 0x103) == 0 && (r5xx->Get32(0x7D30) & 7) == 0; }},
      // Port 1 is the DVI engine on DDC1.
      {"R4xx", x800->directI2C, [&] { return (r4xx->Get32(0x2E0) & 0x1007) == 0 && r4xx->Get32(0x2E4) == 0; }},
  };
  struct Case {
    const char* what;
    int port, address;
    uint8_t reg;
    int result, value;
  } cases[] = {
      {"the sensor's remote temperature", 1, 0x4C, 0x01, 1, 71},
      {"its identification register", 1, 0x4C, 0xFE, 1, 0x01},
      {"nobody at 0x4D: not acknowledged", 1, 0x4D, 0x01, 0, 0xFF},
      {"the sensor is not on line 0", 0, 0x4C, 0x01, 0, 0xFF},
      {"nothing on line 3, or no line 3", 3, 0x4C, 0x01, 0, 0xFF},
      {"no ten-bit addresses", 1, 0x14C, 0x01, 0, 0xFF},
  };
  for (const Engine& e : engines) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(e.what) + ": " + c.what);
      uint8_t v = 0;
      EXPECT_EQ(e.space->LockedReadByte(c.port, c.address, c.reg, &v), c.result);
      EXPECT_EQ(v, c.value);
      EXPECT_TRUE(e.idle()) << "every transaction leaves the engine reset and released";
    }
    // Reads only: no write reaches the bus.
    EXPECT_EQ(e.space->LockedWriteByte(1, 0x4C, 0x01, 0x20), 0);
    CI2CRequest write(1, 0x4C);
    write.op = IOOP_WRITE | IOOP_BYTE;
    write.reg = 0x01;
    write.data = 0x20;
    EXPECT_EQ(e.space->Execute(&write), 0);
    EXPECT_EQ(sensor->Get(0x01), 71);
    // A byte request through the space's Execute.
    CI2CRequest read(1, 0x4C);
    read.op = IOOP_READ | IOOP_BYTE;
    read.reg = 0x01;
    read.data = 0xABCDEF00;
    ASSERT_EQ(e.space->Execute(&read), 1);
    EXPECT_EQ(read.data, 0xABCDEF47u);
  }
}

// The R4xx prescaler: the first pair n, n - 1 from 25, 24 on whose product
// exceeds the reference clock / 320.
TEST(AtiR4xxClock, PrescalerPairFromTheReferenceClock) {
  struct Case {
    int referenceKHz, high, low, prescale;
  } cases[] = {{27000, 25, 24, 50}, {250000, 29, 28, 58}, {192320, 26, 25, 52}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.referenceKHz);
    ATI_R4XX_I2CRegisterSpace space(nullptr, c.referenceKHz);
    ASSERT_EQ(space.SetupClock(), 1);
    EXPECT_EQ(space.divHigh, c.high);
    EXPECT_EQ(space.divLow, c.low);
    EXPECT_EQ(space.prescale, c.prescale);
  }
}

// A line whose pads the GPIO block still holds is handed to the engine first.
TEST_F(AtiBus, TheLinesPadsAreHandedToTheEngine) {
  struct Engine {
    emu::GpuRegisterFile* regs;
    CI2CRegisterSpace* space;
  } engines[] = {{card.get(), space}, {r5xx.get(), display->FindAdapterByLocation(2, 0, 0)->directI2C}};
  for (const Engine& e : engines) {
    SCOPED_TRACE(e.space->engineCode);
    e.regs->Set32(0x7E50, 0x0101);  // DDC2 (line 1) mask: pads under GPIO control
    e.regs->Set32(0x7E54, 0x0100);
    e.regs->Set32(0x7E58, 0x0001);
    uint8_t v = 0;
    ASSERT_EQ(e.space->LockedReadByte(1, 0x4C, 0x01, &v), 1);
    EXPECT_EQ(v, 71);
    EXPECT_EQ(e.regs->Get32(0x7E50), 0u);
    EXPECT_EQ(e.regs->Get32(0x7E54), 0u);
    EXPECT_EQ(e.regs->Get32(0x7E58), 0u);
  }
}

// The external sensor's kinds read register 1; a reading above 126 is a
// glitch and the last good one stands in.
TEST_F(AtiBus, ExternalThermalSensorKeepsItsLastGoodReading) {
  float c = -1;
  ASSERT_TRUE(api->GetTemperature(adapter, &c));
  EXPECT_FLOAT_EQ(c, 55.0f) << "the RV770's own sensor first";
  ASSERT_TRUE(api->SetThermalSensor(adapter, 0x1063, 1, 0x4C));
  struct Step {
    uint8_t reg;
    bool answers;
    float shown;
  } steps[] = {{71, true, 71}, {200, true, 71}, {60, true, 60}, {127, true, 60}};
  for (const Step& s : steps) {
    SCOPED_TRACE(static_cast<int>(s.reg));
    sensor->Set(0x01, s.reg);
    c = -1;
    EXPECT_EQ(api->GetTemperature(adapter, &c), s.answers);
    EXPECT_FLOAT_EQ(c, s.shown);
  }
  // A sensor that reads out of range before any good reading gives none.
  ASSERT_TRUE(api->SetThermalSensor(adapter, 0x1064, 1, 0x4C));
  sensor->Set(0x01, 200);
  EXPECT_FALSE(api->GetTemperature(adapter, &c));
  // Unknown kinds and incomplete locations are refused.
  EXPECT_FALSE(api->SetThermalSensor(adapter, 0x1234, 1, 0x4C));
  EXPECT_FALSE(api->SetThermalSensor(adapter, 0x1089, -1, 0x4C));
}

}  // namespace
