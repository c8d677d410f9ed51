#include "poll/SensorRowFormat.h"

#include <cstdio>

#include "sdk/core/CSensor.h"

namespace {

#define DEGREES "\xC2\xB0" "C"

constexpr SensorClassFormat kFormats[] = {
    {SENSOR_VOLTAGE, "voltage", "V", "%+.3f V", "%.2f V", false},
    {SENSOR_CURRENT, "current", "A", "%.2f A", "%.2f A", false},
    {SENSOR_POWER, "power", "W", "%.1f W", "%.1f W", false},
    {SENSOR_TEMPERATURE, "temperature", DEGREES, "%+.1f" DEGREES, "%.1f " DEGREES, false},
    {SENSOR_FAN, "fan", "RPM", "%.0f RPM", "%d RPM", true},
    {SENSOR_FAN_PWM, "pwm", "%", "%.0f%%", nullptr, false},
    {SENSOR_CAPACITY, "charge", "%", "%.0f%%", nullptr, false},  // batteries
};

#undef DEGREES

}  // namespace

std::span<const SensorClassFormat> SensorClassFormats() { return kFormats; }

const SensorClassFormat* FindSensorClassFormat(uint32_t sensorClass) {
  for (const SensorClassFormat& f : kFormats)
    if (f.sensorClass == sensorClass) return &f;
  return nullptr;
}

std::string FormatReading(const SensorClassFormat& format, float value, SensorStyle style) {
  char text[64];
  if (style == SensorStyle::kDetailed) {
    std::snprintf(text, sizeof(text), format.detailed, static_cast<double>(value));
  } else if (!format.compact) {
    return {};
  } else if (format.compactWhole) {
    std::snprintf(text, sizeof(text), format.compact, static_cast<int>(value));
  } else {
    std::snprintf(text, sizeof(text), format.compact, static_cast<double>(value));
  }
  return text;
}

std::string FormatReading(uint32_t sensorClass, float value, SensorStyle style) {
  const SensorClassFormat* f = FindSensorClassFormat(sensorClass);
  return f ? FormatReading(*f, value, style) : std::string();
}

SensorRowText FormatSensorRow(const CSensor& s, const SensorClassFormat& format, SensorStyle style) {
  SensorRowText row;
  row.value = FormatReading(format, s.value, style);
  // Smallest and largest valid values seen, once the sensor has tracked one.
  if (s.min <= s.max) {
    row.min = FormatReading(format, s.min, style);
    row.max = FormatReading(format, s.max, style);
  }
  return row;
}
