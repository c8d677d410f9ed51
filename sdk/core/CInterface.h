// Base of every SDK interface (one per hardware domain).
#pragma once

#include <cstdint>

enum InterfaceType : uint32_t {
  INTERFACE_PCI = 0x1,
  INTERFACE_SMBUS = 0x2,
  INTERFACE_ACPI = 0x4,
  INTERFACE_CPU = 0x8,
  INTERFACE_DISPLAY = 0x20,
  INTERFACE_PLL = 0x40,
  INTERFACE_HARDWARE_MONITOR = 0x80,
  INTERFACE_CHIPSET = 0x800,
  INTERFACE_DMI = 0x1000,
  INTERFACE_WMI = 0x8000,
};

class CInterface {
 public:
  explicit CInterface(uint32_t t) : type(t) {}
  virtual ~CInterface() = default;
  // Detection and set-up; nonzero = success.
  virtual int Init() = 0;
  // Restores whatever the interface changed in the hardware.
  virtual void Close() = 0;

  uint32_t type;
};
