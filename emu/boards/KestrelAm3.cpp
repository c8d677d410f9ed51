// Kestrel 790X AM3: another maker's Socket AM3 board with a Phenom
// II X4 955. Its id is in no vendor group; it carries the processor, the
// host bridge, the ACPI power-management timer and the firmware tables, and
// no monitoring chips.
#include <memory>

#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/gpu/RadeonHd4870.h"
#include "emu/PciFunction.h"
#include "emu/boards/ChipsetParts.h"
#include "emu/chips/AcpiPmBlock.h"
#include "emu/firmware/AcpiTables.h"
#include "emu/firmware/SmbiosTable.h"

namespace emu::boards {

namespace {

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 4);
  AddProcessors(m, PhenomIIX4_955());
  // 790X host bridge.
  m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x1002, 0x5957, 0x06000000));
  m.AddPortDevice(parts::kPmBase, AcpiPmBlock::kSize, std::make_shared<AcpiPmBlock>(m.Time()));
  InstallSmbios(m, BoardSmbios(m, "AMD Phenom(tm) II X4 955 Processor", 200, 3200, 2, 2048));
  InstallAcpiFirmware(m, {parts::kPmBase});
  AddRadeonHd4870(m, 1, 0xF0100000, 0xD0000000);
}

}  // namespace

extern const BoardDescription kKestrelAm3 = {
    "kestrel-am3", "Kestrel Technology", "Kestrel 790X AM3 1=00124<0001", 0x57EC2B10, "other",
    "another maker's board: AMD 790X, Socket AM3 with a Phenom II X4 955", &Build,
};

}  // namespace emu::boards
