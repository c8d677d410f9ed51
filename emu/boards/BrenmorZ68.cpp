// Brenmor Torvik Z68: Sandy Bridge processor with the Z68 platform
// controller hub (PCH-VCCIO group). The host bridge holds the memory
// controller and PCIEXBAR.
#include <memory>

#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/gpu/SandyBridgeGraphics.h"
#include "emu/boards/BoardMonitoring.h"
#include "emu/boards/BoardRegulators.h"
#include "emu/boards/ChipsetParts.h"
#include "emu/chips/FintekF71882F.h"
#include "emu/firmware/AcpiTables.h"
#include "emu/firmware/SmbiosTable.h"
#include "emu/smbus/SmbusPlacement.h"
#include "emu/smbus/ZundoSlave.h"

namespace emu::boards {

namespace {

// Two 4 GB DDR3-1333 DIMMs with an XMP DDR3-1600 profile, one per channel.
Ddr3SpdModule Module(uint32_t serial) {
  Ddr3SpdModule d;
  d.sizeMiB = 4096;
  d.partNumber = "TVK3-1600C9D-8GX";
  d.serial = serial;
  d.makerBank = 4;  // G.Skill
  d.makerCode = 0xCD;
  d.xmp = true;
  return d;
}
const SmbusPlacement kDimms[] = {
    {SmbusBus::kNoSegment, 0x50, SmbusPlacement::Kind::Ddr3Spd, Module(0x0C11AB01)},
    {SmbusBus::kNoSegment, 0x52, SmbusPlacement::Kind::Ddr3Spd, Module(0x0C11AB02)},
};

// The controller, set up by the firmware for the XMP profile: DDR3-1600
// 9-9-9-24 1T (12 x 133.33 MHz), both channels with one dual-rank 4 GB DIMM.
const parts::SandyBridgeImc kImc = {{true, true}, 4096, true, 9, 9, 9, 24, 12};

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 8);
  AddProcessors(m, SandyBridgeI7_2600K());
  auto& host = m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x0100, 0x06000009));
  host.SetSubsystem(0x1B3F, 0x0100);
  host.Set32(0x60, parts::kMmconfigBase | 1);  // PCIEXBAR: 256 MB, enabled
  host.Set32(0x48, SandyBridgeI7_2600K().mchbar | 1);  // MCHBAR, enabled
  parts::AddRootPort(m, 1, 0, 0x0101);
  parts::AddSandyBridgeMemoryController(m, host, kImc);
  auto smbus = parts::AddIntelSouthBridge(m, 0x1C44, 0x1C22);
  ZundoSlave::Plug(m, *smbus);  // the hand-held device in its header
  PlaceSmbusSlaves(*smbus, kDimms);
  auto monitor = InstallFintekMonitor(m, FintekF71882F::kF71889ED, 0x2E, FintekF71882F::kDefaultMonitorBase,
                                      FintekWiring::PchVccio, "f71882f");
  // The NCT7802's second PWM output drives the board's dial gauge.
  AttachBoardNct7802(m, *smbus, 0x2D);
  InstallZ68Regulators(m, *smbus, *monitor);
  parts::AddMmconfig(m, parts::kMmconfigBase, 256);
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Core(TM) i7-2600K CPU @ 3.40GHz", 100, 3400, 4, 4096));
  InstallAcpiFirmware(m, {parts::kPmBase});
  // The processor's integrated graphics drives the board's outputs.
  AddSandyBridgeGraphics(m, 0xF0000000);
}

}  // namespace

extern const BoardDescription kBrenmorZ68 = {
    "brenmor-z68", "Brenmor", "Torvik Z68 010016MJ01218L", 0x031CC94C, "PCH-VCCIO",
    "Intel Z68 PCH, Sandy Bridge host bridge with PCIEXBAR and MCHBAR, Core i7-2600K", &Build,
};

}  // namespace emu::boards
