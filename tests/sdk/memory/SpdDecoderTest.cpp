// SPD decoding: every layout on small images that set only the bytes a case
// needs, the speed names and bins of the JEDEC tables, the overclocking
// profiles, and bytes that would divide by zero or index past a table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>
#include <string>
#include <utility>

#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/SpdDecoder.h"

namespace {

using Bytes = std::vector<std::pair<int, int>>;

// A record holding 256 zero bytes with `bytes` set, decoded.
struct Decoded {
  explicit Decoded(const Bytes& bytes) {
    m.data = new uint8_t[CModuleInfo::kDataSize]();
    for (auto [offset, value] : bytes) m.data[offset] = static_cast<uint8_t>(value);
    DecodeModule(m);
  }
  CModuleInfo m;
};

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// DDR3-1066 UDIMM, 2 GB: one rank of 2 Gbit x8 devices, MTB 1/8 ns.
const Bytes kDdr3 = {{2, 0x0B},  {3, 0x02},  {4, 0x03},  {7, 0x01},  {8, 0x03},  {10, 1},
                     {11, 8},    {12, 15},   {14, 0x1C}, {16, 105},  {18, 105},  {19, 48},
                     {20, 105},  {21, 0x11}, {22, 0x2C}, {23, 0x95}, {60, 0x11}};

Decoded Ddr3With(const Bytes& extra) { return Decoded(kDdr3 + extra); }

}  // namespace

TEST(SpdDecoderTest, Ddr3ClockRatingAndSpeedBins) {
  struct Case {
    int tCK, tAA;
    int clock, rating, dataRate;
    const char* name;
  };
  const Case cases[] = {
      {15, 105, 533, 8500, 1067, "PC3-8500F"},  {15, 100, 533, 8500, 1067, "PC3-8500"},
      {12, 108, 667, 10700, 1333, "PC3-10700H"}, {10, 90, 800, 12800, 1600, "PC3-12800H"},
      {20, 100, 400, 6400, 800, "PC3-6400D"},    {9, 90, 889, 14200, 1778, "PC3-14200"},
  };
  for (const Case& c : cases) {
    Decoded d = Ddr3With({{12, c.tCK}, {16, c.tAA}});
    SCOPED_TRACE(c.name);
    EXPECT_STREQ(d.m.typeName, "DDR3");
    EXPECT_EQ(d.m.typeCode, 9);
    EXPECT_EQ(d.m.clockMHz, c.clock);
    EXPECT_EQ(d.m.rating, c.rating);
    EXPECT_EQ(d.m.dataRate, c.dataRate);
    EXPECT_STREQ(d.m.speedName, c.name);
  }
}

TEST(SpdDecoderTest, Ddr3VoltageFromByte6) {
  const std::pair<int, float> cases[] = {{0x00, 1.5f}, {0x02, 1.35f}, {0x06, 1.28f}, {0x04, 1.5f}};
  for (auto [byte6, volts] : cases) EXPECT_FLOAT_EQ(Ddr3With({{6, byte6}}).m.voltage, volts) << byte6;
}

