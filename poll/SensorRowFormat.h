// How a sensor's reading is written wherever it is shown: the unit and kind
// of each sensor class, and the two layouts, the detailed one of
// `torvikctl sensors` (lm-sensors style: signs, volts to the millivolt) and
// the compact one of the Monitoring view, `torvikctl monitor` and the
// keyboard LCD.
#pragma once

#include <cstdint>
#include <span>
#include <string>

class CSensor;

enum class SensorStyle { kDetailed, kCompact };

struct SensorClassFormat {
  uint32_t sensorClass;
  const char* kind;  // the class's name in JSON output
  const char* unit;
  const char* detailed;  // printf format of one value
  const char* compact;   // printf format of one value; null: not shown compactly
  bool compactWhole;     // the compact value is the whole number (truncated)
};

// The classes a chip lists, in the order its rows are printed.
std::span<const SensorClassFormat> SensorClassFormats();
// The row of a class, or null.
const SensorClassFormat* FindSensorClassFormat(uint32_t sensorClass);

// One value of a class in a style ("" for a class without that layout).
std::string FormatReading(const SensorClassFormat& format, float value, SensorStyle style);
std::string FormatReading(uint32_t sensorClass, float value, SensorStyle style);

struct SensorRowText {
  std::string value;
  std::string min;  // "" until the sensor has tracked a valid value
  std::string max;
};

// The value, min and max texts of a sensor read as `sensorClass`.
SensorRowText FormatSensorRow(const CSensor& sensor, const SensorClassFormat& format, SensorStyle style);
