// Pieces the emulated boards share: the memory map, the Intel LPC bridge
// with its ACPI and SMBus functions, PCI Express root ports and the
// chipset's MMCONFIG window.
#pragma once

#include <cstdint>
#include <memory>

namespace emu {

class EmulatedMachine;
class MchbarRegisters;
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

// The integrated memory controller of a Nehalem/Westmere uncore on `bus`
// (Core i7-900 / Xeon 5500 datasheet volume 2): the test function (3.4),
// one control function per channel (4.0, 5.0, 6.0) and the channel-active
// and ratio fields of the existing MC_CONTROL (3.0) and QPI generic (0.0)
// functions. Timings in DRAM clocks.
struct NehalemImc {
  uint16_t testFunctionId;            // 0x2C1C, 0x2C9C, 0x2D9C
  uint16_t channelIds[3];             // control function of channels 0-2 (0: none)
  int channels;                       // populated channels (1-3)
  int qclkRatio;                      // DRAM data rate / bus clock
  int uncoreRatio;
  int cl, tRCD, tRP, tRAS, tRFC;
  bool twoT;                          // command rate 2T
  bool mrsShadow = true;              // MR0 shadowed in MRS_VALUE_0_1 (else 0)
};
void AddNehalemMemoryController(EmulatedMachine& m, uint8_t bus, const NehalemImc& imc);

// The memory controller of a Sandy Bridge or Ivy Bridge host bridge in its
// MCHBAR at 0xFED10000 (2nd/3rd generation Core datasheets volume 2):
// timings in both channels, one DIMM of `dimmMiB` per populated channel,
// MC_BIOS_DATA holding the DDR ratio (bit 8: 100 MHz reference, Ivy Bridge).
struct SandyBridgeImc {
  bool channel[2];
  unsigned dimmMiB;
  bool dualRank;
  int cl, tRCD, tRP, tRAS;
  uint32_t biosData;
};
void AddSandyBridgeMemoryController(EmulatedMachine& m, PciFunction& host, const SandyBridgeImc& imc);

// The memory controller of a Core 2 generation hub (Intel 3 Series / X38
// and 4 Series datasheets, MCHBAR registers): both channels' timings and
// rank population, the memory type, and CLKCFG whose FSB field follows the
// machine's bus clock while the memory field holds `memoryCode` (3 =
// DDR2-800). Timings in DRAM clocks.
struct Core2Imc {
  bool series4;  // 4 Series (else 3 Series / X38)
  bool ddr3;
  int cl, tRCD, tRP, tRAS, tRFC;
  bool twoT;
  uint32_t memoryCode;
};
void AddCore2MemoryController(EmulatedMachine& m, PciFunction& mch, uint32_t base, const Core2Imc& imc);

// The MCHBAR window of `host` at `base` (programmed into `barRegister`
// with its enable bit set; the enable bit is writable).
MchbarRegisters& AddMchbar(EmulatedMachine& m, PciFunction& host, uint32_t base, uint32_t size,
                           uint32_t barRegister = 0x48);
// FSB frequency code of the 3- and 4-series CLKCFG register (bits 2:0)
// for a bus clock: 133, 166, 200, 266, 333 or 400 MHz, the nearest.
uint32_t ClkcfgFsbCode(double busMHz);

}  // namespace parts
}  // namespace emu
