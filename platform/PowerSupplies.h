// Batteries and power supplies as the Linux kernel reports them under
// /sys/class/power_supply (Documentation/ABI/testing/sysfs-class-power):
// per supply its type and whichever readings its driver provides, in the
// kernel's units (microvolts, microamperes, microwatts, percent, tenths of
// a degree Celsius). A reading the driver does not provide stays unset.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace plat {

struct PowerSupply {
  std::string name;  // the sysfs directory: "BAT0", "AC", "ucsi-source-psy-..."
  std::string type;  // "Battery", "Mains", "USB", "UPS"
  std::optional<long long> voltageNow, currentNow, powerNow, capacity, temp;
};

// The supplies listed under `root` (one directory per supply), by name.
std::vector<PowerSupply> ReadPowerSupplies(const std::string& root);

}  // namespace plat