TEST(SpdDecoderTest, Ddr3OrganisationTimingsAndIdentity) {
  // Kingston (bank 2: one continuation code, 0x98), 4 GB dual rank, part
  // number padded with 0xFF, serial first byte most significant.
  Decoded d = Ddr3With({{7, 0x09}, {117, 0x01}, {118, 0x98}, {120, 0x10}, {121, 0x42}, {122, 0xDE},
                        {123, 0xAD}, {124, 0xBE}, {125, 0xEF}, {128, 'K'}, {129, 'V'}, {130, 'R'},
                        {131, 0xFF}, {145, 'Z'}});
  const CModuleInfo& m = d.m;
  EXPECT_EQ(m.sizeMB, 4096);
  EXPECT_EQ(m.ranks, 2);
  EXPECT_EQ(m.banksOrRanks, 8);
  EXPECT_EQ(m.dataWidth, 64);
  EXPECT_STREQ(m.moduleTypeName, "UDIMM");
  EXPECT_EQ(m.formFactor, 0x20002);
  EXPECT_FLOAT_EQ(m.lengthMM, 133.35f);
  EXPECT_EQ(m.heightCode, 0x11);
  EXPECT_FLOAT_EQ(m.tRCD, 13.125f);
  EXPECT_FLOAT_EQ(m.tRRD, 6.0f);
  EXPECT_FLOAT_EQ(m.tRP, 13.125f);
  EXPECT_FLOAT_EQ(m.tRAS, 37.5f);     // 0x12C / 8
  EXPECT_FLOAT_EQ(m.tRC, 50.625f);    // 0x195 / 8
  ASSERT_EQ(m.casTable->count, 3);    // CL 6, 7, 8 from 0x1C
  EXPECT_FLOAT_EQ(m.casTable->At(0)->latency, 6);
  EXPECT_NEAR(m.casTable->At(0)->maxClockMHz, 457.14f, 0.01f);  // 6 clocks of 13.125 ns
  EXPECT_FLOAT_EQ(m.casTable->At(2)->latency, 8);
  EXPECT_NEAR(m.casTable->At(2)->maxClockMHz, 609.52f, 0.01f);
  EXPECT_STREQ(m.makerName, "Kingston");
  const uint8_t id[8] = {0x7F, 0x98, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(m.makerId, id, 8), 0);
  EXPECT_EQ(std::string(m.partNumber), "KVR");
  EXPECT_EQ(m.partNumber[17], 'Z') << "bytes after a 0xFF are kept";
  EXPECT_EQ(m.serialNumber, 0xDEADBEEFu);
  EXPECT_STREQ(m.serialText, "DEADBEEF");
  EXPECT_EQ(m.year, 10);
  EXPECT_EQ(m.week, 42);
}

TEST(SpdDecoderTest, ZeroTimeBasesAndCyclesAreNotAvailable) {
  // Zero divisor of the medium time base, zero tCK, zero tAA: nothing is
  // divided by zero, the values stay unset.
  for (Bytes bytes : {Bytes{{11, 0}}, Bytes{{10, 0}}, Bytes{{12, 0}}}) {
    Decoded d = Ddr3With(bytes);
    EXPECT_EQ(d.m.clockMHz, -1);
    EXPECT_EQ(d.m.rating, -1);
    EXPECT_EQ(d.m.dataRate, -1);
    EXPECT_STREQ(d.m.speedName, "");
  }
  Decoded noMtb = Ddr3With({{11, 0}});
  EXPECT_FLOAT_EQ(noMtb.m.tRCD, -1.0f);
  ASSERT_EQ(noMtb.m.casTable->count, 3);
  EXPECT_FLOAT_EQ(noMtb.m.casTable->At(0)->maxClockMHz, -1.0f);
  Decoded noTaa = Ddr3With({{16, 0}});
  EXPECT_FLOAT_EQ(noTaa.m.casTable->At(2)->maxClockMHz, -1.0f);
  EXPECT_EQ(noTaa.m.clockMHz, 533);
}

TEST(SpdDecoderTest, MakerContinuationCountIsClamped) {
  // 127 continuation codes in DDR3 byte 117; eight 0x7F bytes on DDR2.
  Decoded ddr3 = Ddr3With({{117, 0x7F}, {118, 0x98}});
  EXPECT_STREQ(ddr3.m.makerName, "");
  EXPECT_EQ(ddr3.m.makerId[7], 0x98);
  Decoded ddr2({{2, 8}, {64, 0x7F}, {65, 0x7F}, {66, 0x7F}, {67, 0x7F}, {68, 0x7F}, {69, 0x7F}, {70, 0x7F}, {71, 0x7F}});
  EXPECT_STREQ(ddr2.m.makerName, "");
  // Later banks and a code whose parity bit is wrong.
  EXPECT_STREQ(Ddr3With({{117, 0x02}, {118, 0x9E}}).m.makerName, "Corsair");
  EXPECT_STREQ(Ddr3With({{117, 0x80}, {118, 0x2C}}).m.makerName, "Micron Technology");
  EXPECT_STREQ(Ddr3With({{117, 0x80}, {118, 0xAC}}).m.makerName, "");
}

