// Kestrel KX38-DQ6 Ultra: another maker's board with the Intel X38 memory
// controller hub and ICH9R. Not one of the vendor's boards: its id is in no
// vendor group.
#include <memory>

#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/boards/ChipsetParts.h"
#include "emu/firmware/AcpiTables.h"
#include "emu/firmware/SmbiosTable.h"

namespace emu::boards {

namespace {

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 4);
  AddProcessors(m, NehalemBloomfieldI7_920());
  auto& mch = m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x29E0, 0x06000001));
  mch.Set32(0x60, parts::kMmconfigBase | 1);
  parts::AddRootPort(m, 1, 0, 0x29E1);
  parts::AddIntelSouthBridge(m, 0x2916, 0x2930);
  parts::AddMmconfig(m, parts::kMmconfigBase, 256);
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Core(TM)2 Extreme CPU X9650 @ 3.00GHz", 333, 3000, 4, 1024));
  InstallAcpiFirmware(m, {parts::kPmBase});
}

}  // namespace

extern const BoardDescription kKestrelX38 = {
    "kestrel-x38", "Kestrel Technology", "KX38-DQ6 Ultra", 0x23236EA6, "other",
    "another maker's board: Intel X38 + ICH9R (Core i7-920 stands in)", &Build,
};

}  // namespace emu::boards
