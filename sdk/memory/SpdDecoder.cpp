#include "sdk/memory/SpdDecoder.h"

#include <cstdio>
#include <cstring>

#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/Jep106.h"
#include "sdk/memory/SpdFields.h"

namespace spd {

void SetMaker(CModuleInfo& m, const uint8_t* bytes8) {
  std::memcpy(m.makerId, bytes8, sizeof(m.makerId));
  const char* name = Jep106NameOf(m.makerId);
  std::snprintf(m.makerName, sizeof(m.makerName), "%s", name ? name : "");
}

void SetMakerFromBank(CModuleInfo& m, int continuation, uint8_t code) {
  // Seven continuation codes fill the eight bytes up to the code itself.
  if (continuation > 7) continuation = 7;
  uint8_t id[8] = {};
  for (int i = 0; i < continuation; ++i) id[i] = 0x7F;
  id[continuation] = code;
  SetMaker(m, id);
}

void SetPartNumber(CModuleInfo& m, const uint8_t* bytes18) {
  for (int i = 0; i < 18; ++i) m.partNumber[i] = bytes18[i] == 0xFF ? '\0' : static_cast<char>(bytes18[i]);
  m.partNumber[18] = '\0';
}

void SetSerial(CModuleInfo& m, const uint8_t* b) {
  m.serialNumber = static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
                   static_cast<uint32_t>(b[2]) << 8 | b[3];
  std::snprintf(m.serialText, sizeof(m.serialText), "%08X", m.serialNumber);
}

}  // namespace spd

bool AcceptSpdType(uint8_t type, uint8_t byte1, uint8_t byte3, uint8_t byte8) {
  if (type == 1 || type == 2) return true;
  if (type >= 4 && type <= 8) return byte8 <= 6;
  if (type == 9 || type == 10) return byte1 <= 32;
  if (type == 11) return byte3 <= 16;
  return false;
}

char Ddr3SpeedBin(int clockMHz, uint8_t tAA) {
  struct Bin {
    int clock;
    uint8_t tAA;
    char letter;
  };
  // JESD79-3 speed bins: DDR3-800 D/E, 1066 E/F/G, 1333 F/G/H/J, 1600 G/H/J/K.
  static constexpr Bin kBins[] = {
      {400, 100, 'D'}, {400, 120, 'E'}, {533, 90, 'E'},  {533, 105, 'F'}, {533, 120, 'G'},
      {667, 84, 'F'},  {667, 96, 'G'},  {667, 108, 'H'}, {667, 120, 'J'}, {800, 80, 'G'},
      {800, 90, 'H'},  {800, 100, 'J'}, {800, 110, 'K'},
  };
  for (const Bin& b : kBins)
    if (b.clock == clockMHz && b.tAA == tAA) return b.letter;
  return 0;
}

void DecodeModule(CModuleInfo& m) {
  if (!m.data) return;
  const uint8_t* d = m.data;
  struct Kind {
    uint8_t byte2;
    const char* name;
    int code;
    void (*decode)(CModuleInfo&);
  };
  static constexpr Kind kKinds[] = {
      {1, "RDRAM", MEMTYPE_RDRAM, &spd::DecodeRdram},
      {2, "EDO", MEMTYPE_EDO, nullptr},
      {4, "SDRAM", MEMTYPE_SDRAM, &spd::DecodeSdram},
      {5, "ROM", -1, nullptr},
      {6, "DDR-SGRAM", -1, nullptr},
      {7, "DDR", MEMTYPE_DDR, &spd::DecodeDdr},
      {8, "DDR2", MEMTYPE_DDR2, &spd::DecodeDdr2},
      {9, "FB-DDR2", MEMTYPE_FB_DDR2, &spd::DecodeFbDdr2},
      {10, "FB-DDR2", MEMTYPE_FB_DDR2, &spd::DecodeFbDdr2},
      {11, "DDR3", MEMTYPE_DDR3, &spd::DecodeDdr3},
  };
  for (const Kind& k : kKinds) {
    if (k.byte2 != d[2]) continue;
    std::snprintf(m.typeName, sizeof(m.typeName), "%s", k.name);
    m.typeCode = k.code;
    if (k.decode) k.decode(m);
    break;
  }
  spd::DecodeEpp(m);
  if ((d[150] & ~3u) == 0x9C) m.hasExtendedBlock = 1;
  spd::DecodeXmp(m);
}