TEST(SpdDecoderTest, Ddr2) {
  // DDR2-800 2 GB: two ranks of 1 GB, CL 3-5, tCK 3.75 / 5 ns at CL 4 / 3.
  Decoded d({{2, 8},     {5, 0x61},  {6, 64},    {8, 5},     {9, 0x25},  {11, 0},    {12, 0x82},
             {18, 0x38}, {20, 0x02}, {23, 0x3D}, {25, 0x50}, {27, 0x32}, {28, 0x1E}, {29, 0x32},
             {30, 0x2D}, {31, 0x01}, {40, 0x36}, {41, 0x39}, {64, 0xCE}, {93, 0x09}, {94, 0x21}});
  const CModuleInfo& m = d.m;
  EXPECT_STREQ(m.typeName, "DDR2");
  EXPECT_EQ(m.typeCode, 7);
  EXPECT_EQ(m.clockMHz, 400);
  EXPECT_EQ(m.rating, 6400);
  EXPECT_STREQ(m.speedName, "PC2-6400");
  EXPECT_EQ(m.dataRate, 800);
  EXPECT_FLOAT_EQ(m.voltage, 1.8f);
  EXPECT_EQ(m.sizeMB, 2048);
  EXPECT_EQ(m.banksOrRanks, 2);
  EXPECT_EQ(m.heightCode, 3);
  EXPECT_STREQ(m.moduleTypeName, "Regular UDIMM");
  ASSERT_EQ(m.casTable->count, 3);
  EXPECT_FLOAT_EQ(m.casTable->At(2)->latency, 5);
  EXPECT_FLOAT_EQ(m.casTable->At(2)->maxClockMHz, 400);
  EXPECT_NEAR(m.casTable->At(1)->maxClockMHz, 266.67f, 0.01f);
  EXPECT_FLOAT_EQ(m.casTable->At(0)->maxClockMHz, 200);
  EXPECT_FLOAT_EQ(m.maxCL, 5);
  EXPECT_FLOAT_EQ(m.tRP, 12.5f);
  EXPECT_FLOAT_EQ(m.tRRD, 7.5f);
  EXPECT_FLOAT_EQ(m.tRCD, 12.5f);
  EXPECT_FLOAT_EQ(m.tRAS, 45);
  EXPECT_FLOAT_EQ(m.tRC, 57.5f);
  EXPECT_FLOAT_EQ(m.refreshUs, 7.8f);
  EXPECT_EQ(m.selfRefresh, 1);
  EXPECT_STREQ(m.makerName, "Samsung");
  EXPECT_EQ(m.year, 9);
  EXPECT_EQ(m.week, 21);

  // A missing cycle time (0 or 0xFF) reuses the one before it.
  Decoded reuse({{2, 8}, {9, 0x25}, {18, 0x38}, {23, 0xFF}, {25, 0x00}});
  EXPECT_FLOAT_EQ(reuse.m.casTable->At(1)->maxClockMHz, 400);
  EXPECT_FLOAT_EQ(reuse.m.casTable->At(0)->maxClockMHz, 400);
  Decoded noClock({{2, 8}, {9, 0x00}, {18, 0x38}});
  EXPECT_EQ(noClock.m.clockMHz, -1);
  EXPECT_FLOAT_EQ(noClock.m.casTable->At(2)->maxClockMHz, -1.0f);
}

