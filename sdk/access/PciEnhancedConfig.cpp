// Where each chipset keeps its enhanced (memory-mapped) configuration base:
// which register of which function, and how the base is derived from it.
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/access/CPCIInterface.h"

namespace {

enum class Rule {
  MaskF0000000,        // value & 0xF0000000
  MaskFFE00000,        // value & 0xFFE00000
  Nibble28,            // (value & 0xF) << 28
  Bits10_28,           // (value & 0x3FF) << 28
  Byte28,              // (value & 0xFF) << 28
  ByteShift3_28,       // ((value >> 3) & 0xFF) << 28
  NvSizeCoded,         // by value & 3, see below
  Byte25,              // (value & 0xFF) << 25
  IntelPciexbar,       // enable bit 0, size in bits 1-2
  Shift12_28,          // (value >> 12) << 28
  Word16,              // (value & 0xFFFF) << 16
  Shift12_28IfEnabled, // bit 0 set: (value >> 12) << 28
  MaskFC000000Valid,   // not 0 / all ones: value & 0xFC000000
};

struct EnhancedConfigRow {
  uint16_t vendor;
  uint16_t devices[12];  // ended by 0
  uint32_t reg;
  Rule rule;
  bool functionZeroOnly;
  bool fixedLocation;  // read at bus 0, device 5, function 0
};

constexpr EnhancedConfigRow kRows[] = {
    {0x1002, {0x5950, 0x5951, 0x5A31, 0x5A33, 0x7910}, 0x1C, Rule::MaskF0000000, false, false},
    {0x1002, {0x5952, 0x5953, 0x5956, 0x5957, 0x5958, 0x7930, 0x7931}, 0x1C, Rule::MaskFFE00000, false, false},
    {0x1039, {0x0649, 0x0650, 0x0656}, 0xE0, Rule::Nibble28, false, false},
    {0x10DE, {0x005E}, 0x90, Rule::Bits10_28, false, false},
    {0x10DE, {0x0070, 0x0071}, 0x88, Rule::Byte28, false, false},
    {0x10DE, {0x02F0, 0x02F1, 0x02F3, 0x02F4, 0x02F5, 0x02F7, 0x0369, 0x0444}, 0x90, Rule::ByteShift3_28, false, false},
    {0x10DE, {0x03A1, 0x03A2, 0x03A3, 0x07C0}, 0x88, Rule::ByteShift3_28, false, false},
    {0x10DE, {0x0A80, 0x0A82}, 0x88, Rule::NvSizeCoded, false, false},
    {0x10DE, {0x0D60}, 0x64, Rule::Byte25, false, false},
    {0x1106, {0x324B}, 0x41, Rule::Nibble28, false, false},
    {0x1106, {0x5238, 0x5308, 0x5327, 0x5351, 0x5364}, 0x61, Rule::Nibble28, false, false},
    {0x8086, {0x0100, 0x2980, 0x2990, 0x29A0, 0x29B0, 0x29C0, 0x29D0, 0x29E0, 0x2A00, 0x2A40, 0x2E20}, 0x60,
     Rule::IntelPciexbar, false, false},
    {0x8086, {0x2580, 0x2584, 0x2590, 0x2770, 0x2774, 0x277C, 0x27A0}, 0x48, Rule::IntelPciexbar, false, false},
    {0x8086, {0x25F0}, 0x64, Rule::Shift12_28, true, false},
    {0x8086, {0x3590, 0x3592, 0x359E}, 0xCE, Rule::Word16, false, false},
    {0x8086, {0x360C, 0x4030}, 0x64, Rule::Shift12_28IfEnabled, true, false},
    {0x8086, {0x3C00}, 0x84, Rule::MaskFC000000Valid, false, true},
};

const EnhancedConfigRow* FindRow(uint16_t vendor, uint16_t device) {
  for (const auto& row : kRows) {
    if (row.vendor != vendor) continue;
    for (uint16_t id : row.devices) {
      if (!id) break;
      if (id == device) return &row;
    }
  }
  return nullptr;
}

uint32_t Derive(Rule rule, uint32_t v) {
  switch (rule) {
    case Rule::MaskF0000000: return v & 0xF0000000u;
    case Rule::MaskFFE00000: return v & 0xFFE00000u;
    case Rule::Nibble28: return (v & 0xF) << 28;
    case Rule::Bits10_28: return (v & 0x3FF) << 28;
    case Rule::Byte28: return (v & 0xFF) << 28;
    case Rule::ByteShift3_28: return ((v >> 3) & 0xFF) << 28;
    case Rule::NvSizeCoded:
      if (!v) return 0;
      switch (v & 3) {
        case 0: return ((v >> 3) & 0xFF) << 28;
        case 1: return ((v >> 2) & 0xFF) << 27;
        case 2: return ((v >> 1) & 0xFF) << 26;
        default: return (v & 0xFF) << 25;
      }
    case Rule::Byte25: return (v & 0xFF) << 25;
    case Rule::IntelPciexbar:
      if (!(v & 1)) return 0;
      switch ((v >> 1) & 3) {
        case 0: return v & 0xF0000000u;
        case 1: return v & 0xF8000000u;
        case 2: return v & 0xFC000000u;
        default: return 0;
      }
    case Rule::Shift12_28: return (v >> 12) << 28;
    case Rule::Word16: return (v & 0xFFFF) << 16;
    case Rule::Shift12_28IfEnabled: return v & 1 ? (v >> 12) << 28 : 0;
    case Rule::MaskFC000000Valid: return v && v != 0xFFFFFFFFu ? v & 0xFC000000u : 0;
  }
  return 0;
}

}  // namespace

uint32_t CPCIInterface::EnhancedBaseOf(CPCIDevice* d) {
  const EnhancedConfigRow* row = FindRow(d->VendorId(), d->DeviceId());
  if (!row || (row->functionZeroOnly && d->function != 0)) return 0;
  uint32_t bus = d->bus, dev = d->device, fn = d->function;
  if (row->fixedLocation) bus = 0, dev = 5, fn = 0;
  // Registers at unaligned offsets (0x41, 0x61, 0xCE) are taken from their
  // aligned dword, so that both configuration paths agree.
  uint32_t v = 0xFFFFFFFF;
  if (!ReadConfig(bus, dev, fn, row->reg & ~3u, &v)) return 0;
  v >>= 8 * (row->reg & 3);
  return Derive(row->rule, v);
}
