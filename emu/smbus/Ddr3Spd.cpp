#include "emu/smbus/Ddr3Spd.h"

#include <bit>
#include <utility>

namespace emu {

namespace {

// Timing bytes per data rate (medium time base 1/8 ns): tCKmin, CAS
// latencies supported (bytes 14-15), tAAmin, tRCDmin, tRPmin, tRASmin/tRCmin
// upper nibbles, tRASmin, tRCmin.
struct RateTimings {
  unsigned rate;
  uint8_t tck, cl14, cl15, taa, trcd, trp, rasRcUpper, tras, trc;
};
constexpr RateTimings kRates[] = {
    {1066, 0x0F, 0x1C, 0x00, 0x69, 0x69, 0x69, 0x11, 0x2C, 0x95},
    {1333, 0x0C, 0x3C, 0x00, 0x69, 0x69, 0x69, 0x11, 0x20, 0x89},
    {1600, 0x0A, 0xFC, 0x00, 0x5A, 0x5A, 0x5A, 0x11, 0x18, 0x72},
};

// Intel Extreme Memory Profile 1.2 (bytes 176-254): profile 1 DDR3-1600
// 9-9-9-24 at 1.65 V in 1/8 ns units; profile 2 stays zero.
void AddXmp(std::vector<uint8_t>& spd) {
  const std::pair<int, uint8_t> bytes[] = {
      {176, 0x0C}, {177, 0x4A},  // signature
      {178, 0x05},               // profile 1 enabled, one DIMM per channel
      {179, 0x12},               // revision 1.2
      {180, 0x01}, {181, 0x08},  // profile 1 time base 1/8 ns
      {182, 0x01}, {183, 0x08},  // profile 2 time base
      {185, 0x2D},               // 1.65 V
      {186, 0x0A},               // tCK 1.25 ns
      {187, 0x5A},               // tAA 11.25 ns (CL 9)
      {188, 0xFC}, {189, 0x00},  // CL 6-11
      {190, 0x50},               // tCWL 10 ns
      {191, 0x5A}, {192, 0x5A},  // tRP, tRCD 11.25 ns
      {193, 0x78},               // tWR 15 ns
      {194, 0x10}, {195, 0xF0}, {196, 0x4A},  // tRAS 30 ns, tRC 41.25 ns
      {197, 0xC0}, {198, 0xF3},  // tREFI 7.8 us
      {199, 0x00}, {200, 0x05},  // tRFC 160 ns
      {201, 0x3C}, {202, 0x30},  // tRTP 7.5 ns, tRRD 6 ns
      {203, 0x00}, {204, 0xF0},  // tFAW 30 ns
      {205, 0x3C},               // tWTR 7.5 ns
      {208, 0x0A},               // command rate 1T (one tCK)
  };
  for (auto [offset, value] : bytes) spd[offset] = value;
}

}  // namespace

uint16_t SpdCrc16(const uint8_t* data, size_t length) {
  unsigned crc = 0;
  for (size_t i = 0; i < length; ++i) {
    crc ^= static_cast<unsigned>(data[i]) << 8;
    for (int b = 0; b < 8; ++b) crc = crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1;
  }
  return static_cast<uint16_t>(crc);
}

std::vector<uint8_t> Ddr3SpdImage(const Ddr3SpdModule& module) {
  std::vector<uint8_t> spd(256, 0x00);
  const RateTimings* t = &kRates[1];
  for (const auto& r : kRates)
    if (r.rate == module.dataRateMT) t = &r;
  // 1 GB: one rank of eight 1 Gbit x8 devices; 2 GB: 2 Gbit devices; 4 GB: two ranks of those.
  const bool twoGbit = module.sizeMiB >= 2048;
  const bool twoRanks = module.sizeMiB >= 4096;

  spd[0] = 0x92;  // 176 bytes used, 256 total, CRC over 0-116
  spd[1] = 0x10;  // SPD revision 1.0
  spd[2] = 0x0B;  // DDR3 SDRAM
  spd[3] = module.registered ? 0x01 : 0x02;  // RDIMM or UDIMM
  spd[4] = twoGbit ? 0x03 : 0x02;  // 8 banks, 2 or 1 Gbit per device
  spd[5] = twoGbit ? 0x19 : 0x11;  // 15 or 14 row bits, 10 column bits
  spd[6] = 0x00;                   // 1.5 V
  spd[7] = twoRanks ? 0x09 : 0x01;  // ranks, x8 devices
  spd[8] = module.registered ? 0x0B : 0x03;  // 64-bit bus, with or without 8 ECC bits
  spd[9] = 0x52;                    // fine time base 5/2 ps
  spd[10] = 0x01;                   // medium time base 1/8 ns
  spd[11] = 0x08;
  spd[12] = t->tck;
  spd[14] = t->cl14;
  spd[15] = t->cl15;
  spd[16] = t->taa;
  spd[17] = 0x78;  // tWRmin 15 ns
  spd[18] = t->trcd;
  spd[19] = 0x30;  // tRRDmin 6 ns
  spd[20] = t->trp;
  spd[21] = t->rasRcUpper;
  spd[22] = t->tras;
  spd[23] = t->trc;
  spd[24] = twoGbit ? 0x00 : 0x70;  // tRFCmin 160 / 110 ns
  spd[25] = twoGbit ? 0x05 : 0x03;
  spd[26] = 0x3C;  // tWTRmin 7.5 ns
  spd[27] = 0x3C;  // tRTPmin 7.5 ns
  spd[28] = 0x00;
  spd[29] = 0xF0;  // tFAWmin 30 ns
  spd[30] = 0x82;  // RZQ/6, RZQ/7, DLL-off
  spd[31] = 0x05;  // extended temperature range
  spd[32] = module.thermalSensor ? 0x80 : 0x00;
  spd[60] = 0x11;  // module nominal height
  spd[62] = 0x01;  // reference raw card B
  // Module manufacturer: the continuation count with odd parity in bit 7, then the code.
  spd[117] = static_cast<uint8_t>((module.makerBank & 0x7F) | ((std::popcount(static_cast<unsigned>(module.makerBank & 0x7F)) & 1) ? 0 : 0x80));
  spd[118] = module.makerCode;
  spd[119] = 0x01;  // manufacturing location
  spd[120] = 0x10;  // year 2010, week 12 (BCD)
  spd[121] = 0x12;
  for (int i = 0; i < 4; ++i) spd[122 + i] = static_cast<uint8_t>(module.serial >> (24 - 8 * i));
  const uint16_t crc = SpdCrc16(spd.data(), 117);
  spd[126] = static_cast<uint8_t>(crc);
  spd[127] = static_cast<uint8_t>(crc >> 8);
  for (size_t i = 0; i < 18; ++i) spd[128 + i] = i < module.partNumber.size() ? module.partNumber[i] : ' ';
  spd[148] = 0x80;  // DRAM manufacturer
  spd[149] = 0x2C;
  if (module.xmp) AddXmp(spd);
  return spd;
}

}  // namespace emu
