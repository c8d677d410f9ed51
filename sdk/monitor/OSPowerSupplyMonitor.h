// A battery or power supply the operating system reports (on Linux the
// kernel's /sys/class/power_supply, through the machine): its voltage,
// current, power, charge and temperature, whichever its driver provides.
#pragma once

#include <string>

#include "sdk/monitor/CHardwareMonitor.h"

namespace plat {
struct PowerSupply;
}

class OSPowerSupplyMonitor : public CHardwareMonitor {
 public:
  explicit OSPowerSupplyMonitor(const plat::PowerSupply& supply);
  int CreateSensors() override;
  int Update() override;

  std::string supplyName;
  CSensor* voltage = nullptr;
  CSensor* current = nullptr;
  CSensor* power = nullptr;
  CSensor* capacity = nullptr;
  CSensor* temperature = nullptr;

 private:
  void Store(const plat::PowerSupply& supply);
};
