// Brenmor Torvik Z77: Sandy Bridge processor (standing in for Ivy Bridge)
// with the Z77 platform controller hub (PCH-VCCIO group). Bus clock and PCI
// Express clock come from the chipset's integrated clock, reached through
// the 7-series clock-control component.
#include <memory>

#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/boards/BoardMonitoring.h"
#include "emu/boards/ChipsetParts.h"
#include "emu/boards/ClockParts.h"
#include "emu/chips/FintekF71882F.h"
#include "emu/firmware/AcpiTables.h"
#include "emu/firmware/SmbiosTable.h"
#include "emu/smbus/SmbusPlacement.h"
#include "emu/smbus/ZundoSlave.h"


namespace emu::boards {

namespace {

// Two 4 GB DDR3-1600 DIMMs without XMP, one per channel.
Ddr3SpdModule Module(uint32_t serial) {
  Ddr3SpdModule d;
  d.sizeMiB = 4096;
  d.dataRateMT = 1600;
  d.partNumber = "TVK3-1600C9S-4G";
  d.serial = serial;
  d.makerBank = 4;  // Team Group
  d.makerCode = 0xEF;
  return d;
}
const SmbusPlacement kDimms[] = {
    {SmbusBus::kNoSegment, 0x50, SmbusPlacement::Kind::Ddr3Spd, Module(0x7E770001)},
    {SmbusBus::kNoSegment, 0x52, SmbusPlacement::Kind::Ddr3Spd, Module(0x7E770002)},
};
// DDR3-1600 9-9-9-28 on the 100 MHz reference (16 x 100 MHz, bit 8).
const parts::SandyBridgeImc kImc = {{true, true}, 4096, true, 9, 9, 9, 28, 0x110};

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 8);
  AddProcessors(m, SandyBridgeI7_2600K());
  auto& host = m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x0150, 0x06000009));
  host.SetSubsystem(0x1B3F, 0x0150);
  host.Set32(0x60, parts::kMmconfigBase | 1);
  parts::AddSandyBridgeMemoryController(m, host, kImc);
  parts::AddRootPort(m, 1, 0, 0x0151);
  auto smbus = parts::AddIntelSouthBridge(m, 0x1E44, 0x1E22);
  ZundoSlave::Plug(m, *smbus);  // the hand-held device in its header
  PlaceSmbusSlaves(*smbus, kDimms);
  parts::AddIntegratedClock(m, 7);
  InstallFintekMonitor(m, FintekF71882F::kF71889ED, 0x2E, FintekF71882F::kDefaultMonitorBase,
                       FintekWiring::PchVccio, "f71882f");
  parts::AddMmconfig(m, parts::kMmconfigBase, 256);
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Core(TM) i7-2600K CPU @ 3.40GHz", 100, 3400, 4, 4096));
  InstallAcpiFirmware(m, {parts::kPmBase});
}

}  // namespace

extern const BoardDescription kBrenmorZ77 = {
    "brenmor-z77", "Brenmor", "Torvik Z77 010016MJ012194", 0x031CC954, "PCH-VCCIO",
    "Intel Z77 PCH with its integrated clock (7-series clock-control component), Core i7-2600K", &Build,
};

}  // namespace emu::boards
