// Brenmor Torvik P45: Intel P45 memory controller hub with ICH10R (NB group).
#include <memory>

#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/boards/BoardMonitoring.h"
#include "emu/boards/BoardRegulators.h"
#include "emu/boards/ChipsetParts.h"
#include "emu/boards/ClockParts.h"
#include "emu/chips/FintekF71882F.h"
#include "emu/firmware/AcpiTables.h"
#include "emu/firmware/SmbiosTable.h"
#include "emu/smbus/SmbusPlacement.h"
#include "emu/smbus/ZundoSlave.h"

namespace emu::boards {

namespace {

// Two 2 GB DDR2-800 DIMMs with NVIDIA EPP profiles, one per channel.
Ddr2SpdModule Module(uint32_t serial) {
  Ddr2SpdModule d;
  d.partNumber = "TVK2-1066C5D-4GE";
  d.serial = serial;
  d.makerBank = 2;  // Corsair
  d.makerCode = 0x9E;
  d.epp = true;
  return d;
}
const SmbusPlacement kDimms[] = {
    {SmbusBus::kNoSegment, 0x50, SmbusPlacement::Kind::Ddr2Spd, {}, {}, Module(0x00C0FFEE)},
    {SmbusBus::kNoSegment, 0x52, SmbusPlacement::Kind::Ddr2Spd, {}, {}, Module(0x00C0FFEF)},
};

// The MCH runs the modules at DDR2-800 5-5-5-18 2T in both channels.
const parts::Core2Imc kImc = {.series4 = true, .ddr3 = false, .cl = 5, .tRCD = 5, .tRP = 5, .tRAS = 18,
                              .tRFC = 51, .twoT = true, .memoryCode = 3};

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 4);
  AddProcessors(m, NehalemBloomfieldI7_920());
  // The MCH is host bridge and memory controller; PCIEXBAR at 0x60: 256 MB
  // at kMmconfigBase, enabled.
  auto& mch = m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x2E20, 0x06000002));
  mch.SetSubsystem(0x1B3F, 0x2E20);
  mch.Set32(0x60, parts::kMmconfigBase | 1);
  parts::AddCore2MemoryController(m, mch, 0xFED14000, kImc);
  parts::AddRootPort(m, 1, 0, 0x2E21);
  auto smbus = parts::AddIntelSouthBridge(m, 0x3A18, 0x3A30);
  ZundoSlave::Plug(m, *smbus);  // the hand-held device in its header
  PlaceSmbusSlaves(*smbus, kDimms);
  parts::AddIcs9plrs139(m, *smbus);
  InstallP45Regulator(m, *smbus);
  InstallFintekMonitor(m, FintekF71882F::kF71882F, 0x2E, FintekF71882F::kDefaultMonitorBase, FintekWiring::Nb,
                       "f71882f");
  parts::AddMmconfig(m, parts::kMmconfigBase, 256);
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Core(TM)2 Quad CPU Q9650 @ 3.00GHz", 333, 3000, 4, 2048));
  InstallAcpiFirmware(m, {parts::kPmBase});
}

}  // namespace

extern const BoardDescription kBrenmorP45 = {
    "brenmor-p45", "Brenmor", "Torvik P45 0301004F0013M8", 0x938A7FD8, "NB",
    "Intel P45 + ICH10R (Core i7-920 stands in for the processor)", &Build,
};

}  // namespace emu::boards
