// DDR2 SPD (JEDEC Standard No. 21-C, DDR2 SPD).
#include <cmath>

#include "sdk/memory/SpdDecoder.h"
#include "sdk/memory/SpdFields.h"

namespace spd {

namespace {

// Byte 8, the interface voltage level (SDRAM to DDR2).
float InterfaceVoltage(uint8_t b, bool withSdramLevels) {
  switch (b) {
    case 2: return 1.5f;
    case 3: return 3.3f;
    case 4: return 2.5f;
    case 5: return withSdramLevels ? -1.0f : 1.8f;
    default: return -1.0f;
  }
}

// The highest, second and third highest CAS entries get their clocks from
// the cycle times of bytes 9, 23 and 25; a missing byte (0 or 0xFF) takes
// the cycle time before it.
void SetCasClocks(CModuleInfo& m, double tCK, const uint8_t* d, float (*time)(uint8_t)) {
  const int n = m.casTable->count;
  double t = tCK;
  const uint8_t sources[2] = {d[23], d[25]};
  for (int k = 0; k < n && k < 3; ++k) {
    if (k > 0) {
      const uint8_t b = sources[k - 1];
      if (b != 0 && b != 0xFF) t = time(b);
    }
    m.casTable->At(n - 1 - k)->maxClockMHz = t > 0 ? static_cast<float>(1000.0 / t) : -1.0f;
  }
  if (n > 0) m.maxCL = m.casTable->At(n - 1)->latency;
}

}  // namespace

float Ddr2InterfaceVoltage(uint8_t b) { return InterfaceVoltage(b, false); }
float SdramInterfaceVoltage(uint8_t b) { return InterfaceVoltage(b, true); }
void SetLegacyCasClocks(CModuleInfo& m, double tCK, float (*time)(uint8_t)) { SetCasClocks(m, tCK, m.data, time); }

void DecodeDdr2(CModuleInfo& m) {
  const uint8_t* d = m.data;
  m.voltage = InterfaceVoltage(d[8], false);

  double tCK = 0;
  if (d[9] != 0 && d[9] != 0xFF) tCK = NibbleTime(d[9]);
  if (tCK > 0) {
    const double f = 1000.0 / tCK;
    m.clockMHz = static_cast<int>(f);
    m.rating = RatingOf(tCK);
    m.dataRate = DataRateOf(tCK);
    std::snprintf(m.speedName, sizeof(m.speedName), "PC2-%d", m.rating);
  }
  m.configType = d[11];
  m.dataWidth = d[6];

  for (int bit = 2; bit <= 7; ++bit)
    if (d[18] & (1u << bit)) AddCas(m.casTable, static_cast<float>(bit), -1.0f);
  SetCasClocks(m, tCK, d, &NibbleTime);

  m.tRP = QuarterTime(d[27]);
  m.tRRD = QuarterTime(d[28]);
  m.tRCD = QuarterTime(d[29]);
  if (d[30]) m.tRAS = d[30];
  static constexpr float kRcFraction[8] = {0.0f, 0.25f, 0.33f, 0.5f, 0.66f, 0.75f, -1.0f, -1.0f};
  const float fraction = kRcFraction[(d[40] >> 4) & 7];
  if (fraction >= 0) m.tRC = d[41] + fraction;

  m.ranks = (d[5] & 7) + 1;
  m.banksOrRanks = m.ranks;
  m.heightCode = d[5] >> 5;
  // Byte 31: bits 0-4 are 1 to 16 GB, bits 5-7 128 to 512 MB per rank.
  const int rankMB = ((d[31] << 10) & 0x7FFF) | (((d[31] >> 5) * 128) & 0x3FF);
  m.sizeMB = rankMB * m.ranks;

  static const char* const kForms[6] = {"Regular RDIMM", "Regular UDIMM", "SO-DIMM",
                                        "Micro-DIMM",    "Mini-RDIMM",    "Mini-UDIMM"};
  static constexpr int kFormCodes[6] = {FORM_RDIMM,      FORM_UDIMM,      FORM_SODIMM,
                                        FORM_MICRO_DIMM, FORM_MINI_RDIMM, FORM_MINI_UDIMM};
  static constexpr float kLengths[6] = {133.35f, 133.35f, 67.6f, 45.5f, 82.0f, 82.0f};
  for (int bit = 0; bit < 6; ++bit) {
    if (!(d[20] & (1u << bit))) continue;
    std::snprintf(m.moduleTypeName, sizeof(m.moduleTypeName), "%s", kForms[bit]);
    m.formFactor = kFormCodes[bit];
    m.lengthMM = kLengths[bit];
  }

  SetMaker(m, d + 64);
  SetPartNumber(m, d + 73);
  m.year = Bcd(d[93]);
  m.week = Bcd(d[94]);
  SetSerial(m, d + 95);
  DecodeRefresh(m, d[12]);
}

}  // namespace spd
