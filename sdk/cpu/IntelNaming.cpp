#include "sdk/cpu/IntelNaming.h"

#include <cstdio>
#include <cstring>

#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/IntelFamilies.h"
#include "sdk/cpu/VendorInfos.h"

// Brand-string frequencies, in search order; a later match wins.
const RatedFrequencyRow kNehalemFrequencies[] = {
    {"3466MHz", "3.47GHz", 3466}, {"3333MHz", "3.33GHz", 3333}, {"3200MHz", "3.20GHz", 3200},
    {"3066MHz", "3.07GHz", 3066}, {"2933MHz", "2.93GHz", 2933}, {"2800MHz", "2.80GHz", 2800},
    {"2666MHz", "2.67GHz", 2666}, {"2533MHz", "2.53GHz", 2533}, {"2400MHz", "2.40GHz", 2400},
    {"2266MHz", "2.27GHz", 2266}, {"2133MHz", "2.13GHz", 2133}, {"2000MHz", "2.00GHz", 2000},
    {"1866MHz", "1.87GHz", 1866}, {nullptr, nullptr, 0},
};

const RatedFrequencyRow kSandyBridgeFrequencies[] = {
    {"3500MHz", "3.50GHz", 3500}, {"3600MHz", "3.60GHz", 3600}, {"3400MHz", "3.40GHz", 3400},
    {"3300MHz", "3.30GHz", 3300}, {"3200MHz", "3.20GHz", 3200}, {"3100MHz", "3.10GHz", 3100},
    {"3000MHz", "3.00GHz", 3000}, {"2900MHz", "2.90GHz", 2900}, {"2800MHz", "2.80GHz", 2800},
    {"2500MHz", "2.50GHz", 2500}, {"3900MHz", "3.90GHz", 3900}, {"3700MHz", "3.70GHz", 3700},
    {"2700MHz", "2.70GHz", 2700}, {"2600MHz", "2.60GHz", 2600}, {"2400MHz", "2.40GHz", 2400},
    {"2300MHz", "2.30GHz", 2300}, {"2200MHz", "2.20GHz", 2200}, {"2100MHz", "2.10GHz", 2100},
    {"2000MHz", "2.00GHz", 2000}, {"1900MHz", "1.90GHz", 1900}, {"1800MHz", "1.80GHz", 1800},
    {"1700MHz", "1.70GHz", 1700}, {"1600MHz", "1.60GHz", 1600}, {"1500MHz", "1.50GHz", 1500},
    {"1400MHz", "1.40GHz", 1400}, {nullptr, nullptr, 0},
};

// Core 2 brand strings give the rated frequency of the 266/333 MHz buses
// with two decimals ("2.66GHz", "3.16GHz").
const RatedFrequencyRow kCore2Frequencies[] = {
    {"1600MHz", "1.60GHz", 1600}, {"1800MHz", "1.80GHz", 1800}, {"1866MHz", "1.86GHz", 1866},
    {"2000MHz", "2.00GHz", 2000}, {"2133MHz", "2.13GHz", 2133}, {"2200MHz", "2.20GHz", 2200},
    {"2266MHz", "2.26GHz", 2266}, {"2333MHz", "2.33GHz", 2333}, {"2400MHz", "2.40GHz", 2400},
    {"2500MHz", "2.50GHz", 2500}, {"2533MHz", "2.53GHz", 2533}, {"2666MHz", "2.66GHz", 2666},
    {"2800MHz", "2.80GHz", 2800}, {"2833MHz", "2.83GHz", 2833}, {"2933MHz", "2.93GHz", 2933},
    {"3000MHz", "3.00GHz", 3000}, {"3066MHz", "3.06GHz", 3066}, {"3166MHz", "3.16GHz", 3166},
    {"3200MHz", "3.20GHz", 3200}, {"3333MHz", "3.33GHz", 3333}, {nullptr, nullptr, 0},
};

