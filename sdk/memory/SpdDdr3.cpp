// DDR3 SPD (JEDEC Standard No. 21-C, DDR3 SPD).
#include <cmath>
#include <cstring>

#include "sdk/memory/SpdDecoder.h"
#include "sdk/memory/SpdFields.h"

namespace spd {

namespace {

struct FormFactor {
  const char* name;
  int code;
  float lengthMM;
};
// Byte 3 bits 3:0, 1 to 6.
constexpr FormFactor kDdr3Forms[] = {
    {"RDIMM", FORM_RDIMM, 133.35f},          {"UDIMM", FORM_UDIMM, 133.35f},
    {"SO-DIMM", FORM_SODIMM, 67.6f},         {"Micro-DIMM", FORM_MICRO_DIMM, 45.5f},
    {"Mini-RDIMM", FORM_MINI_RDIMM, 82.0f},  {"Mini-UDIMM", FORM_MINI_UDIMM, 82.0f},
};

}  // namespace

void DecodeDdr3(CModuleInfo& m) {
  const uint8_t* d = m.data;
  // Byte 6: 1.5 V unless 1.35 V operable (bit 1); with the 1.25 V bit (2)
  // as well the module is shown at 1.28 V.
  m.voltage = 1.5f;
  if (d[6] & 0x02) m.voltage = (d[6] & 0x04) ? 1.28f : 1.35f;

  const int form = d[3] & 0x0F;
  if (form >= 1 && form <= 6) {
    const FormFactor& f = kDdr3Forms[form - 1];
    std::snprintf(m.moduleTypeName, sizeof(m.moduleTypeName), "%s", f.name);
    m.formFactor = f.code;
    m.lengthMM = f.lengthMM;
  }

  // Organisation: banks and chip capacity (byte 4), device width and ranks
  // (byte 7), bus width (byte 8).
  const int bankCode = (d[4] >> 4) & 7, capacityCode = d[4] & 0x0F;
  const int widthCode = d[7] & 7, rankCode = (d[7] >> 3) & 7, busCode = d[8] & 7;
  if (bankCode <= 3) m.banksOrRanks = 8 << bankCode;
  if (rankCode <= 3) m.ranks = rankCode + 1;
  if (busCode <= 3) m.dataWidth = 8 << busCode;
  if (capacityCode <= 9 && widthCode <= 3 && rankCode <= 3 && busCode <= 3) {
    const int capacityMbit = 256 << capacityCode;
    m.sizeMB = (8 << busCode) / (4 << widthCode) * (capacityMbit / 8) * (rankCode + 1);
  }

  // Medium time base (bytes 10/11); a zero dividend or divisor leaves
  // every time below undecoded.
  const double mtb = d[11] ? static_cast<double>(d[10]) / d[11] : 0.0;
  const double tCK = d[12] * mtb;
  if (tCK > 0) {
    const double f = 1000.0 / tCK;
    m.clockMHz = static_cast<int>(std::floor(f + 0.5));
    m.rating = RatingOf(tCK);
    m.dataRate = DataRateOf(tCK);
    const char bin = Ddr3SpeedBin(m.clockMHz, d[16]);
    if (bin)
      std::snprintf(m.speedName, sizeof(m.speedName), "PC3-%d%c", m.rating, bin);
    else
      std::snprintf(m.speedName, sizeof(m.speedName), "PC3-%d", m.rating);
  }

  // CAS latencies 4-11 (byte 14) and 12-18 (byte 15); each valid up to the
  // clock where CL cycles still cover tAA.
  const double tAA = d[16] * mtb;
  const uint16_t clMask = static_cast<uint16_t>(d[14] | (d[15] & 0x7F) << 8);
  for (int bit = 0; bit < 15; ++bit) {
    if (!(clMask & (1u << bit))) continue;
    const int cl = bit + 4;
    AddCas(m.casTable, static_cast<float>(cl), tAA > 0 ? static_cast<float>(1000.0 * cl / tAA) : -1.0f);
    m.maxCL = static_cast<float>(cl);
  }

  if (mtb > 0) {
    m.tRCD = static_cast<float>(d[18] * mtb);
    m.tRRD = static_cast<float>(d[19] * mtb);
    m.tRP = static_cast<float>(d[20] * mtb);
    m.tRAS = static_cast<float>(((d[21] & 0x0F) << 8 | d[22]) * mtb);
    m.tRC = static_cast<float>(((d[21] >> 4) << 8 | d[23]) * mtb);
  }
  m.heightCode = d[60] & 0x1F;

  SetMakerFromBank(m, d[117] & 0x7F, d[118]);
  m.year = Bcd(d[120]);
  m.week = Bcd(d[121]);
  SetSerial(m, d + 122);
  SetPartNumber(m, d + 128);
}

}  // namespace spd
