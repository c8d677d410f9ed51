// Sensors: everything the SDK measures. A sensor keeps its raw reading, the
// converted input, the value shown and the smallest and largest valid value
// seen.
#pragma once

#include <cstdint>

#include "sdk/core/RoundToInt.h"

enum SensorType : uint32_t {
  SENSOR_VOLTAGE = 0x100,
  SENSOR_TEMPERATURE = 0x200,
  SENSOR_FAN = 0x400,
  SENSOR_CURRENT = 0x800,
  SENSOR_POWER = 0x1000,
  SENSOR_FAN_PWM = 0x2000,
  SENSOR_PUMP_PWM = 0x4000,
  SENSOR_WATER_LEVEL = 0x8000,
  SENSOR_POSITION = 0x10000,
  SENSOR_CAPACITY = 0x20000,
  SENSOR_LEVEL = 0x80000,
};

inline constexpr float kSensorNoValue = -4294967296.0f;
inline constexpr float kSensorMinStart = 4294967296.0f;
inline constexpr float kSensorMaxStart = -4294967296.0f;

class CSensor {
 public:
  CSensor(uint32_t typeBit, int index, float initialValue)
      : id(typeBit | (static_cast<uint32_t>(index) & 0xFF)), value(initialValue) {}
  virtual ~CSensor() = default;
  virtual bool IsValid() const { return value > 0; }
  virtual void Hook1(void*) {}
  virtual void Hook2(void*) {}

  // Stores the value; when `track` and the sensor is valid, widens min/max.
  void SetValue(float v, bool track) {
    value = v;
    if (track && IsValid()) {
      if (value > max) max = value;
      if (value < min) min = value;
    }
  }
  // The class bit of the sensor key (bits 8 to 23).
  uint32_t ClassBits() const { return id & 0x00FFFF00u; }

  char name[256] = {};
  uint32_t id;
  int32_t raw = -1;
  float input = -1.0f;
  float value;
  float min = kSensorMinStart;
  float max = kSensorMaxStart;
};

class CVoltageSensor : public CSensor {
 public:
  explicit CVoltageSensor(int index) : CSensor(SENSOR_VOLTAGE, index, kSensorNoValue) {}
  bool IsValid() const override { return value > kSensorNoValue; }
};

class CTemperatureSensor : public CSensor {
 public:
  explicit CTemperatureSensor(int index) : CSensor(SENSOR_TEMPERATURE, index, kSensorNoValue) {}
  bool IsValid() const override { return value > kSensorNoValue; }
  float offset = 0.0f;
};

class CFanSensor : public CSensor {
 public:
  explicit CFanSensor(int index) : CSensor(SENSOR_FAN, index, -1.0f) {}
  bool IsValid() const override { return RoundToInt(value) >= 0; }
  int32_t pulsesPerRevolution = 2;
};

class CCurrentSensor : public CSensor {
 public:
  explicit CCurrentSensor(int index) : CSensor(SENSOR_CURRENT, index, -1.0f) {}
  bool IsValid() const override { return RoundToInt(value) >= 0; }
};

class CPowerSensor : public CSensor {
 public:
  explicit CPowerSensor(int index) : CSensor(SENSOR_POWER, index, -1.0f) {}
  bool IsValid() const override { return RoundToInt(value) >= 0; }
};

class CFanPwmSensor : public CSensor {
 public:
  explicit CFanPwmSensor(int index) : CSensor(SENSOR_FAN_PWM, index, -1.0f) {}
  bool IsValid() const override { return RoundToInt(value) >= 0; }
  int32_t pwm = 0;
};

class CPumpPwmSensor : public CSensor {
 public:
  explicit CPumpPwmSensor(int index) : CSensor(SENSOR_PUMP_PWM, index, -1.0f) {}
};

class CWaterLevelSensor : public CSensor {
 public:
  explicit CWaterLevelSensor(int index) : CSensor(SENSOR_WATER_LEVEL, index, -1.0f) {}
};

class CPositionSensor : public CSensor {
 public:
  explicit CPositionSensor(int index) : CSensor(SENSOR_POSITION, index, -1.0f) {}
  bool IsValid() const override { return value > kSensorNoValue; }
};

class CCapacitySensor : public CSensor {
 public:
  explicit CCapacitySensor(int index) : CSensor(SENSOR_CAPACITY, index, -1.0f) {}
};

class CLevelSensor : public CSensor {
 public:
  explicit CLevelSensor(int index) : CSensor(SENSOR_LEVEL, index, -1.0f) {}
};
