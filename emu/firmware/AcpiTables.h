// The ACPI tables of the emulated boards: the root pointer in the firmware
// area at 0xE0000, RSDT, XSDT, FADT and HPET in a reserved RAM region below
// 3 GB, and the HPET registers they point to.
#pragma once

#include <cstdint>

namespace emu {

class EmulatedMachine;

struct AcpiFirmware {
  uint16_t pmBase = 0x400;       // PM1a event block; the PM timer is at +8
  bool pmTimer = true;           // a zero timer block when false
  bool hpet = true;
  bool hpetInIoSpace = false;    // a broken table pointing into I/O space
};

inline constexpr uint64_t kAcpiRegionBase = 0xBFF00000;
inline constexpr uint64_t kAcpiRegionSize = 0x00100000;
inline constexpr uint64_t kAcpiRootPointer = 0xE0000;

// Adds the table region (RAM), writes the tables and maps the HPET. The
// firmware area at 0xE0000 must already be RAM.
void InstallAcpiFirmware(EmulatedMachine& machine, const AcpiFirmware& firmware = {});

}  // namespace emu
