// Brenmor Torvik X58: Intel X58 I/O hub with ICH10R, one Core i7-920.
#include <memory>

#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/gpu/BrenmorGtx480.h"
#include "emu/boards/BoardMonitoring.h"
#include "emu/boards/ChipsetParts.h"
#include "emu/boards/ClockParts.h"
#include "emu/chips/AcpiPmBlock.h"
#include "emu/chips/FintekF71882F.h"
#include "emu/chips/Ich10r.h"
#include "emu/firmware/AcpiTables.h"
#include "emu/firmware/SmbiosTable.h"
#include "emu/smbus/SmbusPlacement.h"
#include "emu/smbus/ZundoSlave.h"
#include "boardid/BoardVendor.h"

namespace emu::boards {

namespace {

constexpr uint16_t kPmBase = 0x0400;

const Ich10rOptions kIch10r = [] {
  Ich10rOptions o;
  o.pmBase = kPmBase;
  o.subsystemVendor = kBoardVendorPciSubsystemId;
  o.subsystemDevice = kBoardVendorIch10rMuxSubsystemDevice;
  o.gpio[1] = {.useSel = 0x00300000, .ioSel = 0xFFFFFFFF, .level = 0};  // GPIO 52/53: GPIO inputs, low
  o.mux = SmbusGpioMux{};
  return o;
}();

// A triple-channel kit: one 2 GB DDR3-1333 DIMM with an XMP DDR3-1600
// profile and a thermal sensor in the first slot of each channel (SPD at
// 0x50, 0x52, 0x54) on the common segment; behind the switch the same
// address on both segments, each answering with its own identification
// bytes: a plain register device on segment 0 (no monitoring chip: the IOH
// group's boards carry none on the SMBus), a placeholder answering with a
// W83795G's identification on segment 1.
Ddr3SpdModule Kit(uint32_t serial) {
  Ddr3SpdModule d;
  d.partNumber = "TVK3X1600C9-2GX";
  d.serial = serial;
  d.makerBank = 2;  // Corsair
  d.makerCode = 0x9E;
  d.xmp = true;
  return d;
}
const SmbusPlacement kSmbusSlaves[] = {
    {SmbusBus::kNoSegment, 0x50, SmbusPlacement::Kind::Ddr3Spd, Kit(0x0A0B0C01)},
    {SmbusBus::kNoSegment, 0x52, SmbusPlacement::Kind::Ddr3Spd, Kit(0x0A0B0C02)},
    {SmbusBus::kNoSegment, 0x54, SmbusPlacement::Kind::Ddr3Spd, Kit(0x0A0B0C03)},
    {0, 0x2D, SmbusPlacement::Kind::Registers, {}, {{0xFD, 0x00}, {0xFE, 0x2D}}},
    {1, 0x2D, SmbusPlacement::Kind::Registers, {}, {{0xFD, 0x5C}, {0xFE, 0x79}}},
};

// The controller runs the modules at their JEDEC DDR3-1333 9-9-9-24.
const parts::NehalemImc kImc = {
    .testFunctionId = 0x2C1C, .channelIds = {0x2C20, 0x2C28, 0x2C30}, .channels = 3, .qclkRatio = 10,
    .uncoreRatio = 16, .cl = 9, .tRCD = 9, .tRP = 9, .tRAS = 24, .tRFC = 107, .twoT = false,
};

void Build(EmulatedMachine& m) {
  // Memory: 6 GB in three channels; the legacy hole and the PCI hole below 4 GB.
  m.AddRam(0x00000000, 0x000A0000);
  m.AddRam(0x000E0000, 0x00020000);  // firmware area (SMBIOS, ACPI pointers)
  m.AddRam(0x00100000, 0xBFF00000 - 0x00100000);
  m.AddRam(0x100000000ull, 0x140000000ull);
  m.SetInstalledMemory(6ull << 30);

  AddProcessors(m, NehalemBloomfieldI7_920());

  // X58 I/O hub; ICH10R with the vendor's SMBus switch on GPIO 52/53 (both
  // pins inputs and low until software drives them), its slaves and the
  // Fintek Super I/O.
  m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x3405, 0x06000013));
  // The hub's control, status and RAS registers: QPIFREQSEL (0xD0 bits 1:0)
  // 00b, the i7-920's 4.8 GT/s link.
  m.AddPciFunction(std::make_unique<PciFunction>(0, 20, 2, 0x8086, 0x3423, 0x08000013)).Set32(0xD0, 0);
  auto ich = AddIch10rSouthBridge(m, kIch10r);
  PlaceSmbusSlaves(*ich.smbus, kSmbusSlaves);
  ZundoSlave::Plug(m, *ich.smbus);  // the hand-held device in its header
  parts::AddIcs9plrs133(m, *ich.smbus);
  auto sio = FintekF71882F::Install(m, FintekF71882F::kF71882F, 0x2E);
  AttachIohBoardMonitor(m, sio->DeviceBase(FintekF71882F::kMonitorLdn));
  InstallAcpiFirmware(m, {kPmBase});

  // Two of the vendor's own GTX 480 cards in SLI, on the I/O hub's first two x16 ports.
  AddBrenmorGtx480(m, 3, 0xF0000000);
  AddBrenmorGtx480(m, 4, 0xF1000000);

  // Bloomfield uncore on bus 0xFF: QPI generic registers and the integrated
  // memory controller. The X58 has no MMCONFIG register the SDK reads.
  parts::AddUncore(m, 0xFF, 0, 0, 0x2C41, true);
  parts::AddUncore(m, 0xFF, 3, 0, 0x2C18, true);
  parts::AddUncore(m, 0xFF, 3, 1, 0x2C19, true);
  parts::AddNehalemMemoryController(m, 0xFF, kImc);
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Core(TM) i7 CPU 920 @ 2.67GHz", 133, 2666, 6, 1024));
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
