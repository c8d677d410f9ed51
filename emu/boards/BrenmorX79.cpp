// Brenmor Torvik X79: Sandy Bridge-E processor with the X79 platform
// controller hub (VSA group). MMCONFIG is read from the processor's
// integrated I/O (00:05.0, register 0x84); the memory controller is uncore.
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

namespace emu::boards {

namespace {

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 16);
  AddProcessors(m, SandyBridgeEI7_3930K());
  m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x3C00, 0x06000007));
  parts::AddRootPort(m, 1, 0, 0x3C02);
  auto& iio = m.AddPciFunction(std::make_unique<PciFunction>(0, 5, 0, 0x8086, 0x3C28, 0x08800007));
  iio.Set32(0x84, parts::kMmconfigBase | 0x1);
  auto smbus = parts::AddIntelSouthBridge(m, 0x1D41, 0x1D22);
  parts::AddClockStrap(m, *smbus, 0xE0);
  InstallFintekMonitor(m, FintekF71882F::kF71889A, 0x2E, FintekF71882F::kDefaultMonitorBase, FintekWiring::Vsa,
                       "f71882f");
  AttachBoardNct7802(m, *smbus, 0x28);
  AttachBoardNct7802(m, *smbus, 0x2D);
  parts::AddUncore(m, 0xFF, 0x0F, 0, 0x3CA8, true);  // memory controller
  parts::AddUncore(m, 0xFF, 0x0F, 1, 0x3C71, true);  // RAS
  parts::AddMmconfig(m, parts::kMmconfigBase, 256);
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Core(TM) i7-3930K CPU @ 3.20GHz", 100, 3200, 8, 2048));
  InstallAcpiFirmware(m, {parts::kPmBase});
}

}  // namespace

extern const BoardDescription kBrenmorX79 = {
    "brenmor-x79", "Brenmor", "Torvik X79 0601022F0021", 0x0AAB5410, "VSA",
    "Intel X79 PCH, Sandy Bridge-E IIO with MMCONFIG at 00:05.0, Core i7-3930K", &Build,
};

}  // namespace emu::boards
