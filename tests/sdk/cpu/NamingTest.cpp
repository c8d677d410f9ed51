// Naming rows of the Intel generations on the vendor's boards.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sdk/cpu/AmdFamilies.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/IntelFamilies.h"
#include "sdk/cpu/IntelNaming.h"

namespace {

struct NameCase {
  int extModel, stepping, platformId, ratedMHz, unlocked, tdp, l3KB;
  const char* brand;
  const char* name;
  const char* codeName;
  int packageCode;
  uint32_t typeCode;
  const char* revision;
};

class NehalemNamingTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(NehalemNamingTest, RowGivesNameCodeNamePackageAndRevision) {
  const NameCase& c = GetParam();
  CCPUThread t(0);
  t.extModel = c.extModel;
  t.stepping = c.stepping;
  t.platformId = c.platformId;
  t.ratedMHz = c.ratedMHz;
  t.tdp = c.tdp;
  t.coresPerPackage = 4;
  std::snprintf(t.specification, sizeof(t.specification), "%s", c.brand);
  if (c.l3KB > 0) t.AddCache(3, CACHE_UNIFIED)->sizeKB = c.l3KB;
  if (c.extModel == 42 || c.extModel == 45 || c.extModel == 58)
    NameIntelSandyBridge(&t, c.unlocked);
  else if (c.extModel == 60)
    NameIntelHaswell(&t, c.unlocked);
  else
    NameIntelNehalem(&t, c.unlocked);
  EXPECT_STREQ(t.name, c.name);
  EXPECT_STREQ(t.codeName, c.codeName);
  EXPECT_EQ(t.packageCode, c.packageCode);
  EXPECT_EQ(t.typeCode, c.typeCode);
  EXPECT_STREQ(t.revisionName, c.revision);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NehalemNamingTest,
    ::testing::Values(
        // ext model, stepping, platform, MHz, unlocked, TDP, L3, brand -> name, code name, package, type, revision
        NameCase{26, 5, 1, 2666, 0, 130, 8192, "Intel(R) Core(TM) i7 CPU 920 @ 2.67GHz", "Intel Core i7 920",
                 "Bloomfield", 0x10028, 0x01020001, "D0"},
        NameCase{26, 4, 1, 3200, 1, 130, 8192, "Intel(R) Core(TM) i7 CPU 965 @ 3.20GHz",
                 "Intel Core i7 Extreme 965", "Bloomfield", 0x10028, 0x01020002, "C0/C1"},
        NameCase{26, 5, 1, 3333, 0, 130, 8192, "Intel(R) Core(TM) i7 CPU 975 @ 3.33GHz", "Intel Core i7 970",
                 "Bloomfield", 0x10028, 0x01020001, "D0"},
        NameCase{26, 5, 1, 2933, 0, 130, 8192, "Intel(R) Xeon(R) CPU W3540 @ 2.93GHz", "Intel Xeon W3540",
                 "Bloomfield", 0x10028, 0x01020003, "D0"},
        NameCase{26, 5, 0, 2266, 0, 80, 8192, "Intel(R) Xeon(R) CPU E5520 @ 2.27GHz", "Intel Xeon E5520",
                 "Gainestown", 0x10028, 0x01020003, "D0"},
        NameCase{26, 5, 0, 2266, 0, 60, 8192, "Intel(R) Xeon(R) CPU L5520 @ 2.27GHz", "Intel Xeon L5520",
                 "Gainestown", 0x10028, 0x01020003, "D0"},
        NameCase{26, 5, 0, 2133, 0, 60, 4096, "Intel(R) Xeon(R) CPU L5506 @ 2.13GHz", "Intel Xeon L5506",
                 "Gainestown", 0x10028, 0x01020003, "D0"},
        NameCase{26, 2, 4, 2000, 0, 55, 8192, "Intel(R) Core(TM) i7 CPU Q 820", "Intel Core i7", "Bloomfield",
                 0x10029, 0x01020001, "B0"},
        NameCase{30, 5, 1, 2800, 0, 95, 8192, "Intel(R) Core(TM) i7 CPU 860 @ 2.80GHz", "Intel Core i7 860",
                 "Lynnfield", 0x10027, 0x01020004, "B1"},
        NameCase{30, 5, 1, 2666, 0, 95, 8192, "Intel(R) Core(TM) i5 CPU 750 @ 2.67GHz", "Intel Core i5 750",
                 "Lynnfield", 0x10027, 0x01020004, "B1"},
        NameCase{44, 2, 1, 3333, 1, 130, 12288, "Intel(R) Core(TM) i7 CPU X 980 @ 3.33GHz", "Intel Core i7 980X",
                 "Gulftown", 0x10028, 0x01020007, "B1"},
        NameCase{42, 7, 1, 3400, 1, 95, 8192, "Intel(R) Core(TM) i7-2600K CPU @ 3.40GHz", "Intel Core i7-2600K",
                 "Sandy Bridge", 0x1002D, 0x01020101, "D2"},
        NameCase{42, 7, 1, 3300, 0, 95, 6144, "Intel(R) Core(TM) i5-2500 CPU @ 3.30GHz", "Intel Core i5-2500",
                 "Sandy Bridge", 0x1002D, 0x01020101, "D2"},
        NameCase{45, 7, 0, 3200, 1, 130, 12288, "Intel(R) Core(TM) i7-3930K CPU @ 3.20GHz", "Intel Core i7-3930K",
                 "Sandy Bridge-E", 0x1002E, 0x01020103, "D2"},
        NameCase{58, 9, 1, 3500, 1, 77, 8192, "Intel(R) Core(TM) i7-3770K CPU @ 3.50GHz", "Intel Core i7-3770K",
                 "Ivy Bridge", 0x1002D, 0x01020105, "E1"},
        NameCase{60, 3, 1, 3500, 1, 84, 8192, "Intel(R) Core(TM) i7-4770K CPU @ 3.50GHz", "Intel Core i7-4770K",
                 "Haswell", 0x10040, 0x01020201, "C0"}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

// Processors as the makers' published errata documents list them: the signature and
// brand string the processor reports, with what the probe found (rated
// frequency, cores, cache of one instance, QPI link ratio).
struct SignatureRow {
  bool amd;
  uint32_t signature;
  const char* brand;
  int platformId, ratedMHz, cores, l2KB, l3KB, linkRatio;
  const char* name;
  const char* codeName;
  const char* package;
  const char* revision;
};

class SignatureNamingTest : public ::testing::TestWithParam<SignatureRow> {};

TEST_P(SignatureNamingTest, NamesThePartLikeItsMaker) {
  const SignatureRow& r = GetParam();
  CCPUThread t(0);
  t.family = static_cast<int>((r.signature >> 8) & 0xF);
  t.model = static_cast<int>((r.signature >> 4) & 0xF);
  t.stepping = static_cast<int>(r.signature & 0xF);
  const int extFamilyField = static_cast<int>((r.signature >> 20) & 0xFF);
  t.extFamily = r.amd ? extFamilyField + t.family : extFamilyField * 16 + t.family;
  t.extModel = static_cast<int>((r.signature >> 16) & 0xF) * 16 + t.model;
  t.platformId = r.platformId;
  t.ratedMHz = r.ratedMHz;
  t.coresPerPackage = r.cores;
  t.linkRatio = r.linkRatio;
  if (r.l2KB > 0) t.AddCache(2, CACHE_UNIFIED)->sizeKB = r.l2KB;
  if (r.l3KB > 0) t.AddCache(3, CACHE_UNIFIED)->sizeKB = r.l3KB;
  std::snprintf(t.specification, sizeof(t.specification), "%s", r.brand);
  if (!r.amd && (t.extModel == 15 || t.extModel == 23 || t.extModel == 29))
    NameIntelCore2(&t);
  else if (!r.amd)
    NameIntelNehalem(&t, 0);
  else
    ApplyNamingCases(&t, t.extFamily == 20 ? kAmdK14Cases : kAmdK10Cases, 0);
  EXPECT_STREQ(t.name, r.name);
  EXPECT_STREQ(t.codeName, r.codeName);
  EXPECT_STREQ(PackageName(t.packageCode), r.package);
  EXPECT_STREQ(t.revisionName, r.revision);
}

constexpr const char* k775 = "Socket 775 LGA";
constexpr const char* kAM3 = "Socket AM3 (938)";

INSTANTIATE_TEST_SUITE_P(
    Rows, SignatureNamingTest,
    ::testing::Values(
        // Conroe and Kentsfield: L2, B2, B3 and G0 steppings.
        SignatureRow{false, 0x6F2, "Intel(R) Core(TM)2 CPU          6300  @ 1.86GHz", 1, 1866, 2, 2048, 0, -1,
                     "Intel Core 2 Duo E6300", "Conroe", k775, "L2"},
        SignatureRow{false, 0x6F6, "Intel(R) Core(TM)2 CPU          6600  @ 2.40GHz", 1, 2400, 2, 4096, 0, -1,
                     "Intel Core 2 Duo E6600", "Conroe", k775, "B2"},
        SignatureRow{false, 0x6FB, "Intel(R) Core(TM)2 Duo CPU     E6750  @ 2.66GHz", 1, 2666, 2, 4096, 0, -1,
                     "Intel Core 2 Duo E6750", "Conroe", k775, "G0"},
        SignatureRow{false, 0x6F7, "Intel(R) Core(TM)2 Quad CPU    Q6600  @ 2.40GHz", 1, 2400, 4, 4096, 0, -1,
                     "Intel Core 2 Quad Q6600", "Kentsfield", k775, "B3"},
        SignatureRow{false, 0x6FB, "Intel(R) Core(TM)2 Quad CPU    Q6600  @ 2.40GHz", 1, 2400, 4, 4096, 0, -1,
                     "Intel Core 2 Quad Q6600", "Kentsfield", k775, "G0"},
        // Yorkfield and Wolfdale; the cut-down dies carry their own revisions.
        SignatureRow{false, 0x10677, "Intel(R) Core(TM)2 Quad CPU    Q9450  @ 2.66GHz", 1, 2666, 4, 6144, 0, -1,
                     "Intel Core 2 Quad Q9450", "Yorkfield", k775, "C1"},
        SignatureRow{false, 0x1067A, "Intel(R) Core(TM)2 Quad CPU    Q9400  @ 2.66GHz", 1, 2666, 4, 3072, 0, -1,
                     "Intel Core 2 Quad Q9400", "Yorkfield", k775, "R0"},
        SignatureRow{false, 0x1067A, "Intel(R) Core(TM)2 Duo CPU     E8400  @ 3.00GHz", 1, 3000, 2, 6144, 0, -1,
                     "Intel Core 2 Duo E8400", "Wolfdale", k775, "E0"},
        SignatureRow{false, 0x10676, "Intel(R) Core(TM)2 Duo CPU     E7200  @ 2.53GHz", 1, 2533, 2, 3072, 0, -1,
                     "Intel Core 2 Duo E7200", "Wolfdale", k775, "M0"},
        SignatureRow{false, 0x106D1, "Intel(R) Xeon(R) CPU           X7460  @ 2.66GHz", 0, 2666, 6, 3072, 16384,
                     -1, "Intel Xeon X7460", "Dunnington", "Socket 604 mPGA", "A1"},
        // Nehalem generation: Clarkdale C2; the W3565 by its 4.8 GT/s link.
        SignatureRow{false, 0x20652, "Intel(R) Core(TM) i5 CPU         661  @ 3.33GHz", 1, 3333, 2, 256, 4096, -1,
                     "Intel Core i5", "Clarkdale", "Socket 1156 LGA", "C2"},
        SignatureRow{false, 0x106A5, "Intel(R) Xeon(R) CPU           W3565  @ 3.20GHz", 1, 3200, 4, 256, 8192, 18,
                     "Intel Xeon W3565", "Bloomfield", "Socket 1366 LGA", "D0"},
        SignatureRow{false, 0x106A5, "Intel(R) Xeon(R) CPU           W3570  @ 3.20GHz", 1, 3200, 4, 256, 8192, 24,
                     "Intel Xeon W3570", "Bloomfield", "Socket 1366 LGA", "D0"},
        // AMD families 10h and 14h.
        SignatureRow{true, 0x500F20, "AMD E-240 Processor", -1, 1500, 1, 512, 0, -1, "AMD E-240", "Zacate",
                     "Socket FT1 BGA", ""},
        SignatureRow{true, 0x100F52, "AMD Athlon(tm) II X4 630 Processor", -1, 2800, 4, 512, 0, -1,
                     "AMD Athlon II X4 630", "Propus", kAM3, "BL-C2"},
        SignatureRow{true, 0x100F53, "AMD Athlon(tm) II X3 440 Processor", -1, 3000, 3, 512, 0, -1,
                     "AMD Athlon II X3 440", "Rana", kAM3, "BL-C3"},
        SignatureRow{true, 0x100F43, "AMD Phenom(tm) II X3 720 Processor", -1, 2800, 3, 512, 6144, -1,
                     "AMD Phenom II X3 720", "Heka", kAM3, "RB-C3"},
        SignatureRow{true, 0x100F42, "AMD Phenom(tm) II X2 550 Processor", -1, 3100, 2, 512, 6144, -1,
                     "AMD Phenom II X2 550", "Callisto", kAM3, "RB-C2"}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

TEST(RatedFrequency, BrandStringWinsAndBusTimesRatioIsTheFallback) {
  struct Row {
    const char* brand;
    int expected;
  } rows[] = {{"Intel(R) Core(TM) i7 CPU 920 @ 2.67GHz", 2666},
              {"Intel(R) Core(TM) i7 CPU 965 @ 3.20GHz", 3200},
              {"Intel(R) Core(TM) i7 CPU 3466MHz", 3466},
              // No listed frequency: 133.33 x 20 without a measured bus clock.
              {"Genuine Intel(R) CPU 000 @ 0000", 2666}};
  for (const Row& r : rows) {
    CCPUThread t(0);
    t.extModel = 26;
    t.platformId = 1;
    std::snprintf(t.specification, sizeof(t.specification), "%s", r.brand);
    Intel_Nehalem_Infos infos;
    infos.nonTurboRatio = 20;
    infos.Classify(&t);
    EXPECT_EQ(t.ratedMHz, r.expected) << r.brand;
    EXPECT_EQ(t.busCode, 133);
  }
}

TEST(RatedFrequency, SandyBridgeListsDownTo1400AndFallsBackOnItsHundredMegahertzBus) {
  struct Row {
    const char* brand;
    int expected;
  } rows[] = {{"Intel(R) Core(TM) i5-2390T CPU @ 2.70GHz", 2700},
              {"Intel(R) Core(TM) i3-2312M CPU @ 2.10GHz", 2100},
              {"Intel(R) Celeron(R) CPU 847 @ 1.10GHz", 1600},
              {"Intel(R) Pentium(R) CPU B940 @ 1.40GHz", 1400},
              // No listed frequency: the nominal 100 MHz bus x 16, not 133.33 x 16.
              {"Genuine Intel(R) CPU 0000 @ 0000", 1600}};
  for (const Row& r : rows) {
    CCPUThread t(0);
    t.extModel = 42;
    std::snprintf(t.specification, sizeof(t.specification), "%s", r.brand);
    Intel_Sandy_Bridge_Infos infos;
    infos.nonTurboRatio = 16;
    infos.Classify(&t);
    EXPECT_EQ(t.ratedMHz, r.expected) << r.brand;
    EXPECT_EQ(t.busCode, 100);
  }
}

TEST(RatedFrequency, Core2TakesItFromTheBrandStringSoTheModelNumbersMatch) {
  struct Row {
    int extModel, cores;
    const char* brand;
    int mhz;
    const char* name;
  } rows[] = {
      {23, 2, "Intel(R) Core(TM)2 Duo CPU     E8400  @ 3.00GHz", 3000, "Intel Core 2 Duo E8400"},
      {23, 2, "Intel(R) Core(TM)2 Duo CPU     E8500  @ 3.16GHz", 3166, "Intel Core 2 Duo E8500"},
      {15, 2, "Intel(R) Core(TM)2 CPU          6600  @ 2.40GHz", 2400, "Intel Core 2 Duo E6600"},
  };
  for (const Row& r : rows) {
    CCPUThread t(0);
    t.extModel = r.extModel;
    t.coresPerPackage = r.cores;
    std::snprintf(t.specification, sizeof(t.specification), "%s", r.brand);
    Intel_Core_2_Infos infos;
    infos.Probe(&t);
    EXPECT_EQ(t.ratedMHz, r.mhz) << r.brand;
    infos.Classify(&t);
    EXPECT_STREQ(t.name, r.name) << r.brand;
  }
}

TEST(FamilyChoice, UnknownExtendedModelKeepsTheVendorName) {
  CCPUThread t(0);
  std::snprintf(t.name, sizeof(t.name), "Intel Processor");
  t.typeCode = CPU_INTEL;
  t.extFamily = 6;
  t.extModel = 27;
  ClassifyIntelFamily(&t);
  EXPECT_STREQ(t.name, "Intel Processor");
  EXPECT_EQ(t.familyInfos, nullptr);
  EXPECT_EQ(t.typeCode, static_cast<uint32_t>(CPU_INTEL));
}

}  // namespace
