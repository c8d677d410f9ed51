// The memory BARs of the display controllers (PCI class 03) as sysfs lists
// them: /sys/bus/pci/devices/DDDD:BB:DD.F/resource has one line per region
// ("start end flags", hexadecimal; IORESOURCE_MEM is flag 0x200), and the
// region is mapped through its resourceN file. The kernel lets a program
// map a BAR there even where /dev/mem refuses device memory
// (CONFIG_IO_STRICT_DEVMEM with a driver bound to the device).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

struct PciBarWindow {
  uint64_t start = 0, end = 0;  // inclusive
  std::string file;             // the resourceN file
};

std::vector<PciBarWindow> ReadDisplayBarWindows(const std::string& root);

}  // namespace plat