namespace {

constexpr const char* D = " %d";  // numbered rows

// ---- Core 2 (extended models 15, 23, 29), from the makers' published
// processor errata documents: Conroe/Allendale and Kentsfield (65 nm), Wolfdale
// and Yorkfield (45 nm) with their cut-down 3 MB / 2 MB dies, Dunnington.
// The 1333 MHz-bus Conroe parts share frequency and cache with older ones
// and carry their number in the brand string.
const ModelNumberRow kConroe[] = {
    {1800, nullptr, 2048, kAny, kAny, kAny, " E4300", 0}, {2000, nullptr, 2048, kAny, kAny, kAny, " E4400", 0},
    {2200, nullptr, 2048, kAny, kAny, kAny, " E4500", 0}, {2400, nullptr, 2048, kAny, kAny, kAny, " E4600", 0},
    {2600, nullptr, 2048, kAny, kAny, kAny, " E4700", 0}, {1866, nullptr, 4096, kAny, kAny, kAny, " E6320", 0},
    {1866, nullptr, kAny, kAny, kAny, kAny, " E6300", 0}, {2133, nullptr, 4096, kAny, kAny, kAny, " E6420", 0},
    {2133, nullptr, kAny, kAny, kAny, kAny, " E6400", 0}, {2333, "E6540", kAny, kAny, kAny, kAny, " E6540", 0},
    {2333, nullptr, kAny, kAny, kAny, kAny, " E6550", 0}, {2400, nullptr, kAny, kAny, kAny, kAny, " E6600", 0},
    {2666, "E6750", kAny, kAny, kAny, kAny, " E6750", 0}, {2666, nullptr, kAny, kAny, kAny, kAny, " E6700", 0},
    {3000, nullptr, kAny, kAny, kAny, kAny, " E6850", 0}, {2933, nullptr, kAny, kAny, kAny, kAny, " X6800", 0},
    {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const ModelNumberRow kKentsfield[] = {
    {2400, nullptr, kAny, kAny, kAny, kAny, " Q6600", 0}, {2666, "QX6700", kAny, kAny, kAny, kAny, " QX6700", 0},
    {2666, nullptr, kAny, kAny, kAny, kAny, " Q6700", 0}, {2933, nullptr, kAny, kAny, kAny, kAny, " QX6800", 0},
    {3000, nullptr, kAny, kAny, kAny, kAny, " QX6850", 0}, {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const ModelNumberRow kWolfdale[] = {
    {2533, nullptr, 3072, kAny, kAny, kAny, " E7200", 0}, {2666, nullptr, 3072, kAny, kAny, kAny, " E7300", 0},
    {2800, nullptr, 3072, kAny, kAny, kAny, " E7400", 0}, {2933, nullptr, 3072, kAny, kAny, kAny, " E7500", 0},
    {3066, nullptr, 3072, kAny, kAny, kAny, " E7600", 0}, {2666, nullptr, kAny, kAny, kAny, kAny, " E8200", 0},
    {2833, nullptr, kAny, kAny, kAny, kAny, " E8300", 0}, {3000, nullptr, kAny, kAny, kAny, kAny, " E8400", 0},
    {3166, nullptr, kAny, kAny, kAny, kAny, " E8500", 0}, {3333, nullptr, kAny, kAny, kAny, kAny, " E8600", 0},
    {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
// Yorkfield: the cache of one core pair (two instances per package).
const ModelNumberRow kYorkfield[] = {
    {2333, nullptr, 2048, kAny, kAny, kAny, " Q8200", 0}, {2500, nullptr, 2048, kAny, kAny, kAny, " Q8300", 0},
    {2500, nullptr, kAny, kAny, kAny, kAny, " Q9300", 0}, {2666, nullptr, 3072, kAny, kAny, kAny, " Q9400", 0},
    {2666, nullptr, kAny, kAny, kAny, kAny, " Q9450", 0}, {2833, nullptr, 3072, kAny, kAny, kAny, " Q9505", 0},
    {2833, nullptr, kAny, kAny, kAny, kAny, " Q9550", 0}, {3000, "QX9650", kAny, kAny, kAny, kAny, " QX9650", 0},
    {3000, nullptr, kAny, kAny, kAny, kAny, " Q9650", 0}, {3200, nullptr, kAny, kAny, kAny, kAny, " QX9770", 0},
    {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const ModelNumberRow kDunnington[] = {
    {2666, nullptr, kAny, kAny, 6, kAny, " X7460", 0}, {2400, nullptr, kAny, kAny, 6, kAny, " E7450", 0},
    {2400, nullptr, kAny, kAny, 4, kAny, " E7440", 0}, {2133, nullptr, 12288, kAny, 4, kAny, " E7430", 0},
    {2133, nullptr, 8192, kAny, 4, kAny, " E7420", 0}, {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const RevisionRow kConroeRevisions[] = {{2, "L2"}, {5, "B1"}, {6, "B2"}, {11, "G0"}, {13, "M0"}, {-1, nullptr}};
const RevisionRow kKentsfieldRevisions[] = {{7, "B3"}, {11, "G0"}, {-1, nullptr}};
const RevisionRow kWolfdaleRevisions[] = {{6, "C0", 6144}, {6, "M0"}, {10, "E0", 6144}, {10, "R0"}, {-1, nullptr}};
const RevisionRow kYorkfieldRevisions[] = {{7, "C1", 6144}, {7, "M1"}, {10, "E0", 6144}, {10, "R0"}, {-1, nullptr}};
const RevisionRow kDunningtonRevisions[] = {{1, "A1"}, {-1, nullptr}};

const NamingCase kCore2Cases[] = {
    {15, kAny, "Quad", "Intel Core 2 Quad", "Kentsfield", 0x01008004, 0x1001C, 0.065f, 0, kKentsfield,
     kKentsfieldRevisions},
    {15, kAny, nullptr, "Intel Core 2 Duo", "Conroe", 0x01008001, 0x1001C, 0.065f, 0, kConroe, kConroeRevisions},
    {23, kAny, "Quad", "Intel Core 2 Quad", "Yorkfield", 0x01008005, 0x1001C, 0.045f, 0, kYorkfield,
     kYorkfieldRevisions},
    {23, kAny, nullptr, "Intel Core 2 Duo", "Wolfdale", 0x01008002, 0x1001C, 0.045f, 0, kWolfdale,
     kWolfdaleRevisions},
    {29, kAny, nullptr, "Intel Xeon", "Dunnington", 0x01008003, 0x1001B, 0.045f, 0, kDunnington,
     kDunningtonRevisions},
    {-1, 0, nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr},
};

// ---- Nehalem generation
const ModelNumberRow kGainestown[] = {
    {1866, nullptr, kAny, kAny, kAny, kAny, " E5502", 0}, {2000, nullptr, kAny, kAny, 2, kAny, " E5503", 0},
    {2000, nullptr, kAny, kAny, kAny, kAny, " E5504", 0}, {2133, nullptr, 4096, kAny, kAny, kAny, " L5506", 0},
    {2133, nullptr, 8192, kAny, kAny, kAny, " L5518", 0}, {2266, nullptr, kAny, 80, kAny, kAny, " E5520", 0},
    {2266, nullptr, kAny, 60, kAny, kAny, " L5520", 0},   {2400, nullptr, kAny, 80, kAny, kAny, " E5530", 0},
    {2400, nullptr, kAny, 60, kAny, kAny, " L5530", 0},   {2533, nullptr, kAny, kAny, kAny, kAny, " E5540", 0},
    {2666, nullptr, kAny, kAny, kAny, kAny, " X5550", 0}, {2800, nullptr, kAny, kAny, kAny, kAny, " X5560", 0},
    {2933, nullptr, kAny, kAny, kAny, kAny, " X5570", 0}, {3200, nullptr, kAny, kAny, kAny, kAny, " W5580", 0},
    {3333, nullptr, kAny, kAny, kAny, kAny, " W5590", 0}, {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const ModelNumberRow kBloomfieldXeon[] = {
    {2666, nullptr, kAny, kAny, kAny, kAny, " W3520", 0}, {2800, nullptr, kAny, kAny, kAny, kAny, " W3530", 0},
    {2933, nullptr, kAny, kAny, kAny, kAny, " W3540", 0}, {3066, nullptr, kAny, kAny, kAny, kAny, " W3550", 0},
    // W3565 and W3570 differ only in the QPI link: 4.8 against 6.4 GT/s.
    {3200, nullptr, kAny, kAny, kAny, kAny, " W3565", 0, 18}, {3200, nullptr, kAny, kAny, kAny, kAny, " W3570", 0},
    {3333, nullptr, kAny, kAny, kAny, kAny, " W3580", 0},
    {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const ModelNumberRow kBloomfield[] = {
    {2666, nullptr, kAny, kAny, kAny, kAny, D, 920}, {2800, nullptr, kAny, kAny, kAny, kAny, D, 930},
    {2933, nullptr, kAny, kAny, kAny, kAny, D, 940}, {3066, nullptr, kAny, kAny, kAny, kAny, D, 950},
    {3200, nullptr, kAny, kAny, kAny, 1, D, 965},    {3200, nullptr, kAny, kAny, kAny, kAny, D, 960},
    {3333, nullptr, kAny, kAny, kAny, 1, D, 975},    {3333, nullptr, kAny, kAny, kAny, kAny, D, 970},
    {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const ModelNumberRow kLynnfield[] = {
    {2666, "i5", kAny, kAny, kAny, kAny, D, 750}, {2800, "i5", kAny, kAny, kAny, kAny, D, 760},
    {2800, nullptr, kAny, kAny, kAny, kAny, D, 860}, {2933, nullptr, kAny, kAny, kAny, kAny, D, 870},
    {3066, nullptr, kAny, kAny, kAny, kAny, D, 880}, {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const ModelNumberRow kGulftown[] = {
    {3333, nullptr, kAny, kAny, kAny, kAny, " 980X", 0}, {3466, nullptr, kAny, kAny, kAny, kAny, " 990X", 0},
    {3200, nullptr, kAny, kAny, kAny, kAny, " 970", 0}, {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const ModelNumberRow kWestmereEP[] = {
    {2400, nullptr, kAny, kAny, 4, kAny, " E5620", 0}, {2666, nullptr, kAny, kAny, 6, kAny, " X5650", 0},
    {2800, nullptr, kAny, kAny, 6, kAny, " X5660", 0}, {2933, nullptr, kAny, kAny, 6, kAny, " X5670", 0},
    {3066, nullptr, kAny, kAny, 6, kAny, " X5675", 0}, {3333, nullptr, kAny, kAny, 6, kAny, " X5680", 0},
    {3466, nullptr, kAny, kAny, 6, kAny, " X5690", 0}, {2266, nullptr, kAny, kAny, 6, kAny, " L5640", 0},
    {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const RevisionRow kNehalemRevisions[] = {{1, "A1"}, {2, "B0"}, {4, "C0/C1"}, {5, "D0"}, {-1, nullptr}};
const RevisionRow kLynnfieldRevisions[] = {{4, "A0"}, {5, "B1"}, {-1, nullptr}};
const RevisionRow kWestmereRevisions[] = {{0, "A0"}, {1, "B0"}, {2, "B1"}, {-1, nullptr}};
const RevisionRow kClarkdaleRevisions[] = {{2, "C2"}, {5, "K0"}, {-1, nullptr}};

const NamingCase kNehalemCases[] = {
    {26, 0, nullptr, "Intel Xeon", "Gainestown", 0x01020003, 0x10028, 0.045f, 0, kGainestown, kNehalemRevisions},
    {26, 1, "Xeon", "Intel Xeon", "Bloomfield", 0x01020003, 0x10028, 0.045f, 0, kBloomfieldXeon, kNehalemRevisions},
    {26, kAny, nullptr, "Intel Core i7", "Bloomfield", 0x01020001, 0x10028, 0.045f, 0, kBloomfield,
     kNehalemRevisions},
    {30, kAny, "Xeon", "Intel Xeon", "Lynnfield", 0x01020005, 0x10027, 0.045f, 0, nullptr, kLynnfieldRevisions},
    {30, kAny, "i5", "Intel Core i5", "Lynnfield", 0x01020004, 0x10027, 0.045f, 0, kLynnfield, kLynnfieldRevisions},
    {30, kAny, nullptr, "Intel Core i7", "Lynnfield", 0x01020004, 0x10027, 0.045f, 0, kLynnfield,
     kLynnfieldRevisions},
    {37, kAny, "i3", "Intel Core i3", "Clarkdale", 0x01020006, 0x10027, 0.032f, 0, nullptr, kClarkdaleRevisions},
    {37, kAny, nullptr, "Intel Core i5", "Clarkdale", 0x01020006, 0x10027, 0.032f, 0, nullptr, kClarkdaleRevisions},
    {44, kAny, "Xeon", "Intel Xeon", "Westmere-EP", 0x01020008, 0x10028, 0.032f, 0, kWestmereEP,
     kWestmereRevisions},
    {44, kAny, nullptr, "Intel Core i7", "Gulftown", 0x01020007, 0x10028, 0.032f, 0, kGulftown, kWestmereRevisions},
    {46, kAny, nullptr, "Intel Xeon", "Beckton", 0x01020009, 0x1002C, 0.045f, 0, nullptr, kNehalemRevisions},
    {47, kAny, nullptr, "Intel Xeon", "Westmere-EX", 0x0102000A, 0x1002C, 0.032f, 0, nullptr, kWestmereRevisions},
    {31, kAny, nullptr, "Intel Core i7", "Havendale", 0x0102000B, 0x10027, 0.045f, 0, nullptr, nullptr},
    {-1, 0, nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr},
};

// ---- Sandy Bridge generation (and Ivy Bridge)
const ModelNumberRow kSandyBridge[] = {
    {3400, "i7", kAny, kAny, kAny, 1, "-2600K", 0}, {3400, "i7", kAny, kAny, kAny, kAny, "-2600", 0},
    {3500, "i7", kAny, kAny, kAny, kAny, "-2700K", 0}, {3300, "i5", kAny, kAny, kAny, 1, "-2500K", 0},
    {3300, "i5", kAny, kAny, kAny, kAny, "-2500", 0}, {3100, "i5", kAny, kAny, kAny, kAny, "-2400", 0},
    {2800, "i5", kAny, kAny, kAny, kAny, "-2300", 0}, {3100, "i3", kAny, kAny, kAny, kAny, "-2100", 0},
    {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const ModelNumberRow kSandyBridgeE[] = {
    {3300, nullptr, kAny, kAny, kAny, kAny, "-3960X", 0}, {3500, nullptr, kAny, kAny, kAny, kAny, "-3970X", 0},
    {3200, nullptr, kAny, kAny, kAny, kAny, "-3930K", 0}, {3600, nullptr, kAny, kAny, kAny, kAny, "-3820", 0},
    {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const ModelNumberRow kIvyBridge[] = {
    {3500, "i7", kAny, kAny, kAny, 1, "-3770K", 0}, {3400, "i7", kAny, kAny, kAny, kAny, "-3770", 0},
    {3400, "i5", kAny, kAny, kAny, 1, "-3570K", 0}, {3200, "i5", kAny, kAny, kAny, kAny, "-3470", 0},
    {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const RevisionRow kSandyRevisions[] = {{6, "C1"}, {7, "D2"}, {9, "J1"}, {-1, nullptr}};
const RevisionRow kIvyRevisions[] = {{9, "E1"}, {4, "S1"}, {-1, nullptr}};

const NamingCase kSandyBridgeCases[] = {
    {42, kAny, "Xeon", "Intel Xeon", "Sandy Bridge", 0x01020102, 0x1002D, 0.032f, 0, nullptr, kSandyRevisions},
    {42, kAny, "i3", "Intel Core i3", "Sandy Bridge", 0x01020101, 0x1002D, 0.032f, 0, kSandyBridge, kSandyRevisions},
    {42, kAny, "i5", "Intel Core i5", "Sandy Bridge", 0x01020101, 0x1002D, 0.032f, 0, kSandyBridge, kSandyRevisions},
    {42, kAny, nullptr, "Intel Core i7", "Sandy Bridge", 0x01020101, 0x1002D, 0.032f, 0, kSandyBridge,
     kSandyRevisions},
    {45, kAny, "Xeon", "Intel Xeon", "Sandy Bridge-EP", 0x01020104, 0x1002E, 0.032f, 0, nullptr, kSandyRevisions},
    {45, kAny, nullptr, "Intel Core i7", "Sandy Bridge-E", 0x01020103, 0x1002E, 0.032f, 0, kSandyBridgeE,
     kSandyRevisions},
    {58, kAny, "i5", "Intel Core i5", "Ivy Bridge", 0x01020105, 0x1002D, 0.022f, 0, kIvyBridge, kIvyRevisions},
    {58, kAny, nullptr, "Intel Core i7", "Ivy Bridge", 0x01020105, 0x1002D, 0.022f, 0, kIvyBridge, kIvyRevisions},
    {62, kAny, nullptr, "Intel Core i7", "Ivy Bridge-E", 0x01020106, 0x1002E, 0.022f, 0, nullptr, kIvyRevisions},
    {-1, 0, nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr},
};

// ---- Haswell
const ModelNumberRow kHaswell[] = {
    {3500, "i7", kAny, kAny, kAny, 1, "-4770K", 0}, {3400, "i7", kAny, kAny, kAny, kAny, "-4770", 0},
    {3400, "i5", kAny, kAny, kAny, 1, "-4670K", 0}, {3200, "i5", kAny, kAny, kAny, kAny, "-4570", 0},
    {0, nullptr, 0, 0, 0, 0, nullptr, 0},
};
const RevisionRow kHaswellRevisions[] = {{3, "C0"}, {-1, nullptr}};
const NamingCase kHaswellCases[] = {
    {60, kAny, "Xeon", "Intel Xeon", "Haswell", 0x01020202, 0x10040, 0.022f, 0, nullptr, kHaswellRevisions},
    {60, kAny, "i5", "Intel Core i5", "Haswell", 0x01020201, 0x10040, 0.022f, 0, kHaswell, kHaswellRevisions},
    {60, kAny, nullptr, "Intel Core i7", "Haswell", 0x01020201, 0x10040, 0.022f, 0, kHaswell, kHaswellRevisions},
    {-1, 0, nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr},
};

bool Has(const CCPUThread* t, const char* word) { return word && std::strstr(t->specification, word); }

int CoreCount(const CCPUThread* t) {
  auto* v = dynamic_cast<Intel_CPU_Infos*>(t->vendorInfos);
  if (v && v->topologyCores > 0) return v->topologyCores;
  return t->coresPerPackage;
}

bool Matches(const ModelNumberRow& r, const CCPUThread* t, int unlocked) {
  if (r.ratedMHz != t->ratedMHz) return false;
  if (r.brandWord && !Has(t, r.brandWord)) return false;
  if (r.cacheKB != kAny && r.cacheKB != LastLevelCacheKB(t)) return false;
  if (r.linkRatio != kAny && r.linkRatio != t->linkRatio) return false;
  if (r.tdp != kAny && r.tdp != t->tdp) return false;
  if (r.cores != kAny && r.cores != CoreCount(t)) return false;
  if (r.unlocked != kAny && r.unlocked != unlocked) return false;
  return true;
}

void Append(char* text, size_t size, const ModelNumberRow& r) {
  size_t n = std::strlen(text);
  if (std::strcmp(r.suffix, D) == 0)
    std::snprintf(text + n, size - n, D, r.number);
  else
    std::snprintf(text + n, size - n, "%s", r.suffix);
}

}  // namespace

int LastLevelCacheKB(const CCPUThread* t) {
  CCacheDescriptor* c = t->FindCache(3, CACHE_UNIFIED);
  if (!c) c = t->FindCache(2, CACHE_UNIFIED);
  return c ? c->sizeKB : -1;
}

void ApplyNamingCases(CCPUThread* t, const NamingCase* cases, int unlocked) {
  for (const NamingCase* c = cases; c->extModel != -1; ++c) {
    if (c->extModel != t->extModel) continue;
    if (c->platformId != kAny && c->platformId != t->platformId) continue;
    if (c->brandWord && !Has(t, c->brandWord)) continue;
    std::snprintf(t->name, sizeof(t->name), "%s", c->name);
    std::snprintf(t->codeName, sizeof(t->codeName), "%s", c->codeName);
    t->typeCode = c->typeCode;
    if (c->packageCode > 0 && t->packageCode == -1) t->packageCode = c->packageCode;
    t->technology = c->technology;
    if (c->mobile) t->mobile = 1;
    // Unlocked Bloomfield parts carry the Extreme name and type code.
    if (c->typeCode == 0x01020001 && unlocked) {
      std::snprintf(t->name, sizeof(t->name), "Intel Core i7 Extreme");
      t->typeCode = 0x01020002;
    }
    if (c->numbers)
      for (const ModelNumberRow* r = c->numbers; r->ratedMHz; ++r)
        if (Matches(*r, t, unlocked)) {
          Append(t->name, sizeof(t->name), *r);
          break;
        }
    if (c->revisions)
      for (const RevisionRow* r = c->revisions; r->stepping != -1; ++r)
        if (r->stepping == t->stepping && (r->cacheKB == kAny || r->cacheKB == LastLevelCacheKB(t))) {
          std::snprintf(t->revisionName, sizeof(t->revisionName), "%s", r->revision);
          break;
        }
    return;
  }
}

void NameIntelCore2(CCPUThread* t) {
  std::snprintf(t->name, sizeof(t->name), "Intel Core 2");
  ApplyNamingCases(t, kCore2Cases, 0);
}

void NameIntelNehalem(CCPUThread* t, int unlocked) {
  std::snprintf(t->name, sizeof(t->name), "Intel Core i3/i5/i7");
  // Package by model and platform identifier.
  if (t->extModel == 26) {
    if (t->platformId == 1) t->packageCode = 0x10028;
    if (t->platformId == 2) t->packageCode = 0x1002C;
    if (t->platformId == 4) {
      t->packageCode = 0x10029;
      t->mobile = 1;
    }
  } else if (t->extModel == 30 || t->extModel == 37) {
    if (t->platformId == 1 || t->platformId == 7) t->packageCode = 0x10027;
    if (t->platformId == 4) {
      t->packageCode = 0x10029;
      t->mobile = 1;
    }
  } else if (t->extModel == 46 && t->platformId == 2) {
    t->packageCode = 0x1002C;
  }
  ApplyNamingCases(t, kNehalemCases, unlocked);
}

void NameIntelSandyBridge(CCPUThread* t, int unlocked) {
  std::snprintf(t->name, sizeof(t->name), "Intel Core i3/i5/i7");
  ApplyNamingCases(t, kSandyBridgeCases, unlocked);
}

void NameIntelHaswell(CCPUThread* t, int unlocked) {
  std::snprintf(t->name, sizeof(t->name), "Intel Core i3/i5/i7");
  ApplyNamingCases(t, kHaswellCases, unlocked);
}
