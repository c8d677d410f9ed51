// Brenmor Torvik X79 with the Silego SLG505YC264B generator (PCH-VCCIO
// group): the processor's bus clock is the generator's output times the
// processor-clock strap of the device at 0x6D.
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
#include "emu/smbus/ZundoSlave.h"


namespace emu::boards {

namespace {

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 16);
  AddProcessors(m, NehalemBloomfieldI7_920());
  m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x3C00, 0x06000007));
  parts::AddRootPort(m, 1, 0, 0x3C02);
  auto& iio = m.AddPciFunction(std::make_unique<PciFunction>(0, 5, 0, 0x8086, 0x3C28, 0x08800007));
  iio.Set32(0x84, parts::kMmconfigBase | 0x1);
  auto smbus = parts::AddIntelSouthBridge(m, 0x1D41, 0x1D22);
  ZundoSlave::Plug(m, *smbus);  // the hand-held device in its header
  // The processor runs at 1.25 times the generator (strap code 0xA6).
  auto strap = parts::AddClockStrap(m, *smbus, 0xA6);
  // Strap code 5 (100 MHz base), fine steps.
  parts::AddSlg505yc264b(m, *smbus, 5, true, strap);
  InstallFintekMonitor(m, FintekF71882F::kF71889A, 0x2E, FintekF71882F::kDefaultMonitorBase,
                       FintekWiring::PchVccio, "f71882f");
  parts::AddUncore(m, 0xFF, 0x0F, 0, 0x3CA8, true);
  parts::AddUncore(m, 0xFF, 0x0F, 1, 0x3C71, true);
  parts::AddMmconfig(m, parts::kMmconfigBase, 256);
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Core(TM) i7-3930K CPU @ 3.20GHz", 100, 3200, 8, 2048));
  InstallAcpiFirmware(m, {parts::kPmBase});
}

}  // namespace

extern const BoardDescription kBrenmorX79Silego = {
    "brenmor-x79-slg", "Brenmor", "Torvik X79 SG 014L000321200", 0x07FCD4D0, "PCH-VCCIO",
    "Intel X79 PCH with a Silego SLG505YC264B generator and the 0x6D clock strap (Core i7-920 stands in)", &Build,
};

}  // namespace emu::boards
