// Kestrel 790X AM3: another maker's Socket AM3 board with a Phenom
// II X4 955. Its id is in no vendor group; it carries the processor with
// its northbridge functions (0:18.0-4), the host bridge and its enhanced
// configuration window, the ACPI power-management timer and the firmware
// tables, and no monitoring chips.
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

// Node 0's link 0 to the 790X (function 0; family 10h BKDG): connected,
// initialised, non-coherent (F0x98), running at 2000 MHz (F0x88 Freq 1011b).
// The processor's DRAM controllers (function 2; family 10h BKDG): two
// unganged 64-bit channels of DDR3-1333 (MemClkFreq 101b, DDR3 mode, 1T),
// 9-9-9-24 with tRC 33 in F2x88, 2 Gbit devices (Trfc0 160 ns) and a
// 7.8 us refresh in F2x8C, unbuffered DIMMs in F2x90.
void AddNorthbridge(EmulatedMachine& m) {
  const uint16_t ids[5] = {0x1200, 0x1201, 0x1202, 0x1203, 0x1204};
  for (uint8_t fn = 0; fn < 5; ++fn) {
    auto& f = m.AddPciFunction(std::make_unique<PciFunction>(0, 0x18, fn, 0x1022, ids[fn], 0x06000000, 0x80));
    f.express = true;
    if (fn == 0) {
      f.Set32(0x98, 0x7);
      f.Set32(0x88, 0xB << 8);
    }
    if (fn != 2) continue;
    for (uint32_t dct : {0x000u, 0x100u}) {
      f.Set32(0x88 + dct, 5 | 4 << 4 | 4 << 7 | 9 << 12 | 22 << 16);
      f.Set32(0x8C + dct, 2u << 20 | 2u << 16);
      f.Set32(0x90 + dct, 1u << 16);
      f.Set32(0x94 + dct, 5 | 1u << 3 | 1u << 8);
    }
  }
}

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 4);
  AddProcessors(m, PhenomIIX4_955());
  AddNorthbridge(m);
  // 790X host bridge; BAR3 (0x1C) places the enhanced configuration window.
  auto& host = m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x1002, 0x5957, 0x06000000));
  host.Set32(0x1C, parts::kMmconfigBase);
  parts::AddMmconfig(m, parts::kMmconfigBase, 256);
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
