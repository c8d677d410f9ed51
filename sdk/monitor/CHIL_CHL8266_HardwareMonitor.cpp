#include "sdk/monitor/CHIL_CHL8266_HardwareMonitor.h"

#include <cmath>
#include <cstdio>

#include "sdk/core/CSensor.h"
#include "sdk/monitor/ChipFamilies.h"

namespace {

// PMBus commands (PMBus standard, part II, section 15).
struct Channel {
  uint8_t command;
  uint32_t sensorClass;
  int index;
  const char* name;
  CSensor* CHIL_CHL8266_HardwareMonitor::*slot;
};
const Channel kChannels[] = {
    {0x88, SENSOR_VOLTAGE, 0, "+12V GPU", &CHIL_CHL8266_HardwareMonitor::inputVoltage},
    {0x8B, SENSOR_VOLTAGE, 1, "VGPU", &CHIL_CHL8266_HardwareMonitor::outputVoltage},
    {0x8C, SENSOR_CURRENT, 0, "GPU", &CHIL_CHL8266_HardwareMonitor::current},
    {0x8D, SENSOR_TEMPERATURE, 0, "GPU VRM", &CHIL_CHL8266_HardwareMonitor::temperature},
    {0x96, SENSOR_POWER, 0, "GPU", &CHIL_CHL8266_HardwareMonitor::power},
};

CSensor* NewSensor(uint32_t cls, int index) {
  switch (cls) {
    case SENSOR_VOLTAGE: return new CVoltageSensor(index);
    case SENSOR_CURRENT: return new CCurrentSensor(index);
    case SENSOR_TEMPERATURE: return new CTemperatureSensor(index);
    default: return new CPowerSensor(index);
  }
}

}  // namespace

CHIL_CHL8266_HardwareMonitor::CHIL_CHL8266_HardwareMonitor() : CHardwareMonitor(MONITOR_CHIP, kMonitorId) {
  ApplyFamily(FindChipFamily(0xC001, 0x8266));
}

double CHIL_CHL8266_HardwareMonitor::Linear11(uint16_t word) {
  const int mantissa = word & 0x7FF;
  int exponent = word >> 11;
  if (exponent & 0x10) exponent -= 32;
  return std::ldexp(static_cast<double>(mantissa), exponent);
}

bool CHIL_CHL8266_HardwareMonitor::ReadAll() {
  bool made = false;
  for (const Channel& c : kChannels) {
    uint16_t word = 0xFFFF;
    if (!ReadRegWord(c.command, &word)) continue;
    CSensor*& s = this->*c.slot;
    if (!s) {
      s = NewSensor(c.sensorClass, c.index);
      std::snprintf(s->name, sizeof(s->name), "%s", c.name);
      AddSensorEverywhere(s);
      made = true;
    }
    s->raw = word;
    const double v = Linear11(word);
    s->input = static_cast<float>(v);
    s->SetValue(static_cast<float>(v), true);
  }
  return made;
}

int CHIL_CHL8266_HardwareMonitor::CreateSensors() {
  ReadAll();
  ApplyLabels();
  return 1;
}

int CHIL_CHL8266_HardwareMonitor::Update() {
  if (ReadAll()) ApplyLabels();
  ApplyConversions();
  return 1;
}
