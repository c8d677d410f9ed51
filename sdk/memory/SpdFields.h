// Field codings that several SPD layouts share. Internal to the decoders.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "sdk/memory/CModuleInfo.h"

namespace spd {

// Cycle times in a nibble pair (DDR2, EPP): whole ns in the high nibble,
// the low nibble a fraction.
inline float NibbleTime(uint8_t b) {
  static constexpr float kFraction[16] = {0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f,  0.6f,   0.7f,
                                          0.8f, 0.9f, 0.25f, 0.33f, 0.66f, 0.75f, 0.875f, 0.0f};
  return static_cast<float>(b >> 4) + kFraction[b & 0xF];
}

// High nibble ns plus tenths in the low nibble (SDRAM, DDR).
inline float TenthsTime(uint8_t b) { return static_cast<float>(b >> 4) + static_cast<float>(b & 0xF) * 0.1f; }

// Quarter-ns times (DDR2 tRP/tRRD/tRCD, EPP): only bytes above 3; -1 else.
inline float QuarterTime(uint8_t b) {
  if (b <= 3) return -1.0f;
  return static_cast<float>(b >> 2) + static_cast<float>(b & 3) * 0.25f;
}

inline uint8_t Bcd(uint8_t b) { return static_cast<uint8_t>((b >> 4) * 10 + (b & 0xF)); }

// The refresh byte (SDRAM, DDR, DDR2 byte 12).
inline void DecodeRefresh(CModuleInfo& m, uint8_t b) {
  static constexpr float kUs[6] = {15.625f, 3.9f, 7.8f, 31.3f, 62.5f, 125.0f};
  if ((b & 0x7F) < 6) m.refreshUs = kUs[b & 0x7F];
  m.selfRefresh = b >> 7;
}

// Rating and speed name from a cycle time in ns (> 0): MB/s of a 64-bit
// module, rounded to a hundred.
inline int RatingOf(double tCK) { return static_cast<int>(std::floor(1000.0 / tCK * 16.0 / 100.0 + 0.5)) * 100; }
inline int DataRateOf(double tCK) { return static_cast<int>(std::floor(2000.0 / tCK + 0.5)); }

// The JEP106 bytes as read (continuation codes then the code) and the name.
void SetMaker(CModuleInfo& m, const uint8_t* bytes8);
// The same from a bank count (clamped to 7) and a code (DDR3, FB-DIMM).
void SetMakerFromBank(CModuleInfo& m, int continuation, uint8_t code);
void SetPartNumber(CModuleInfo& m, const uint8_t* bytes18);
void SetSerial(CModuleInfo& m, const uint8_t* bytes4);

// A CAS entry appended to `table`.
inline void AddCas(CTList<CAS_Table>* table, float cl, float mhz) { table->Append(new CAS_Table(cl, mhz)); }

// Byte 8 interface levels: DDR2 and DDR (1.5, 3.3, 2.5, 1.8 V) and SDRAM
// (without the 1.8 V level); -1 for the rest.
float Ddr2InterfaceVoltage(uint8_t b);
float SdramInterfaceVoltage(uint8_t b);
// Clocks of the three highest CAS entries from tCK (byte 9) and the cycle
// times in bytes 23 and 25 decoded by `time`; maxCL from the highest.
void SetLegacyCasClocks(CModuleInfo& m, double tCK, float (*time)(uint8_t));

void DecodeDdr3(CModuleInfo& m);
void DecodeDdr2(CModuleInfo& m);
void DecodeFbDdr2(CModuleInfo& m);
void DecodeDdr(CModuleInfo& m);
void DecodeSdram(CModuleInfo& m);
void DecodeRdram(CModuleInfo& m);
void DecodeEpp(CModuleInfo& m);
void DecodeXmp(CModuleInfo& m);

}  // namespace spd
