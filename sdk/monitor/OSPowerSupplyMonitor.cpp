#include "sdk/monitor/OSPowerSupplyMonitor.h"

#include <cstdio>

#include "platform/Machine.h"
#include "sdk/core/CSensor.h"

OSPowerSupplyMonitor::OSPowerSupplyMonitor(const plat::PowerSupply& supply)
    : CHardwareMonitor(supply.type == "Battery" ? MONITOR_BATTERY : MONITOR_POWER_SUPPLY, 0), supplyName(supply.name) {
  std::snprintf(name, sizeof(name), "%s %s", supply.type.c_str(), supply.name.c_str());
  refreshDivider = 3;  // batteries change slowly
}

int OSPowerSupplyMonitor::CreateSensors() {
  for (const plat::PowerSupply& s : plat::CurrentMachine().PowerSupplies()) {
    if (s.name != supplyName) continue;
    auto add = [&](CSensor** slot, CSensor* sensor, const char* label, bool present) {
      if (!present) {
        delete sensor;
        return;
      }
      std::snprintf(sensor->name, sizeof(sensor->name), "%s", label);
      AddSensorEverywhere(sensor);
      *slot = sensor;
    };
    add(&voltage, new CVoltageSensor(0), "Voltage", s.voltageNow.has_value());
    add(&current, new CCurrentSensor(0), "Current", s.currentNow.has_value());
    add(&power, new CPowerSensor(0), "Power", s.powerNow.has_value());
    add(&capacity, new CCapacitySensor(0), "Charge", s.capacity.has_value());
    add(&temperature, new CTemperatureSensor(0), "Temperature", s.temp.has_value());
    Store(s);
    return 1;
  }
  return 0;
}

int OSPowerSupplyMonitor::Update() {
  for (const plat::PowerSupply& s : plat::CurrentMachine().PowerSupplies())
    if (s.name == supplyName) {
      Store(s);
      return 1;
    }
  return 0;
}

void OSPowerSupplyMonitor::Store(const plat::PowerSupply& s) {
  // The kernel's units: microvolts, microamperes, microwatts, percent,
  // tenths of a degree.
  auto set = [](CSensor* sensor, const std::optional<long long>& v, double scale) {
    if (!sensor || !v) return;
    sensor->raw = static_cast<int32_t>(*v);
    sensor->SetValue(static_cast<float>(*v * scale), true);
  };
  set(voltage, s.voltageNow, 1e-6);
  set(current, s.currentNow, 1e-6);
  set(power, s.powerNow, 1e-6);
  set(capacity, s.capacity, 1.0);
  set(temperature, s.temp, 0.1);
}