TEST(SpdDecoderTest, OlderLayouts) {
  // FB-DIMM DDR2-667: MTB 1/4 ns, tCK 12 (3 ns), tAA 60 (15 ns) -> CL 5;
  // 1 GB: 14 row and 10 column bits, 8 banks, one rank.
  Decoded fb({{2, 9}, {4, 0x45}, {7, 0x08}, {9, 1}, {10, 4}, {11, 12}, {14, 60}, {19, 60}, {21, 60},
              {23, 180}, {24, 240}, {117, 0x80}, {118, 0xCE}});
  EXPECT_EQ(fb.m.typeCode, 8);
  EXPECT_EQ(fb.m.clockMHz, 333);
  EXPECT_STREQ(fb.m.speedName, "PC2-5300");
  ASSERT_EQ(fb.m.casTable->count, 1);
  EXPECT_FLOAT_EQ(fb.m.casTable->At(0)->latency, 5);
  EXPECT_EQ(fb.m.banksOrRanks, 8);
  EXPECT_EQ(fb.m.sizeMB, 1024);
  EXPECT_FLOAT_EQ(fb.m.tRAS, 45);
  EXPECT_STREQ(fb.m.makerName, "Samsung");

  // DDR-400 512 MB: one rank of 512 MB, CL 2.5 and 3.
  Decoded ddr({{2, 7}, {5, 1}, {6, 64}, {8, 4}, {9, 0x50}, {18, 0x18}, {23, 0x60}, {27, 0x3C}, {29, 0x3C},
               {30, 40}, {31, 0x80}, {21, 0x02}, {93, 5}, {94, 12}});
  EXPECT_EQ(ddr.m.typeCode, 6);
  EXPECT_STREQ(ddr.m.speedName, "PC3200");
  EXPECT_EQ(ddr.m.clockMHz, 200);
  EXPECT_FLOAT_EQ(ddr.m.voltage, 2.5f);
  EXPECT_EQ(ddr.m.sizeMB, 512);
  EXPECT_FLOAT_EQ(ddr.m.tRCD, 15);
  EXPECT_EQ(ddr.m.registered, 1);
  EXPECT_EQ(ddr.m.buffered, 0);
  EXPECT_NEAR(ddr.m.casTable->At(0)->maxClockMHz, 166.67f, 0.01f);
  EXPECT_EQ(ddr.m.year, 5) << "DDR dates are stored as they are";

  // PC133 SDRAM 256 MB.
  Decoded sdram({{2, 4}, {5, 2}, {8, 1}, {9, 0x75}, {18, 0x06}, {27, 20}, {29, 20}, {30, 45}, {31, 32}});
  EXPECT_EQ(sdram.m.typeCode, 5);
  EXPECT_STREQ(sdram.m.speedName, "PC133");
  EXPECT_EQ(sdram.m.rating, 133);
  EXPECT_EQ(sdram.m.sizeMB, 256);
  EXPECT_FLOAT_EQ(sdram.m.voltage, -1.0f) << "LVTTL is not one of the levels shown";

  // RDRAM PC800-45 RIMM.
  Decoded rdram({{2, 1}, {3, 1}, {4, 9}, {5, 4}, {12, 10}, {35, 0x01}, {37, 0x90}, {99, 16}, {100, 16}});
  EXPECT_EQ(rdram.m.typeCode, 2);
  EXPECT_STREQ(rdram.m.speedName, "PC800-45");
  EXPECT_STREQ(rdram.m.moduleTypeName, "RIMM");
  EXPECT_EQ(rdram.m.sizeMB, 1024);

  // Types without a decoder keep only their name.
  Decoded rom({{2, 5}});
  EXPECT_STREQ(rom.m.typeName, "ROM");
  EXPECT_EQ(rom.m.typeCode, -1);
  Decoded unknown({{2, 0x0C}});
  EXPECT_STREQ(unknown.m.typeName, "");
}

