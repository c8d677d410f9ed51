// Brenmor Torvik P55: Lynnfield processor with the P55 platform controller
// hub (PCH-VTT group). The processor's uncore answers on bus 0xFF; the
// chipset has no MMCONFIG register the SDK knows.
#include <memory>

#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/gpu/GeForceGtx285.h"
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

// Two 4 GB DDR3-1333 DIMMs without XMP, one per channel.
Ddr3SpdModule Module(uint32_t serial) {
  Ddr3SpdModule d;
  d.sizeMiB = 4096;
  d.partNumber = "TVK1333D3N9/4G";
  d.serial = serial;
  d.makerBank = 1;  // Kingston
  d.makerCode = 0x98;
  return d;
}
const SmbusPlacement kDimms[] = {
    {SmbusBus::kNoSegment, 0x50, SmbusPlacement::Kind::Ddr3Spd, Module(0x5B0C1001)},
    {SmbusBus::kNoSegment, 0x52, SmbusPlacement::Kind::Ddr3Spd, Module(0x5B0C1002)},
};

// DDR3-1333 9-9-9-24 in 2T; this firmware leaves the mode-register shadow
// empty.
const parts::NehalemImc kImc = {
    .testFunctionId = 0x2C9C, .channelIds = {0x2CA0, 0x2CA8, 0}, .channels = 2, .qclkRatio = 10,
    .uncoreRatio = 18, .cl = 9, .tRCD = 9, .tRP = 9, .tRAS = 24, .tRFC = 107, .twoT = true, .mrsShadow = false,
};

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 8);
  AddProcessors(m, NehalemBloomfieldI7_920());
  m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0xD131, 0x06000011));
  auto smbus = parts::AddIntelSouthBridge(m, 0x3B06, 0x3B30);
  ZundoSlave::Plug(m, *smbus);  // the hand-held device in its header
  PlaceSmbusSlaves(*smbus, kDimms);
  parts::AddIcs9plrs139(m, *smbus);
  InstallFintekMonitor(m, FintekF71882F::kF71889F, 0x2E, FintekF71882F::kDefaultMonitorBase, FintekWiring::PchVtt,
                       "f71882f");
  // Uncore: generic non-core registers, system address decoder, and the
  // integrated memory controller (control, address, RAS functions).
  parts::AddUncore(m, 0xFF, 0, 0, 0x2C51, true);
  parts::AddUncore(m, 0xFF, 0, 1, 0x2C81, true);
  parts::AddUncore(m, 0xFF, 3, 0, 0x2C98, true);
  parts::AddUncore(m, 0xFF, 3, 1, 0x2C99, true);
  parts::AddNehalemMemoryController(m, 0xFF, kImc);
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Core(TM) i7 CPU 860 @ 2.80GHz", 133, 2800, 4, 2048));
  InstallAcpiFirmware(m, {parts::kPmBase});
  // A GeForce GTX 285 of another maker in the processor's x16 slot.
  AddGeForceGtx285(m, 1, 0xF0000000);
}

}  // namespace

extern const BoardDescription kBrenmorP55 = {
    "brenmor-p55", "Brenmor", "Torvik P55 0301144D0032M", 0x9F899DA0, "PCH-VTT",
    "Intel P55 PCH, Lynnfield uncore on bus 0xFF (Core i7-920 stands in)", &Build,
};

}  // namespace emu::boards
