#include "sdk/access/CLPCIO.h"

#include <cstdio>

#include "sdk/access/CConfigMode.h"

namespace {

// A chip code and its name; `vendor` overrides the maker's name where the
// chip is sold under another (null = the maker's).
struct ChipName {
  int32_t code;
  const char* name;
  const char* vendor;
};

constexpr ChipName kNsChips[] = {
    {0xE0, "PC87309", nullptr}, {0xE1, "PC87360", nullptr}, {0xE4, "PC87364", nullptr}, {0xE5, "PC87365", nullptr},
    {0xE8, "PC87363", nullptr}, {0xE9, "PC87366", nullptr}, {0xEC, "PC87591", nullptr}, {0xEE, "PC87417", nullptr},
    {0xF0, "PC87372", nullptr}, {0xF1, "PC8374L", nullptr}, {0xF2, "PC87427", nullptr}, {-1, nullptr, nullptr},
};
constexpr ChipName kWinbondChips[] = {
    {0x52, "W83627HF", nullptr},   {0x59, "AS99127F", "AsusTek"}, {0x60, "W83697HF", nullptr},
    {0x70, "W83637HF", nullptr},   {0x82, "W83627THF", nullptr},  {0x85, "W83687THF", nullptr},
    {0x87, "ASB100", "AsusTek"},   {0x88, "W83627EHF", nullptr},  {0xA0, "W83627DHG", nullptr},
    {0xA2, "W83627UHG", nullptr},  {0xA5, "W83667HG", nullptr},   {0xB0, "W83627DHG-P", nullptr},
    {0xB3, "W83667HG-A", nullptr}, {0xB4, "NCT6771", "Nuvoton"},  {0xC3, "NCT6776", "Nuvoton"},
    {-1, nullptr, nullptr},
};
constexpr ChipName kFintekChips[] = {
    {0x0341, "F71872F", nullptr},  {0x0406, "F71805F", nullptr},  {0x0501, "F71862F", nullptr},
    {0x0507, "F71858DG", nullptr}, {0x0541, "F71882F", nullptr},  {0x0581, "F8000", nullptr},
    {0x0601, "F71862FG", nullptr}, {0x0704, "F81865F", nullptr},  {0x0723, "F71889F", nullptr},
    {0x0814, "F71869", nullptr},   {0x0901, "F71808E", nullptr},  {0x0903, "F71858AD", nullptr},
    {0x0909, "F71889ED", nullptr}, {0x1001, "F71808A", nullptr},  {0x1005, "F71889A", nullptr},
    {0x1007, "F71869A", nullptr},  {-1, nullptr, nullptr},
};
constexpr ChipName kIteChips[] = {
    {0x8705, "IT8705", nullptr}, {0x8712, "IT8712", nullptr}, {0x8716, "IT8716", nullptr},
    {0x8718, "IT8718", nullptr}, {0x8720, "IT8720", nullptr}, {0x8721, "IT8721", nullptr},
    {0x8728, "IT8728", nullptr}, {0x8771, "IT8771", nullptr}, {0x8772, "IT8772", nullptr},
    {-1, nullptr, nullptr},
};
constexpr ChipName kSmscChips[] = {
    {0x51, "LPC47B27x", nullptr}, {0x59, "LPC47M10x", nullptr}, {0x5A, "LPC47N227", nullptr},
    {0x5D, "LPC47B357", nullptr}, {0x5F, "LPC47M14x", nullptr}, {0x60, "LPC47M192", nullptr},
    {0x62, "LPC47S45x", nullptr}, {0x67, "EMC2700P", nullptr},  {0x6B, "LPC47M292", nullptr},
    {0x74, "LPC47M182", nullptr}, {0x76, "LPC47M584", nullptr}, {0x78, "DME1737", nullptr},
    {0x7C, "SCH3112", nullptr},   {0x7D, "SCH3114", nullptr},   {0x7F, "SCH3116", nullptr},
    {0x81, "SCH5307-NS", nullptr}, {0x85, "SCH5317", nullptr},  {0x89, "SCH5027", nullptr},
    {0x8C, "SCH5327", nullptr},   {0x90, "SCH5017", nullptr},   {-1, nullptr, nullptr},
};
constexpr ChipName kViaChips[] = {{0x3C, "VT1211", nullptr}, {-1, nullptr, nullptr}};

struct Maker {
  int32_t code;
  const char* name;
  const ChipName* chips;
};
constexpr Maker kMakers[] = {
    {LPCIO_NS, "NS", kNsChips},         {LPCIO_WINBOND, "Winbond", kWinbondChips},
    {LPCIO_FINTEK, "Fintek", kFintekChips}, {LPCIO_ITE, "ITE", kIteChips},
    {LPCIO_SMSC, "SMSC", kSmscChips},   {LPCIO_VIA, "VIA", kViaChips},
    {-1, nullptr, nullptr},
};

}  // namespace

CLPCIO::~CLPCIO() { delete configMode; }

void CLPCIO::SetNames() {
  for (const Maker* m = kMakers; m->code != -1; ++m) {
    if (m->code != vendorCode) continue;
    std::snprintf(vendorName, sizeof(vendorName), "%s", m->name);
    chipName[0] = 0;
    for (const ChipName* c = m->chips; c->code != -1; ++c) {
      if (c->code != chipCode) continue;
      std::snprintf(chipName, sizeof(chipName), "%s", c->name);
      if (c->vendor) std::snprintf(vendorName, sizeof(vendorName), "%s", c->vendor);
      break;
    }
    return;
  }
}