TEST(SpdDecoderTest, EppProfiles) {
  const Bytes signature = {{2, 8}, {99, 0x6D}, {100, 0x56}, {101, 0x4E}};
  // Full layout, both profiles: DDR2-1066 5-5-5-15 2.1 V 2T, then
  // DDR2-800 4-4-4-12 2.0 V 1T.
  Decoded full(signature + Bytes{{102, 0xB1}, {103, 0x30}, {104, 0x8C}, {105, 0x9B}, {106, 0x02}, {107, 0x25},
                                 {108, 0x03}, {109, 0x1E}, {110, 0x20}, {111, 0x25}, {112, 0x25}, {113, 0x1C},
                                 {114, 0x3C}, {115, 0x2D}, {116, 0x08}, {121, 0x25}, {122, 0x10}, {123, 0x28},
                                 {124, 0x28}, {125, 0x1E}, {126, 0x3C}, {127, 0x28}});
  const CModuleInfo& m = full.m;
  EXPECT_EQ(m.hasEPP, 1);
  ASSERT_EQ(m.eppProfiles->count, 2);
  EXPECT_EQ(m.profileCount, 2);
  auto* p0 = static_cast<CEPP_FullProfile*>(m.eppProfiles->At(0));
  EXPECT_EQ(p0->kind, 0xB1);
  EXPECT_FLOAT_EQ(p0->voltage, 2.1f);
  EXPECT_EQ(p0->commandRate, 2);
  EXPECT_FLOAT_EQ(p0->tCK, 1.875f);
  EXPECT_FLOAT_EQ(p0->CL, 5);
  EXPECT_FLOAT_EQ(p0->tRCD, 9.25f);
  EXPECT_FLOAT_EQ(p0->tRAS, 28);
  EXPECT_FLOAT_EQ(p0->tWR, 15);
  EXPECT_FLOAT_EQ(p0->tRC, 45);
  // 0x9B: 2.0 and 1.5 in the strong pair, then 1.0 and 1.25; 0x02: 1.25.
  const float drives[5] = {2.0f, 1.5f, 1.0f, 1.25f, 1.25f};
  for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(p0->driveStrength[i], drives[i]) << i;
  EXPECT_EQ(p0->fineDelay[0], 5);
  EXPECT_FLOAT_EQ(p0->setupClock[0], 1.0f);
  EXPECT_FLOAT_EQ(p0->setupClock[1], 0.5f);
  auto* p1 = static_cast<CEPP_FullProfile*>(m.eppProfiles->At(1));
  EXPECT_FLOAT_EQ(p1->voltage, 2.0f);
  EXPECT_EQ(p1->commandRate, 1);
  EXPECT_FLOAT_EQ(p1->CL, 4);

  // Abbreviated layout: profiles 1 and 3 enabled of four.
  Decoded abbreviated({{2, 8}, {99, 0x6D}, {100, 0x56}, {101, 0x4E}, {102, 0xA1}, {103, 0x50}, {104, 0x04},
                       {105, 0x25}, {106, 0x10}, {116, 0x84}, {117, 0x1E}, {118, 0x20}, {121, 0}});
  ASSERT_EQ(abbreviated.m.eppProfiles->count, 2);
  EXPECT_EQ(abbreviated.m.eppProfiles->At(0)->kind, 0xA1);
  EXPECT_FLOAT_EQ(abbreviated.m.eppProfiles->At(0)->voltage, 1.9f);
  EXPECT_FLOAT_EQ(abbreviated.m.eppProfiles->At(1)->tCK, 1.875f);
  EXPECT_FLOAT_EQ(abbreviated.m.eppProfiles->At(1)->tRAS, -1.0f) << "a zero tRAS is none";

  // Every signature byte must match; another layout byte gives none.
  for (Bytes partial : {Bytes{{2, 8}, {99, 0x6D}, {102, 0xA1}, {103, 0xF0}},
                        Bytes{{2, 8}, {99, 0x6D}, {100, 0x56}, {101, 0x4F}, {102, 0xA1}, {103, 0xF0}}}) {
    Decoded d(partial);
    EXPECT_EQ(d.m.hasEPP, 0);
    EXPECT_EQ(d.m.eppProfiles->count, 0);
  }
  Decoded otherLayout({{2, 8}, {99, 0x6D}, {100, 0x56}, {101, 0x4E}, {102, 0xC1}, {103, 0xF0}});
  EXPECT_EQ(otherLayout.m.hasEPP, 1);
  EXPECT_EQ(otherLayout.m.profileCount, 0);
}

