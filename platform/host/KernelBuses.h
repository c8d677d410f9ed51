// What the Linux kernel's own drivers hold, and the kernel's routes to the
// same buses, read from a /proc and /sys tree (under a root prefix in
// tests):
//
//   /proc/ioports                          port ranges and who claimed them
//   /sys/bus/pci/devices/DDDD:BB:DD.F/driver   the driver bound to a function
//   /sys/bus/pci/devices/.../i2c-N         the SMBus adapter it registered
//   /dev/i2c-N                             i2c-dev: SMBus transactions by ioctl
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/SmbusAdapter.h"

namespace plat {

struct IoClaim {
  uint32_t first = 0, last = 0;
  std::string name;
};

// The entries of an ioports file (nested entries flattened); empty when it
// cannot be read.
std::vector<IoClaim> ReadIoPorts(const std::string& root);

// The kernel driver whose claim the port range [first, last] touches, or
// null. SMBus host and hardware-monitor drivers count; a Super I/O monitor
// driver (it87, f71882fg, nct6775, w83627ehf, ...) also owns the Super I/O
// configuration ports 0x2E/0x2F and 0x4E/0x4F, which it enters whenever it
// likes.
const IoClaim* KernelPortOwner(const std::vector<IoClaim>& claims, uint32_t first, uint32_t last);

// The driver bound to a PCI function ("" when none).
std::string BoundPciDriver(const std::string& root, uint32_t bus, uint32_t device, uint32_t function);

// i2c-dev's SMBus ioctl, replaceable in tests: (fd, request, argument).
using IoctlFunction = std::function<int(int, unsigned long, void*)>;

// The kernel's adapter for the SMBus host at a PCI function when a driver
// is bound to it: its /dev/i2c-N (which may be missing, when i2c-dev is not
// loaded; every transaction then fails). Null without a bound driver.
std::shared_ptr<SmbusAdapter> FindKernelSmbusAdapter(const std::string& root, uint32_t bus, uint32_t device,
                                                     uint32_t function, IoctlFunction ioctlFn = nullptr);

// The I2C adapters a graphics driver bound to that PCI function registered
// (its i2c-N entries by number); none without a bound driver.
std::vector<std::shared_ptr<SmbusAdapter>> FindGraphicsI2CAdapters(const std::string& root, uint32_t bus,
                                                                   uint32_t device, uint32_t function,
                                                                   IoctlFunction ioctlFn = nullptr);

// One attribute file of the function's sysfs directory; a name starting
// "hwmon/" is looked up in the driver's first hwmon directory. The first
// line without its end; false when absent or the name leaves the directory.
bool ReadGraphicsAttribute(const std::string& root, uint32_t bus, uint32_t device, uint32_t function,
                           const std::string& name, std::string* text);

// One line per SMBus controller (PCI class 0C05) of the tree: the route its
// transactions take.
std::vector<std::string> SmbusRoutes(const std::string& root);

}  // namespace plat
