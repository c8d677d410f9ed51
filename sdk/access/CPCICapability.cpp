#include "sdk/access/CPCICapability.h"

#include "sdk/access/CPCIDevice.h"

// Fields are read from aligned dwords whatever the space does with an
// unaligned register, so that every path gives the same bytes.
uint8_t CPCICapability::Byte(CPCIDevice* d, int rel) const {
  uint32_t at = static_cast<uint32_t>(offset + rel), v = 0xFFFFFFFF;
  if (!d->ReadConfig(at & ~3u, &v)) return 0xFF;
  return static_cast<uint8_t>(v >> (8 * (at & 3)));
}
uint16_t CPCICapability::Word(CPCIDevice* d, int rel) const {
  return static_cast<uint16_t>(Byte(d, rel) | Byte(d, rel + 1) << 8);
}
uint32_t CPCICapability::Dword(CPCIDevice* d, int rel) const {
  return static_cast<uint32_t>(Word(d, rel)) | static_cast<uint32_t>(Word(d, rel + 2)) << 16;
}

void CPCICaps_PM::ReadCapability(CPCIDevice* d) {
  static const char* const kRevisions[] = {"", "1.0", "1.1", "1.2"};
  int v = Byte(d, 2) & 7;
  revision = v < 4 ? kRevisions[v] : "";
}

namespace {
int HighestRate(uint8_t bits, bool agp3) {
  if (agp3) return bits & 2 ? 8 : bits & 1 ? 4 : 0;
  return bits & 4 ? 4 : bits & 2 ? 2 : bits & 1 ? 1 : 0;
}
}  // namespace

void CPCICaps_AGP::ReadCapability(CPCIDevice* d) {
  version = Byte(d, 2);
  uint8_t status = Byte(d, 4), command = Byte(d, 8);
  bool mode3 = (status & 8) != 0;
  supportedRate = HighestRate(status & 7, mode3);
  enabledRate = HighestRate(command & 7, mode3);
  requestDepth = Byte(d, 7) + 1;
  requestDepthEnabled = Byte(d, 17) + 1;
  fastWritesSupported = status & 0x10;
  fastWritesEnabled = command & 0x10;
  above4GSupported = status & 0x20;
  above4GEnabled = command & 0x20;
  sidebandSupported = Byte(d, 5) & 2;
  sidebandEnabled = Byte(d, 9) & 2;
  agp3Mode = (version >> 4) == 3 && mode3;
  enabled = Byte(d, 9) & 1;
}

void CPCICaps_HT::ReadCapability(CPCIDevice* d) {
  static const int kWidth[8] = {8, 16, -1, 32, 2, 4, -1, -1};
  uint16_t command = Word(d, 2);
  interfaceType = command < 0x2000 ? 0 : command < 0x4000 ? 1 : command >> 11;
  if (interfaceType == 0) {
    length = 28;
    // Link configuration: the widths in use are bits 8-10 (in) and 12-14
    // (out); the low byte holds the maximum widths.
    uint16_t widths = Word(d, 10);
    linkWidthIn = kWidth[(widths >> 8) & 7];
    linkWidthOut = kWidth[(widths >> 12) & 7];
    uint8_t rev = Byte(d, 12);
    revisionMajor = rev >> 5;
    revisionMinor = rev & 0x1F;
    frequencyCode0 = Byte(d, 13);
    frequencyCode1 = Byte(d, 17);
  } else if (interfaceType == 1) {
    length = 24;
    deviceNumber = (command >> 2) & 0x1F;
    uint8_t rev = Byte(d, 8);
    revisionMajor = rev >> 5;
    revisionMinor = rev & 0x1F;
    frequencyCode0 = Byte(d, 9);
  }
}

void CPCICaps_VD::ReadCapability(CPCIDevice* d) { length = Byte(d, 2); }

void CPCICaps_SVID::ReadCapability(CPCIDevice* d) {
  uint32_t v = Dword(d, 4);
  subsystemVendorId = static_cast<uint16_t>(v);
  subsystemId = static_cast<uint16_t>(v >> 16);
}

