// Brenmor Torvik Z68: Sandy Bridge processor with the Z68 platform
// controller hub (PCH-VCCIO group). The host bridge holds the memory
// controller and PCIEXBAR.
#include <memory>

#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/boards/BoardMonitoring.h"
#include "emu/boards/BoardRegulators.h"
#include "emu/boards/ChipsetParts.h"
#include "emu/chips/FintekF71882F.h"
#include "emu/firmware/AcpiTables.h"
#include "emu/firmware/SmbiosTable.h"

namespace emu::boards {

namespace {

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 8);
  AddProcessors(m, SandyBridgeI7_2600K());
  auto& host = m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x0100, 0x06000009));
  host.SetSubsystem(0x1B3F, 0x0100);
  host.Set32(0x60, parts::kMmconfigBase | 1);  // PCIEXBAR: 256 MB, enabled
  host.Set32(0x48, SandyBridgeI7_2600K().mchbar | 1);  // MCHBAR, enabled
  parts::AddRootPort(m, 1, 0, 0x0101);
  auto smbus = parts::AddIntelSouthBridge(m, 0x1C44, 0x1C22);
  auto monitor = InstallFintekMonitor(m, FintekF71882F::kF71889ED, 0x2E, FintekF71882F::kDefaultMonitorBase,
                                      FintekWiring::PchVccio, "f71882f");
  // The NCT7802's second PWM output drives the board's dial gauge.
  AttachBoardNct7802(m, *smbus, 0x2D);
  InstallZ68Regulators(m, *smbus, *monitor);
  parts::AddMmconfig(m, parts::kMmconfigBase, 256);
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Core(TM) i7-2600K CPU @ 3.40GHz", 100, 3400, 4, 4096));
  InstallAcpiFirmware(m, {parts::kPmBase});
}

}  // namespace

extern const BoardDescription kBrenmorZ68 = {
    "brenmor-z68", "Brenmor", "Torvik Z68 010016MJ01218L", 0x031CC94C, "PCH-VCCIO",
    "Intel Z68 PCH, Sandy Bridge host bridge with PCIEXBAR and MCHBAR, Core i7-2600K", &Build,
};

}  // namespace emu::boards