TEST(SpdDecoderTest, XmpProfiles) {
  // Profile 1: DDR3-1600 9-9-9-24 at 1.65 V; profile 2 left empty (tCK 0).
  Decoded d = Ddr3With({{176, 0x0C}, {177, 0x4A}, {178, 0x01}, {179, 0x12}, {180, 1},   {181, 8},
                        {185, 0x2D}, {186, 10},   {187, 90},   {188, 0xFC}, {191, 90},  {192, 90},
                        {193, 120},  {194, 0x10}, {195, 0xF0}, {196, 0x4A}, {199, 0x00}, {200, 0x05},
                        {201, 60},   {202, 48},   {208, 10},   {221, 0},    {222, 80}});
  const CModuleInfo& m = d.m;
  EXPECT_EQ(m.hasXMP, 1);
  EXPECT_EQ(m.xmpRevision, 0x12);
  ASSERT_EQ(m.xmpProfiles->count, 1) << "the profile without a cycle time is dropped";
  EXPECT_EQ(m.profileCount, 1);
  const CXMP_Profile* x = m.xmpProfiles->At(0);
  EXPECT_FLOAT_EQ(x->voltage, 1.65f);
  EXPECT_FLOAT_EQ(x->tCK, 1.25f);
  EXPECT_EQ(x->clockMHz, 800);
  EXPECT_EQ(x->rating, 12800);
  EXPECT_STREQ(x->speedName, "PC3-12800H") << "the bin of the profile's own clock and tAA";
  EXPECT_FLOAT_EQ(x->tAA, 11.25f);
  ASSERT_EQ(x->casTable->count, 6);
  EXPECT_FLOAT_EQ(x->casTable->At(5)->latency, 11);
  EXPECT_NEAR(x->casTable->At(3)->maxClockMHz, 800.0f, 0.01f);  // CL 9 at 11.25 ns
  EXPECT_FLOAT_EQ(x->tRP, 11.25f);
  EXPECT_FLOAT_EQ(x->tWR, 15);
  EXPECT_FLOAT_EQ(x->tRAS, 30);
  EXPECT_FLOAT_EQ(x->tRC, 41.25f);
  EXPECT_FLOAT_EQ(x->tRFC, 160);
  EXPECT_FLOAT_EQ(x->tRTP, 7.5f);
  EXPECT_FLOAT_EQ(x->tRRD, 6);
  EXPECT_EQ(x->timing208, 1);
  EXPECT_STREQ(m.speedName, "PC3-8500F") << "the module's own name is unchanged";

  // A zero time-base divisor: the signature is there, no profile is.
  Decoded noBase = Ddr3With({{176, 0x0C}, {177, 0x4A}, {180, 1}, {181, 0}, {186, 10}});
  EXPECT_EQ(noBase.m.hasXMP, 1);
  EXPECT_EQ(noBase.m.xmpProfiles->count, 0);
  EXPECT_EQ(noBase.m.profileCount, 0);
  // The block at byte 150.
  EXPECT_EQ(Ddr3With({{150, 0x9E}}).m.hasExtendedBlock, 1);
  EXPECT_EQ(Ddr3With({{150, 0x98}}).m.hasExtendedBlock, 0);
}

TEST(SpdDecoderTest, DetectionTypeTest) {
  struct Case {
    uint8_t type, b1, b3, b8;
    bool accepted;
  };
  const Case cases[] = {
      {1, 0xFF, 0xFF, 0xFF, true}, {2, 0xFF, 0xFF, 0xFF, true}, {3, 0, 0, 0, false},
      {8, 0, 0, 6, true},          {8, 0, 0, 7, false},         {9, 32, 0, 0, true},
      {10, 33, 0, 0, false},       {11, 0, 16, 0, true},        {11, 0, 17, 0, false},
      {12, 0, 0, 0, false},        {0xAB, 0xAB, 0xAB, 0xAB, false},
  };
  for (const Case& c : cases) EXPECT_EQ(AcceptSpdType(c.type, c.b1, c.b3, c.b8), c.accepted) << int(c.type);
}
