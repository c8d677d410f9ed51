// Overclocking profiles: NVIDIA Enhanced Performance Profiles 1.0 in DDR2
// bytes 99-127 and Intel Extreme Memory Profile 1.x in DDR3 bytes 176-254.
#include <cmath>
#include <initializer_list>

#include "sdk/core/RoundToInt.h"
#include "sdk/memory/SpdDecoder.h"
#include "sdk/memory/SpdFields.h"

namespace spd {

namespace {

// EPP CAS latency byte: one bit per latency 2-6.
float EppCl(uint8_t b) {
  switch (b) {
    case 4: return 2;
    case 8: return 3;
    case 16: return 4;
    case 32: return 5;
    case 64: return 6;
    default: return -1;
  }
}

// Voltage (1.8 V + 25 mV steps) and command rate in the profile's first byte.
void EppCommon(CEPP_Profile& p, uint8_t b) {
  p.voltage = static_cast<float>((b & 0x7F) * 0.025 + 1.8);
  p.commandRate = (b >> 7) + 1;
}

CEPP_Profile* AbbreviatedProfile(const uint8_t* p) {
  auto* e = new CEPP_AbbreviatedProfile();
  EppCommon(*e, p[0]);
  e->tCK = NibbleTime(p[1]);
  e->CL = EppCl(p[2]);
  e->tRCD = QuarterTime(p[3]);
  e->tRP = QuarterTime(p[4]);
  if (p[5]) e->tRAS = p[5];
  return e;
}

CEPP_Profile* FullProfile(const uint8_t* p) {
  auto* e = new CEPP_FullProfile();
  EppCommon(*e, p[0]);
  static constexpr float kStrongDrive[4] = {1.0f, 1.25f, 1.5f, 2.0f};
  static constexpr float kDrive[4] = {0.75f, 1.0f, 1.25f, 1.5f};
  e->driveStrength[0] = kStrongDrive[p[1] & 3];
  e->driveStrength[1] = kStrongDrive[(p[1] >> 2) & 3];
  e->driveStrength[2] = kDrive[(p[1] >> 4) & 3];
  e->driveStrength[3] = kDrive[(p[1] >> 6) & 3];
  e->driveStrength[4] = kDrive[p[2] & 3];
  for (int i = 0; i < 2; ++i) {
    e->fineDelay[i] = p[3 + i] & 0x1F;
    e->setupClock[i] = (p[3 + i] & 0x20) ? 1.0f : 0.5f;
  }
  e->tCK = NibbleTime(p[5]);
  e->CL = EppCl(p[6]);
  e->tRCD = QuarterTime(p[7]);
  e->tRP = QuarterTime(p[8]);
  if (p[9]) e->tRAS = p[9];
  e->tWR = QuarterTime(p[10]);
  e->tRC = p[11];
  return e;
}

CXMP_Profile* XmpProfile(const uint8_t* b, double timeBase) {
  auto* x = new CXMP_Profile();
  x->voltage = static_cast<float>(((b[0] >> 5) & 3) + (b[0] & 0x1F) * 0.05);
  const double tCK = b[1] * timeBase;
  x->tCK = static_cast<float>(tCK);
  if (tCK > 0) {
    const double f = 1000.0 / tCK;
    x->clockMHz = RoundToInt(f);
    x->rating = RoundToInt(f * 16.0 / 100.0) * 100;
    // The bin letter belongs to the profile's own clock and tAA.
    const char bin = Ddr3SpeedBin(x->clockMHz, b[2]);
    if (bin)
      std::snprintf(x->speedName, sizeof(x->speedName), "PC3-%d%c", x->rating, bin);
    else
      std::snprintf(x->speedName, sizeof(x->speedName), "PC3-%d", x->rating);
  }
  const double tAA = b[2] * timeBase;
  x->tAA = static_cast<float>(tAA);
  const uint16_t clMask = static_cast<uint16_t>(b[3] | (b[4] & 0x7F) << 8);
  for (int bit = 0; bit < 15; ++bit)
    if (clMask & (1u << bit))
      AddCas(x->casTable, static_cast<float>(bit + 4), tAA > 0 ? static_cast<float>(1000.0 * (bit + 4) / tAA) : -1.0f);
  if (timeBase > 0) {
    auto t = [&](int value) { return static_cast<float>(value * timeBase); };
    x->tRP = t(b[6]);
    x->tRCD = t(b[7]);
    x->tWR = t(b[8]);
    x->tRAS = t((b[9] & 0x0F) << 8 | b[10]);
    x->tRC = t((b[9] >> 4) << 8 | b[11]);
    x->tRFC = t(b[14] | b[15] << 8);
    x->tRTP = t(b[16]);
    x->tRRD = t(b[17]);
    x->timing208 = static_cast<int>(b[23] * timeBase);
  }
  return x;
}

}  // namespace

void DecodeEpp(CModuleInfo& m) {
  const uint8_t* d = m.data;
  if (d[99] != 0x6D || d[100] != 0x56 || d[101] != 0x4E) return;
  m.hasEPP = 1;
  if (d[102] == CEPP_Profile::kAbbreviated) {
    for (int i = 0; i < 4; ++i)
      if (d[103] & (0x10u << i)) {
        m.eppProfiles->Append(AbbreviatedProfile(d + 104 + 6 * i));
        ++m.profileCount;
      }
  } else if (d[102] == CEPP_Profile::kFull) {
    for (int i = 0; i < 2; ++i)
      if (d[103] & (0x10u << i)) {
        m.eppProfiles->Append(FullProfile(d + 104 + 12 * i));
        ++m.profileCount;
      }
  }
}

void DecodeXmp(CModuleInfo& m) {
  const uint8_t* d = m.data;
  if (d[176] != 0x0C || d[177] != 0x4A) return;
  m.hasXMP = 1;
  m.xmpRevision = d[179];
  // A zero divisor gives no time base: no profile has a clock then.
  const double timeBase = d[181] ? static_cast<double>(d[180]) / d[181] : 0.0;
  for (int base : {185, 220}) {
    CXMP_Profile* x = XmpProfile(d + base, timeBase);
    // A profile without a cycle time is no profile.
    if (x->clockMHz < 1) {
      delete x;
      continue;
    }
    m.xmpProfiles->Append(x);
    ++m.profileCount;
  }
}

}  // namespace spd
