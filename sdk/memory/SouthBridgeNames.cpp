// South bridges (ISA/LPC bridges) by PCI vendor and device.
#include <cstdio>

#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/memory/CChipsetInterface.h"

namespace {

struct Row {
  uint16_t device;
  const char* name;
};

constexpr Row kIntel[] = {
    {0x7000, "PIIX3"},          {0x7110, "PIIX4"},           {0x2410, "82801AA (ICH)"},
    {0x2420, "82801AB (ICH0)"}, {0x2440, "82801BA (ICH2)"},  {0x244C, "82801BAM (ICH2-M)"},
    {0x2480, "82801CA (ICH3-S)"}, {0x248C, "82801CAM (ICH3-M)"}, {0x24C0, "82801DB (ICH4)"},
    {0x24CC, "82801DBM (ICH4-M)"}, {0x24D0, "82801EB (ICH5)"}, {0x25A1, "6300ESB"},
    {0x2640, "82801FB (ICH6)"}, {0x2641, "82801FBM (ICH6-M)"}, {0x2642, "82801FW (ICH6W)"},
    {0x27B0, "82801GDH (ICH7DH)"}, {0x27B8, "82801GB (ICH7)"}, {0x27B9, "82801GBM (ICH7-M)"},
    {0x27BD, "82801GHM (ICH7-MDH)"}, {0x2810, "82801HB (ICH8)"}, {0x2811, "82801HBM (ICH8-M)"},
    {0x2812, "82801HH (ICH8DH)"}, {0x2814, "82801HO (ICH8DO)"}, {0x2815, "82801HEM (ICH8M-E)"},
    {0x2912, "82801IH (ICH9DH)"}, {0x2914, "82801IO (ICH9DO)"}, {0x2916, "82801IR (ICH9R)"},
    {0x2917, "82801IEM (ICH9M-E)"}, {0x2918, "82801IB (ICH9)"}, {0x2919, "82801IBM (ICH9M)"},
    {0x3A14, "82801JDO (ICH10DO)"}, {0x3A16, "82801JR (ICH10R)"}, {0x3A18, "82801JB (ICH10)"},
    {0x3A1A, "82801JD (ICH10D)"}, {0x3B02, "P55"},            {0x3B03, "PM55"},
    {0x3B06, "H55"},            {0x3B07, "QM57"},            {0x3B08, "H57"},
    {0x3B09, "HM55"},           {0x3B0A, "Q57"},             {0x3B0B, "HM57"},
    {0x3B14, "3420"},           {0x3B16, "3450"},            {0x1C44, "Z68"},
    {0x1C46, "P67"},            {0x1C47, "UM67"},            {0x1C49, "HM65"},
    {0x1C4A, "H67"},            {0x1C4B, "HM67"},            {0x1C4C, "Q65"},
    {0x1C4D, "QS67"},           {0x1C4E, "Q67"},             {0x1C4F, "QM67"},
    {0x1C50, "B65"},            {0x1C52, "C202"},            {0x1C54, "C204"},
    {0x1C56, "C206"},           {0x1C5C, "H61"},             {0x1D40, "X79"},
    {0x1D41, "X79"},            {0x1E44, "Z77"},             {0x1E46, "Z75"},
    {0x1E47, "Q77"},            {0x1E48, "Q75"},             {0x1E49, "P75/B75"},
    {0x1E4A, "H77"},            {0x1E53, "C216"},            {0x1E55, "QM77"},
    {0x1E57, "HM77"},           {0x1E5D, "HM75"},            {0x1E5E, "HM70"},
    {0x1E5F, "NM70"},           {0x8C44, "Z87"},             {0x8C4A, "H87"},
    {0x8C4E, "Q87"},            {0x8C50, "B85"},             {0x8C5C, "H81"},
};
constexpr Row kAmd[] = {{0x4377, "SB400"}, {0x438D, "SB600"}, {0x439D, "SB7x0/SB8x0/SB9x0"}, {0x780E, "FCH"}};
constexpr Row kVia[] = {{0x3074, "VT8233"}, {0x3147, "VT8233A"}, {0x3177, "VT8235"},
                        {0x3227, "VT8237"}, {0x3337, "VT8237A"}, {0x3287, "VT8251"}};
constexpr Row kAli[] = {{0x1533, "M1533"}, {0x1563, "M1563"}};
constexpr Row kNvidia[] = {{0x0050, "nForce4"}, {0x0360, "MCP55"}};
constexpr Row kSis[] = {{0x0008, "SiS96x"}};
constexpr Row kCompaq[] = {{0x0007, "Triflex"}};
constexpr Row kCyrix[] = {{0x0100, "Cx5530"}};
constexpr Row kServerWorks[] = {{0x0200, "OSB4"}, {0x0201, "CSB5"}};

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
constexpr Vendor kVendors[] = {
    Table(0x8086, "Intel", kIntel),   Table(0x1022, "AMD", kAmd),       Table(0x1002, "ATI", kAmd),
    Table(0x1106, "VIA", kVia),       Table(0x10B9, "ALi", kAli),       Table(0x10DE, "NVIDIA", kNvidia),
    Table(0x1039, "SiS", kSis),       Table(0x0E11, "Compaq", kCompaq), Table(0x1078, "Cyrix", kCyrix),
    Table(0x1166, "ServerWorks", kServerWorks),
};

// 6-series steppings by revision.
void SixSeriesStepping(CSouthBridge& bridge, uint16_t device, uint8_t revision) {
  const bool sixSeries = device == 0x1C44 || device == 0x1C46 || device == 0x1C4A || device == 0x1C4B ||
                         device == 0x1C4C || device == 0x1C4E || device == 0x1C5C;
  const char* stepping = nullptr;
  if (sixSeries) stepping = revision == 3 ? "B1" : revision == 4 ? "B2" : revision == 5 ? "B3" : nullptr;
  if (device == 0x1C49 && revision == 4) stepping = "B2";
  if (stepping) std::snprintf(bridge.revisionName, sizeof(bridge.revisionName), "%s", stepping);
}

}  // namespace

void IdentifySouthBridge(CSouthBridge& bridge) {
  CPCIDevice* d = bridge.device;
  if (!d) return;
  const uint16_t vendor = d->VendorId(), device = d->DeviceId();
  for (const Vendor& v : kVendors) {
    if (v.id != vendor) continue;
    std::snprintf(bridge.vendorName, sizeof(bridge.vendorName), "%s", v.name);
    for (size_t i = 0; i < v.count; ++i)
      if (v.rows[i].device == device) {
        std::snprintf(bridge.chipName, sizeof(bridge.chipName), "%s", v.rows[i].name);
        break;
      }
    if (vendor == 0x8086) SixSeriesStepping(bridge, device, d->commonHeader ? d->commonHeader->revision : 0xFF);
    break;
  }
}
