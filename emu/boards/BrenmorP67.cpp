// Brenmor Torvik P67: Sandy Bridge processor with the P67 platform
// controller hub (PCH-VCCIO group). The bus clock comes from the chipset's
// integrated clock, reached through the 6-series clock control library.
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

// One 4 GB DDR3-1333 DIMM, in the second channel's slot.
Ddr3SpdModule Module(uint32_t serial) {
  Ddr3SpdModule d;
  d.sizeMiB = 4096;
  d.partNumber = "TVK8JTF51264AZ";
  d.serial = serial;
  d.makerBank = 5;  // Crucial
  d.makerCode = 0x9B;
  return d;
}
const SmbusPlacement kDimms[] = {
    {SmbusBus::kNoSegment, 0x52, SmbusPlacement::Kind::Ddr3Spd, Module(0x1C8A0001)},
};
// DDR3-1333 9-9-9-24 (10 x 133.33 MHz), channel 1 only.
const parts::SandyBridgeImc kImc = {{false, true}, 4096, true, 9, 9, 9, 24, 10};

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 8);
  AddProcessors(m, SandyBridgeI7_2600K());
  auto& host = m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x0100, 0x06000009));
  host.SetSubsystem(0x1B3F, 0x0100);
  host.Set32(0x60, parts::kMmconfigBase | 1);
  parts::AddSandyBridgeMemoryController(m, host, kImc);
  parts::AddRootPort(m, 1, 0, 0x0101);
  auto smbus = parts::AddIntelSouthBridge(m, 0x1C46, 0x1C22);
  ZundoSlave::Plug(m, *smbus);  // the hand-held device in its header
  PlaceSmbusSlaves(*smbus, kDimms);
  parts::AddIntegratedClock(m, 6);
  InstallFintekMonitor(m, FintekF71882F::kF71889ED, 0x2E, FintekF71882F::kDefaultMonitorBase,
                       FintekWiring::PchVccio, "f71882f");
  parts::AddMmconfig(m, parts::kMmconfigBase, 256);
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Core(TM) i7-2600K CPU @ 3.40GHz", 100, 3400, 4, 4096));
  InstallAcpiFirmware(m, {parts::kPmBase});
}

}  // namespace

extern const BoardDescription kBrenmorP67 = {
    "brenmor-p67", "Brenmor", "Torvik P67 0201205C0103", 0x031CC930, "PCH-VCCIO",
    "Intel P67 PCH with its integrated clock (6-series clock library), Core i7-2600K", &Build,
};

}  // namespace emu::boards
