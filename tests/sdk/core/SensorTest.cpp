// Sensors, devices and the list container.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>

#include "sdk/core/CDevice.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/CTList.h"
#include "sdk/core/RoundToInt.h"

namespace {

TEST(RoundToIntTest, HalvesRoundTowardsPlusInfinity) {
  struct Row {
    double x;
    int expected;
  } rows[] = {{0.0, 0}, {0.49, 0}, {0.5, 1}, {0.51, 1}, {1.5, 2}, {2.5, 3}, {-0.4, 0}, {-0.5, 0},
              {-0.6, -1}, {-1.5, -1}, {1e12, INT_MIN}, {-4294967296.0, INT_MIN}};
  for (const Row& r : rows) EXPECT_EQ(RoundToInt(r.x), r.expected) << r.x;
}

TEST(SensorTest, InitialValuesAndValidity) {
  struct Row {
    std::function<CSensor*()> make;
    uint32_t typeBit;
    float initial;
    bool validAtStart;
  } rows[] = {
      {[] { return new CVoltageSensor(3); }, 0x100, kSensorNoValue, false},
      {[] { return new CTemperatureSensor(3); }, 0x200, kSensorNoValue, false},
      {[] { return new CFanSensor(3); }, 0x400, -1.0f, false},
      {[] { return new CCurrentSensor(3); }, 0x800, -1.0f, false},
      {[] { return new CPowerSensor(3); }, 0x1000, -1.0f, false},
      {[] { return new CFanPwmSensor(3); }, 0x2000, -1.0f, false},
      {[] { return new CPumpPwmSensor(3); }, 0x4000, -1.0f, false},
      {[] { return new CWaterLevelSensor(3); }, 0x8000, -1.0f, false},
      {[] { return new CPositionSensor(3); }, 0x10000, -1.0f, true},
      {[] { return new CCapacitySensor(3); }, 0x20000, -1.0f, false},
      {[] { return new CLevelSensor(3); }, 0x80000, -1.0f, false},
  };
  for (const Row& r : rows) {
    std::unique_ptr<CSensor> s(r.make());
    SCOPED_TRACE(r.typeBit);
    EXPECT_EQ(s->id, r.typeBit | 3);
    EXPECT_EQ(s->value, r.initial);
    EXPECT_EQ(s->IsValid(), r.validAtStart);
    EXPECT_EQ(s->raw, -1);
    EXPECT_EQ(s->min, 4294967296.0f);
    EXPECT_EQ(s->max, -4294967296.0f);
  }
  EXPECT_EQ(CFanSensor(300).id, 0x400u | (300 & 0xFF)) << "index keeps its low byte";
}

TEST(SensorTest, SetValueTracksMinAndMaxOfValidValuesOnly) {
  CVoltageSensor v(0);
  v.SetValue(1.2f, true);
  EXPECT_TRUE(v.IsValid());
  EXPECT_FLOAT_EQ(v.min, 1.2f);
  EXPECT_FLOAT_EQ(v.max, 1.2f);
  v.SetValue(1.25f, true);
  EXPECT_FLOAT_EQ(v.max, 1.25f);
  EXPECT_FLOAT_EQ(v.min, 1.2f);
  v.SetValue(0.5f, false);
  EXPECT_FLOAT_EQ(v.value, 0.5f);
  EXPECT_FLOAT_EQ(v.min, 1.2f);

  CFanSensor fan(0);
  fan.SetValue(-0.4f, true);
  EXPECT_TRUE(fan.IsValid()) << "rounds to 0";
  EXPECT_FLOAT_EQ(fan.min, -0.4f);
  fan.SetValue(-0.6f, true);
  EXPECT_FALSE(fan.IsValid());
  EXPECT_FLOAT_EQ(fan.min, -0.4f) << "an invalid value does not move min";
}

TEST(CTListTest, AppendRemoveAndOwnership) {
  CTList<CDevice> list;
  auto* a = new CDevice(1);
  auto* b = new CDevice(2);
  CDevice stranger(3);
  list.Append(a);
  list.Append(b);
  EXPECT_EQ(list.count, 2);
  EXPECT_EQ(list.At(1), b);
  list.Remove(&stranger);
  EXPECT_EQ(list.count, 2) << "removing an element that is not listed changes nothing";
  list.Remove(a);
  EXPECT_EQ(list.count, 1);
  EXPECT_EQ(list.head->item, b);
  delete a;
  list.DeleteAll();
  EXPECT_EQ(list.count, 0);
  EXPECT_EQ(list.head, nullptr);
}

TEST(CompositeDeviceTest, ListsAreMadeOnFirstUseAndNeverOwnTheirElements) {
  CMainboard child("child");
  CVoltageSensor sensor(0);
  {
    CMainboard board("Brenmor Torvik");
    EXPECT_EQ(board.type, 0x80000400u);
    EXPECT_EQ(board.children, nullptr);
    board.AddChild(&child);
    board.AddSensor(&sensor);
    ASSERT_NE(board.children, nullptr);
    EXPECT_EQ(board.children->count, 1);
    EXPECT_STREQ(board.GetName(), "Brenmor Torvik");
    EXPECT_EQ(board.GetSerialNumber(), nullptr);
  }
  EXPECT_STREQ(child.GetName(), "child") << "the child outlives its composite";
  CMemoryModule module("Memory Module");
  EXPECT_EQ(module.GetSerialNumber(), nullptr);
}

}  // namespace