void CPCICaps_PCIE::ReadCapability(CPCIDevice* d) {
  uint16_t caps = Word(d, 2);
  version = caps & 0xF;
  portType = (caps >> 4) & 0xF;
  if (portType == 4 || portType == 6) slotImplemented = caps & 0x100;
  uint32_t link = Dword(d, 0xC);
  maxLinkWidth = (link >> 4) & 0x3F;
  portNumber = link >> 24;
  linkWidth = (Word(d, 0x12) >> 4) & 0x3F;
  slotPowerBits = (Dword(d, 0x14) >> 22) & 0x3F;
  presenceDetect = Word(d, 0x1A) & 0x40;
}

void CPCICaps_RootLinkDecl::ReadCapability(CPCIDevice* d) {
  uint32_t v = Dword(d, 4);
  linkEntries = (v >> 8) & 0xFF;
  portNumber = v >> 24;
  length = (linkEntries + 1) * 16;
}

void CPCICaps_VendorSpecific::ReadCapability(CPCIDevice* d) {
  uint32_t v = Dword(d, 4);
  vendorSpecificId = v & 0xFFFF;
  length = v >> 20;
}

CPCICapability* CPCICapability::Create(int32_t id) {
  switch (id) {
    case 0x01: return new CPCICaps_PM();
    case 0x02: return new CPCICaps_AGP();
    case 0x03: return new CPCICaps_VPD();
    case 0x04: return new CPCICaps_SlotID();
    case 0x05: return new CPCICaps_MSI();
    case 0x06: return new CPCICaps_CHSWP();
    case 0x07: return new CPCICaps_PCIX();
    case 0x08: return new CPCICaps_HT();
    case 0x09: return new CPCICaps_VD();
    case 0x0A: return new CPCICaps_DBG();
    case 0x0D: return new CPCICaps_SVID();
    case 0x0E: return new CPCICaps_AGP8X();
    case 0x0F: return new CPCICaps_SD();
    case 0x10: return new CPCICaps_PCIE();
    case 0x11: return new CPCICaps_MSIX();
    default: return new CPCICapability(id);
  }
}

CPCICapability* CPCICapability::CreateExtended(int32_t id) {
  switch (id) {
    case 0x0001: return new CPCICaps_AdvError();
    case 0x0002: return new CPCICaps_VChannel();
    case 0x0003: return new CPCICaps_SerialNumber();
    case 0x0004: return new CPCICaps_PowerBudgeting();
    case 0x0005: return new CPCICaps_RootLinkDecl();
    case 0x000B: return new CPCICaps_VendorSpecific();
    default: return new CPCICapability(id);
  }
}

namespace {
struct CapName {
  int32_t id;
  const char* name;
};
constexpr CapName kNames[] = {
    {0x01, "Power Management"}, {0x02, "AGP"}, {0x03, "Vital Product Data"}, {0x04, "Slot Identification"},
    {0x05, "MSI"}, {0x06, "CompactPCI Hot Swap"}, {0x07, "PCI-X"}, {0x08, "HyperTransport"},
    {0x09, "Vendor Specific"}, {0x0A, "Debug port"}, {0x0D, "Subsystem ID"}, {0x0E, "AGP 8x"},
    {0x0F, "Secure Device"}, {0x10, "PCI Express"}, {0x11, "MSI-X"}, {-1, nullptr},
};
constexpr CapName kExtendedNames[] = {
    {0x0001, "Advanced Error Reporting"}, {0x0002, "Virtual Channel"}, {0x0003, "Device Serial Number"},
    {0x0004, "Power Budgeting"}, {0x0005, "Root Complex Link Declaration"}, {0x000B, "Vendor Specific"},
    {-1, nullptr},
};
const char* Lookup(const CapName* table, int32_t id) {
  for (; table->id != -1; ++table)
    if (table->id == id) return table->name;
  return "Unknown";
}
}  // namespace

const char* CPCICapability::Name(int32_t id) { return Lookup(kNames, id); }
const char* CPCICapability::ExtendedName(int32_t id) { return Lookup(kExtendedNames, id); }
