// North bridges by PCI vendor and device: names, revisions and the reader
// of the memory controller (ControllerReaders.h).
#include <cstdio>

#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/ControllerReaders.h"

namespace {

enum class Reader { None, Nehalem, UncoreRatio, Clarkdale, SandyBridge, IvyBridge, SandyBridgeE, Core2Series3,
                    Core2Series4, Atom, AmdDram, I945, I945Mobile,
                    I965, I965Mobile, Gm45, E7500, E7501, E750x, E752x, I5000, I5400, I5100, I7300,
                    I875, I855Pm, I852Gm, I915, I915Mobile, Nforce2, Nforce4Intel, ViaSdram };

struct Row {
  uint16_t device;
  const char* name;  // null: the name stays as constructed
  Reader reader;
};

// Intel host bridges and memory controller hubs, i430FX to Haswell.
constexpr Row kIntel[] = {
    {0x122D, "i430FX", Reader::None},
    {0x1250, "i430HX", Reader::None},
    {0x7030, "i430VX", Reader::None},
    {0x7100, "i430TX", Reader::None},
    {0x1237, "i440FX", Reader::None},
    {0x7180, "i440LX/EX", Reader::None},
    {0x7190, "i440BX/ZX", Reader::None},
    {0x7192, "i440BX/ZX", Reader::None},
    {0x71A0, "i440GX", Reader::None},
    {0x71A2, "i440GX", Reader::None},
    {0x7120, "i810", Reader::None},
    {0x7122, "i810-DC100", Reader::None},
    {0x7124, "i810E", Reader::None},
    {0x1130, "i815", Reader::None},
    {0x2500, "i820", Reader::None},
    {0x1A21, "i840", Reader::None},
    {0x1A30, "i845", Reader::None},
    {0x2530, "i850", Reader::None},
    {0x2531, "i860", Reader::None},
    {0x2560, "i845G/GL/GV/GE/PE", Reader::None},
    {0x2570, "i865/848", Reader::I875},
    {0x2578, "i875P", Reader::I875},
    {0x3340, "i855PM", Reader::I855Pm},
    {0x3580, "i852/855GM", Reader::I852Gm},
    {0x2540, "E7500", Reader::E7500},
    {0x254C, "E7501", Reader::E7501},
    {0x2550, "E7505", Reader::E750x},
    {0x255D, "E7205", Reader::E750x},
    {0x3590, "E7520", Reader::E752x},
    {0x3592, "E7320", Reader::E752x},
    {0x359E, "E7525", Reader::E752x},
    {0x2580, "i915P/G", Reader::I915},
    {0x2584, "i925X/XE", Reader::I915},
    {0x2588, "E7221", Reader::I915},
    {0x2590, "i915PM/GM", Reader::I915Mobile},
    {0x2770, "i945G/P/PL", Reader::I945},
    {0x2774, "i955X", Reader::None},
    {0x277C, "i975X", Reader::None},
    {0x27A0, "i945GM/PM", Reader::I945Mobile},
    {0x27AC, "i945GME", Reader::I945Mobile},
    {0x2970, "i946GZ/PL", Reader::I965},
    {0x2980, "G35", Reader::I965},
    {0x2990, "Q963/Q965", Reader::I965},
    {0x29A0, "P965/G965", Reader::I965},
    {0x2A00, "GM965/PM965", Reader::I965Mobile},
    {0x2A10, "GME965/GLE960", Reader::I965Mobile},
    {0x2A40, "GM45/PM45", Reader::Gm45},
    {0x29B0, "Q35", Reader::Core2Series3},
    {0x29C0, "P35/G33/G31", Reader::Core2Series3},
    {0x29D0, "Q33", Reader::Core2Series3},
    {0x29E0, "X38", Reader::Core2Series3},
    {0x29F0, "3200/3210", Reader::Core2Series3},
    {0x2E00, "4 Series", Reader::Core2Series4},
    {0x2E10, "Q45/Q43", Reader::Core2Series4},
    {0x2E20, "P45/P43/G45/G43", Reader::Core2Series4},
    {0x2E30, "G41", Reader::Core2Series4},
    {0x2E40, "B43", Reader::Core2Series4},
    {0x2E90, "B43", Reader::Core2Series4},
    {0xA000, "Atom Host Bridge", Reader::Atom},
    {0xA010, "Atom Host Bridge", Reader::Atom},
    {0x25C0, "5000X", Reader::I5000},
    {0x25D0, "5000Z", Reader::I5000},
    {0x25D4, "5000V", Reader::I5000},
    {0x25D8, "5000P", Reader::I5000},
    {0x65C0, "5100", Reader::I5100},
    {0x4000, "5400", Reader::I5400},
    {0x4001, "5400A", Reader::I5400},
    {0x4003, "5400B", Reader::I5400},
    {0x3600, "7300", Reader::I7300},
    {0x3400, "X58", Reader::None},
    {0x3405, "X58", Reader::None},
    {0x3403, "5500", Reader::None},
    {0x3406, "5520", Reader::None},
    {0x2C1C, nullptr, Reader::Nehalem},
    {0x2C9C, nullptr, Reader::Nehalem},
    {0x2D9C, nullptr, Reader::Nehalem},
    {0x2C61, nullptr, Reader::UncoreRatio},
    {0xD130, "DMI Host Bridge", Reader::None},
    {0xD131, "DMI Host Bridge", Reader::None},
    {0xD132, "DMI Host Bridge", Reader::None},
    {0xD134, "DMI Host Bridge", Reader::None},
    {0x0040, "Havendale/Clarkdale Host Bridge", Reader::Clarkdale},
    {0x0044, "Havendale/Clarkdale Host Bridge", Reader::Clarkdale},
    {0x0045, "Havendale/Clarkdale Host Bridge", Reader::Clarkdale},
    {0x0100, "Sandy Bridge", Reader::SandyBridge},
    {0x0104, "Sandy Bridge", Reader::SandyBridge},
    {0x0108, "Sandy Bridge-WS", Reader::SandyBridge},
    {0x0150, "Ivy Bridge", Reader::IvyBridge},
    {0x0154, "Ivy Bridge", Reader::IvyBridge},
    {0x3C00, "Sandy Bridge-E", Reader::SandyBridgeE},
    {0x0C00, "Haswell", Reader::None},
    {0x0C04, "Haswell", Reader::None},
};

constexpr Row kAmd[] = {
    {0x7006, "AMD-751", Reader::None},        {0x700C, "AMD-762", Reader::None},
    {0x700E, "AMD-761", Reader::None},        {0x1100, "K8 HyperTransport", Reader::None},
    {0x1200, "K10 HyperTransport", Reader::None}, {0x1300, "K11 HyperTransport", Reader::None},
    {0x1400, "K15 HyperTransport", Reader::None}, {0x1600, "K15 HyperTransport", Reader::None},
    {0x1102, "K8 DRAM Controller", Reader::AmdDram}, {0x1202, "K10 DRAM Controller", Reader::AmdDram},
    {0x1302, "K11 DRAM Controller", Reader::AmdDram}, {0x1702, "K12/K14 DRAM Controller", Reader::AmdDram},
    {0x1602, "K15 DRAM Controller", Reader::AmdDram}, {0x1402, "K15 DRAM Controller", Reader::AmdDram},
    {0x141C, "K15 DRAM Controller", Reader::AmdDram}, {0x1572, "K15 DRAM Controller", Reader::AmdDram},
    {0x1700, "K12/K14 HyperTransport", Reader::None},
};

constexpr Row kAti[] = {
    {0x5950, "RS480", Reader::None}, {0x5956, "RD790", Reader::None}, {0x5957, "RX790", Reader::None},
    {0x5958, "RD780", Reader::None}, {0x5A10, "RD890", Reader::None}, {0x5A11, "RD890", Reader::None},
    {0x5A12, "RD890", Reader::None}, {0x7910, "RS690", Reader::None}, {0x9600, "RS780", Reader::None},
    {0x9601, "RS880", Reader::None},
};

// The nForce parts for AMD processors (nForce3 onwards) have no memory
// controller of their own: the processor's DRAM function (0:18.2, the AMD
// rows) is read instead. Names as the PCI ID database gives them.
constexpr Row kNvidia[] = {
    {0x01E0, "nForce2", Reader::Nforce2},
    {0x0071, "nForce4 Intel Edition", Reader::Nforce4Intel},
    {0x00D1, "nForce3", Reader::None},
    {0x00E1, "nForce3 250Gb", Reader::None},
    {0x005E, "nForce4", Reader::None},
    {0x005F, "nForce4", Reader::None},
    {0x00D3, "nForce4", Reader::None},
    {0x0270, "MCP51", Reader::None},
    {0x02F0, "C51", Reader::None},
    {0x02F1, "C51", Reader::None},
    {0x02F2, "C51", Reader::None},
    {0x02F3, "C51", Reader::None},
    {0x02F4, "C51", Reader::None},
    {0x02F5, "C51", Reader::None},
    {0x02F6, "C51", Reader::None},
    {0x02F7, "C51", Reader::None},
    {0x0369, "MCP55", Reader::None},
    {0x036A, "MCP55", Reader::None},
    {0x03E2, "MCP61", Reader::None},
    {0x03EA, "MCP61", Reader::None},
    {0x0444, "MCP65", Reader::None},
    {0x0541, "MCP67", Reader::None},
    {0x0754, "MCP78S", Reader::None},
};

constexpr Row kVia[] = {
    {0x0305, "KT133", Reader::ViaSdram},   {0x0391, "KX133", Reader::ViaSdram},   {0x3099, "KT266", Reader::None},
    {0x3189, "KT400", Reader::None},       {0x0269, "KT880", Reader::None},       {0x0282, "K8T800", Reader::None},
    {0x0336, "K8M890", Reader::None},      {0x0364, "P4M900", Reader::None},
};

constexpr Row kSis[] = {
    {0x0648, "SiS648", Reader::None}, {0x0655, "SiS655", Reader::None}, {0x0661, "SiS661", Reader::None},
    {0x0755, "SiS755", Reader::None}, {0x0761, "SiS761", Reader::None},
};

constexpr Row kAli[] = {
    {0x1541, "M1541", Reader::None}, {0x1647, "M1647", Reader::None}, {0x1681, "M1681", Reader::None},
    {0x1689, "M1689", Reader::None},
};

struct Vendor {
  uint16_t id;
  const char* name;
  const Row* rows;
  size_t count;
};

template <size_t N>
constexpr Vendor Table(uint16_t id, const char* name, const Row (&rows)[N]) {
  return {id, name, rows, N};
}

constexpr Row kCompaq[] = {{0x0007, "Triflex Model 4000", Reader::None}};
constexpr Row kIbm[] = {{0x0302, "PCI-X Host Bridge", Reader::None}};
constexpr Row kCyrix[] = {{0x0001, "MediaGXm MMX", Reader::None}};
constexpr Row kServerWorks[] = {{0xFFFF, nullptr, Reader::None}};
constexpr Row kTransmeta[] = {{0x0060, "TM8000", Reader::None}, {0x0395, "LongRun", Reader::None}};
constexpr Row kNone[] = {{0xFFFF, nullptr, Reader::None}};

constexpr Vendor kVendors[] = {
    Table(0x8086, "Intel", kIntel),     Table(0x1022, "AMD", kAmd),        Table(0x1002, "ATI", kAti),
    Table(0x10DE, "NVIDIA", kNvidia),   Table(0x1106, "VIA", kVia),        Table(0x1039, "SiS", kSis),
    Table(0x10B9, "ALi", kAli),         Table(0x1025, "ALi", kAli),        Table(0x0E11, "Compaq", kCompaq),
    Table(0x1014, "IBM", kIbm),         Table(0x1078, "Cyrix", kCyrix),    Table(0x1166, "ServerWorks", kServerWorks),
    Table(0x1179, "Toshiba", kNone),    Table(0x1279, "Transmeta", kTransmeta),
};

void Run(Reader reader, CNorthBridge& bridge, CMemoryInfo& info) {
  switch (reader) {
    case Reader::None: break;
    case Reader::Nehalem: ReadNehalemController(bridge, info); break;
    case Reader::UncoreRatio: ReadNehalemUncoreRatio(bridge, info); break;
    case Reader::Clarkdale: ReadClarkdaleController(bridge, info); break;
    case Reader::SandyBridge: ReadSandyBridgeController(bridge, info); break;
    case Reader::IvyBridge: ReadIvyBridgeController(bridge, info); break;
    case Reader::SandyBridgeE: ReadSandyBridgeEController(bridge, info); break;
    case Reader::Core2Series3: ReadCore2Controller(bridge, info, Core2Hub::Series3); break;
    case Reader::Core2Series4: ReadCore2Controller(bridge, info, Core2Hub::Series4); break;
    case Reader::Atom: ReadCore2Controller(bridge, info, Core2Hub::Atom); break;
    case Reader::AmdDram: ReadAmdDramController(bridge, info); break;
    case Reader::I945: Read945Controller(bridge, info, false); break;
    case Reader::I945Mobile: Read945Controller(bridge, info, true); break;
    case Reader::I965: Read965Controller(bridge, info, false); break;
    case Reader::I965Mobile: Read965Controller(bridge, info, true); break;
    case Reader::Gm45: ReadGm45Controller(bridge, info); break;
    case Reader::E7500: ReadE750xController(bridge, info, true, true); break;
    case Reader::E7501: ReadE750xController(bridge, info, false, true); break;
    case Reader::E750x: ReadE750xController(bridge, info, false, false); break;
    case Reader::E752x: ReadE752xController(bridge, info); break;
    case Reader::I5000: ReadFbdController(bridge, info, false); break;
    case Reader::I5400: ReadFbdController(bridge, info, true); break;
    case Reader::I5100: Read5100Controller(bridge, info); break;
    case Reader::I7300: Read7300Controller(bridge, info); break;
    case Reader::I875: Read875Controller(bridge, info); break;
    case Reader::I855Pm: Read855PmController(bridge, info); break;
    case Reader::I852Gm: Read852GmController(bridge, info); break;
    case Reader::I915: Read915Controller(bridge, info, false); break;
    case Reader::I915Mobile: Read915Controller(bridge, info, true); break;
    case Reader::Nforce2: ReadNforce2Controller(bridge, info); break;
    case Reader::Nforce4Intel: ReadNforce4IntelController(bridge, info); break;
    case Reader::ViaSdram: ReadViaSdramController(bridge, info); break;
  }
}

bool PciFunctionExists(uint16_t vendor, uint16_t device) {
  auto* pci = static_cast<CPCIInterface*>(QUARNSDK::GetInstance()->FindInterface(INTERFACE_PCI));
  return pci && pci->FindPCIDevicesByID(vendor, device, nullptr) > 0;
}

// Names that depend on more than the device id.
void IntelVariants(CNorthBridge& bridge, uint16_t device, uint8_t revision) {
  switch (device) {
    case 0x29E0:  // X48 fuse in the capability register
      if (const uint32_t capability = bridge.ReadConfig(0xE8); capability != 0xFFFFFFFF && (capability & (1u << 25)))
        std::snprintf(bridge.chipName, sizeof(bridge.chipName), "X48");
      break;
    case 0x2E20:  // the G45 has its integrated graphics function
      if (PciFunctionExists(0x8086, 0x2E22)) std::snprintf(bridge.chipName, sizeof(bridge.chipName), "G45/G43");
      break;
    default: break;
  }
  if (device >= 0x29B0 && device <= 0x29E0 && revision == 2)
    std::snprintf(bridge.revisionName, sizeof(bridge.revisionName), "A2");
}

}  // namespace

void IdentifyNorthBridge(CNorthBridge& bridge, CMemoryInfo& info) {
  CPCIDevice* d = bridge.device;
  if (!d) return;
  const uint16_t vendor = d->VendorId(), device = d->DeviceId();
  const uint8_t revision = d->commonHeader ? d->commonHeader->revision : 0xFF;
  for (const Vendor& v : kVendors) {
    if (v.id != vendor) continue;
    std::snprintf(bridge.vendorName, sizeof(bridge.vendorName), "%s", v.name);
    for (size_t i = 0; i < v.count; ++i) {
      const Row& r = v.rows[i];
      if (r.device != device) continue;
      if (r.name) std::snprintf(bridge.chipName, sizeof(bridge.chipName), "%s", r.name);
      if (vendor == 0x8086) IntelVariants(bridge, device, revision);
      Run(r.reader, bridge, info);
      break;
    }
    break;
  }
}
