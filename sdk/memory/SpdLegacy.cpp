// The older SPD layouts: fully buffered DDR2 (FB-DIMM SPD), DDR,
// SDRAM (PC SDRAM SPD 1.2) and Direct RDRAM.
#include <cmath>

#include "sdk/memory/SpdDecoder.h"
#include "sdk/memory/SpdFields.h"

namespace spd {

void DecodeFbDdr2(CModuleInfo& m) {
  const uint8_t* d = m.data;
  const double mtb = d[10] ? static_cast<double>(d[9]) / d[10] : 0.0;
  const double tCK = d[11] * mtb;
  if (tCK > 0) {
    const double f = 1000.0 / tCK;
    m.clockMHz = static_cast<int>(f);
    m.rating = RatingOf(tCK);
    m.dataRate = DataRateOf(tCK);
    std::snprintf(m.speedName, sizeof(m.speedName), "PC2-%d", m.rating);
    // One CAS entry: the latency that covers tAA (byte 14) at this clock.
    const double tAA = mtb * d[14];
    AddCas(m.casTable, static_cast<float>(std::floor(f * tAA / 1000.0 + 0.9)), static_cast<float>(f));
    m.maxCL = m.casTable->At(0)->latency;
  }
  if (mtb > 0) {
    m.tRCD = static_cast<float>(d[19] * mtb);
    m.tRP = static_cast<float>(d[21] * mtb);
    m.tRAS = static_cast<float>(d[23] * mtb);
    m.tRC = static_cast<float>(d[24] * mtb);
  }
  SetMakerFromBank(m, d[117] & 0x7F, d[118]);
  const int banks = 4 << (d[4] & 3);
  m.banksOrRanks = banks;
  m.ranks = (d[7] >> 3) & 7;
  // Rows x columns x banks x ranks of 8 bytes.
  const double rows = std::ldexp(1.0, (d[4] >> 5) + 12);
  const double columns = std::ldexp(1.0, ((d[4] >> 2) & 7) + 9);
  m.sizeMB = static_cast<int>(rows * 8 * columns * banks * m.ranks / 1048576.0);
  m.year = Bcd(d[120]);
  m.week = Bcd(d[121]);
  SetSerial(m, d + 122);
  SetPartNumber(m, d + 128);
}

void DecodeDdr(CModuleInfo& m) {
  const uint8_t* d = m.data;
  m.voltage = Ddr2InterfaceVoltage(d[8]);
  double tCK = 0;
  if (d[9] >= 16) tCK = TenthsTime(d[9]);
  if (tCK > 0) {
    m.clockMHz = static_cast<int>(1000.0 / tCK);
    m.rating = RatingOf(tCK);
    m.dataRate = DataRateOf(tCK);
    std::snprintf(m.speedName, sizeof(m.speedName), "PC%d", m.rating);
  }
  static constexpr float kCl[5] = {1.0f, 1.5f, 2.0f, 2.5f, 3.0f};
  for (int bit = 0; bit < 5; ++bit)
    if (d[18] & (1u << bit)) AddCas(m.casTable, kCl[bit], -1.0f);
  SetLegacyCasClocks(m, tCK, &TenthsTime);
  m.tRCD = d[29] >> 2;
  m.tRP = d[27] >> 2;
  m.tRAS = d[30];
  m.ranks = d[5];
  m.banksOrRanks = d[5];
  const int rankMB = ((d[31] >> 1) * 8) | ((d[31] & 1) * 1024);
  m.sizeMB = rankMB * d[5];
  m.registered = (d[21] >> 1) & 1;
  m.buffered = d[21] & 1;
  m.dataWidth = d[6] | d[7] << 8;
  m.configType = d[11];
  SetMaker(m, d + 64);
  SetPartNumber(m, d + 73);
  m.year = d[93];
  m.week = d[94];
  SetSerial(m, d + 95);
  DecodeRefresh(m, d[12]);
}

void DecodeSdram(CModuleInfo& m) {
  const uint8_t* d = m.data;
  m.voltage = SdramInterfaceVoltage(d[8]);
  const double tCK = TenthsTime(d[9]);
  if (tCK > 0) {
    const int f = static_cast<int>(1000.0 / tCK);
    m.clockMHz = m.rating = m.dataRate = f;
    std::snprintf(m.speedName, sizeof(m.speedName), "PC%d", f);
  }
  for (int bit = 0; bit < 5; ++bit)
    if (d[18] & (1u << bit)) AddCas(m.casTable, static_cast<float>(bit + 1), -1.0f);
  SetLegacyCasClocks(m, tCK, &TenthsTime);
  m.tRP = d[27];
  m.tRCD = d[29];
  m.tRAS = d[30];
  m.ranks = d[5];
  m.banksOrRanks = d[5];
  m.sizeMB = d[31] * 4 * d[5];
  m.registered = (d[21] >> 1) & 1;
  m.buffered = d[21] & 1;
  m.dataWidth = d[6] | d[7] << 8;
  m.configType = d[11];
  SetMaker(m, d + 64);
  SetPartNumber(m, d + 73);
  m.year = d[93];
  m.week = d[94];
  SetSerial(m, d + 95);
  DecodeRefresh(m, d[12]);
}

void DecodeRdram(CModuleInfo& m) {
  const uint8_t* d = m.data;
  static const char* const kForms[4] = {"RIMM", "SO-RIMM", "Embedded", "32-bits RIMM"};
  static constexpr int kCodes[4] = {FORM_RIMM, FORM_SO_RIMM, FORM_EMBEDDED_RIMM, FORM_RIMM_32BIT};
  if (d[3] >= 1 && d[3] <= 4) {
    std::snprintf(m.moduleTypeName, sizeof(m.moduleTypeName), "%s", kForms[d[3] - 1]);
    m.formFactor = kCodes[d[3] - 1];
  }
  const int clock = (d[35] & 0x0F) << 8 | d[37];
  if (clock > 0) {
    m.clockMHz = clock;
    m.rating = m.dataRate = 2 * clock;
  }
  // The access-time grade (tRAC in ns) of the common RDRAM ratings.
  if (clock == 300 && (d[10] == 6 || d[10] == 8)) m.rdramSpeed = d[10] == 6 ? 45 : 53;
  if (clock == 400 && (d[12] == 8 || d[12] == 10 || d[12] == 12)) m.rdramSpeed = d[12] == 8 ? 40 : d[12] == 10 ? 45 : 50;
  if (clock == 533 && (d[10] == 8 || d[10] == 10)) m.rdramSpeed = d[10] == 8 ? 32 : 35;
  if (m.rating > 0) {
    if (m.rdramSpeed > 0)
      std::snprintf(m.speedName, sizeof(m.speedName), "PC%d-%d", m.rating, m.rdramSpeed);
    else
      std::snprintf(m.speedName, sizeof(m.speedName), "PC%d", m.rating);
  }
  SetMaker(m, d + 64);
  SetPartNumber(m, d + 73);
  m.year = d[93];
  m.week = d[94];
  SetSerial(m, d + 95);
  if (d[99] != 0xFF)
    m.sizeMB = static_cast<int>((1LL << (d[4] & 0x0F)) * (1LL << (d[5] & 7)) * d[99] * 8 / 1024);
  m.dataWidth = d[100];
}

}  // namespace spd
