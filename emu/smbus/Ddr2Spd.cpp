#include "emu/smbus/Ddr2Spd.h"

#include <utility>

namespace emu {

namespace {

// Cycle and access times per data rate: tCK at CL X, X-1, X-2 (bytes 9,
// 23, 25), CAS latencies (byte 18), tRP/tRCD in quarter ns (27, 29).
struct RateTimings {
  unsigned rate;
  uint8_t tck, tckMinus1, tckMinus2, cl, trp;
};
constexpr RateTimings kRates[] = {
    {667, 0x30, 0x3D, 0x50, 0x38, 0x3C},  // 3 ns CL5, 3.75 ns CL4, 5 ns CL3; 15 ns
    {800, 0x25, 0x3D, 0x50, 0x38, 0x32},  // 2.5 ns CL5, 3.75 ns CL4, 5 ns CL3; 12.5 ns
};

void AddEpp(std::vector<uint8_t>& spd) {
  const std::pair<int, uint8_t> bytes[] = {
      {99, 0x6D}, {100, 0x56}, {101, 0x4E},  // "mVN"
      {102, 0xB1},                           // full profiles
      {103, 0x30},                           // profiles 0 and 1 enabled, 0 is optimal
      // Profile 0: 2.1 V 2T, drive strengths, fine delays, DDR2-1066 5-5-5-15.
      {104, 0x8C}, {105, 0x55}, {106, 0x01}, {107, 0x20}, {108, 0x20}, {109, 0x1E}, {110, 0x20},
      {111, 0x25}, {112, 0x25}, {113, 0x1C}, {114, 0x3C}, {115, 0x2D},
      // Profile 1: 2.0 V 1T, DDR2-800 4-4-4-12.
      {116, 0x08}, {117, 0x55}, {118, 0x01}, {119, 0x20}, {120, 0x20}, {121, 0x25}, {122, 0x10},
      {123, 0x28}, {124, 0x28}, {125, 0x1E}, {126, 0x3C}, {127, 0x28},
  };
  for (auto [offset, value] : bytes) spd[offset] = value;
}

}  // namespace

std::vector<uint8_t> Ddr2SpdImage(const Ddr2SpdModule& module) {
  std::vector<uint8_t> spd(256, 0x00);
  const RateTimings* t = &kRates[1];
  for (const auto& r : kRates)
    if (r.rate == module.dataRateMT) t = &r;
  const bool twoRanks = module.sizeMiB >= 2048;

  spd[0] = 0x80;  // 128 bytes written
  spd[1] = 0x08;  // 256-byte device
  spd[2] = 0x08;  // DDR2 SDRAM
  spd[3] = 0x0E;  // 14 row bits
  spd[4] = 0x0A;  // 10 column bits
  spd[5] = static_cast<uint8_t>(0x60 | (twoRanks ? 1 : 0));  // 30 mm height, ranks - 1
  spd[6] = 0x40;  // 64-bit module
  spd[8] = 0x05;  // SSTL 1.8 V
  spd[9] = t->tck;
  spd[10] = 0x40;  // tAC 0.4 ns
  spd[11] = 0x00;  // no ECC
  spd[12] = 0x82;  // 7.8 us, self refresh
  spd[13] = 0x08;  // x8 devices
  spd[16] = 0x0C;  // burst lengths 4 and 8
  spd[17] = 0x08;  // 8 banks
  spd[18] = t->cl;
  spd[20] = 0x02;  // regular UDIMM
  spd[22] = 0x03;  // weak driver, 50 ohm ODT
  spd[23] = t->tckMinus1;
  spd[24] = 0x40;
  spd[25] = t->tckMinus2;
  spd[26] = 0x50;
  spd[27] = t->trp;
  spd[28] = 0x1E;  // tRRD 7.5 ns
  spd[29] = t->trp;
  spd[30] = 0x2D;  // tRAS 45 ns
  spd[31] = 0x01;  // 1 GB per rank
  spd[32] = 0x17;  // address/command setup and hold, data setup and hold
  spd[33] = 0x25;
  spd[34] = 0x05;
  spd[35] = 0x12;
  spd[36] = 0x3C;  // tWR 15 ns
  spd[37] = 0x1E;  // tWTR 7.5 ns
  spd[38] = 0x1E;  // tRTP 7.5 ns
  spd[40] = 0x36;  // tRC fraction 0.5, tRFC fraction 0.5
  spd[41] = 0x39;  // tRC 57.5 ns
  spd[42] = 0x7F;  // tRFC 127.5 ns
  spd[43] = 0x80;  // tCK max 8 ns
  spd[44] = 0x14;  // tDQSQ 0.2 ns
  spd[45] = 0x1E;  // tQHS 0.3 ns
  spd[62] = 0x12;  // SPD revision 1.2
  unsigned sum = 0;
  for (int i = 0; i < 63; ++i) sum += spd[i];
  spd[63] = static_cast<uint8_t>(sum);
  for (int i = 0; i < 8; ++i) spd[64 + i] = i < module.makerBank ? 0x7F : i == module.makerBank ? module.makerCode : 0;
  spd[72] = 0x01;  // manufacturing location
  for (size_t i = 0; i < 18; ++i) spd[73 + i] = i < module.partNumber.size() ? module.partNumber[i] : ' ';
  spd[93] = 0x09;  // 2009, week 21 (BCD)
  spd[94] = 0x21;
  for (int i = 0; i < 4; ++i) spd[95 + i] = static_cast<uint8_t>(module.serial >> (24 - 8 * i));
  if (module.epp) AddEpp(spd);
  return spd;
}

}  // namespace emu
