// Brenmor Torvik X58: Intel X58 I/O hub with ICH10R, one Core i7-920.
#include <memory>

#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/chips/AcpiPmBlock.h"

namespace emu::boards {

namespace {

constexpr uint16_t kPmBase = 0x0400;
constexpr uint16_t kSmbusBase = 0x0500;

void Build(EmulatedMachine& m) {
  // Memory: 6 GB in three channels; the legacy hole and the PCI hole below 4 GB.
  m.AddRam(0x00000000, 0x000A0000);
  m.AddRam(0x000E0000, 0x00020000);  // firmware area (SMBIOS, ACPI pointers)
  m.AddRam(0x00100000, 0xBFF00000 - 0x00100000);
  m.AddRam(0x100000000ull, 0x140000000ull);
  m.SetInstalledMemory(6ull << 30);

  AddProcessors(m, NehalemBloomfieldI7_920());

  // X58 I/O hub, ICH10R LPC bridge, SMBus controller.
  m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x3405, 0x06000013));
  auto& lpc = m.AddPciFunction(std::make_unique<PciFunction>(0, 0x1F, 0, 0x8086, 0x3A16, 0x06010000, 0x80));
  lpc.Set32(0x40, kPmBase | 1);  // ACPI base address
  lpc.Set8(0x44, 0x80);          // ACPI decode enable
  auto& smbus = m.AddPciFunction(std::make_unique<PciFunction>(0, 0x1F, 3, 0x8086, 0x3A30, 0x0C050000));
  smbus.Set32(0x20, kSmbusBase | 1);
  smbus.Set16(0x04, 0x0001);
  smbus.Set8(0x40, 0x01);  // host enable

  m.AddPortDevice(kPmBase, AcpiPmBlock::kSize, std::make_shared<AcpiPmBlock>(m.Time()));
}

}  // namespace

extern const BoardDescription kBrenmorX58 = {
    "brenmor-x58",
    "Brenmor",
    "Torvik X58 0E0011M=0011",
    0x27F0AF90,
    "IOH",
    "Intel X58 + ICH10R, Core i7-920 (Nehalem, 4 cores, 8 threads)",
    &Build,
};

}  // namespace emu::boards
