// Pieces the emulated boards share: the memory map, the Intel LPC bridge
// with its ACPI and SMBus functions, PCI Express root ports and the
// chipset's MMCONFIG window.
#pragma once

#include <cstdint>
#include <memory>

namespace emu {

class EmulatedMachine;
class PciFunction;
class SmbusBus;

namespace parts {

inline constexpr uint16_t kPmBase = 0x0400;
inline constexpr uint16_t kSmbusBase = 0x0500;
inline constexpr uint32_t kMmconfigBase = 0xE0000000;

// RAM below 640 KB, the firmware area 0xE0000-0xFFFFF, the rest up to the
// PCI hole and above 4 GB; `gigabytes` installed.
void AddMemory(EmulatedMachine& m, unsigned gigabytes);
// LPC bridge at 00:1F.0 (ACPI base kPmBase, PM timer block) and SMBus
// controller at 00:1F.3 (base kSmbusBase) with its host interface; returns
// the SMBus the host drives.
std::shared_ptr<SmbusBus> AddIntelSouthBridge(EmulatedMachine& m, uint16_t lpcId, uint16_t smbusId);
// A PCI Express root port (type 1 header, PCI Express capability at 0x40,
// advanced error reporting at 0x100).
PciFunction& AddRootPort(EmulatedMachine& m, uint8_t device, uint8_t function, uint16_t deviceId);
// Decodes `buses` buses of memory-mapped configuration space at `base`.
void AddMmconfig(EmulatedMachine& m, uint32_t base, unsigned buses);
// A function of the processor's uncore (memory controller, QPI) on `bus`.
PciFunction& AddUncore(EmulatedMachine& m, uint8_t bus, uint8_t device, uint8_t function, uint16_t deviceId,
                       bool multiFunction);

}  // namespace parts
}  // namespace emu
