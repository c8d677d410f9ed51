// Names, code names, sockets, revisions and process sizes of the AMD
// families, keyed by extended model (model of the extended signature) and
// the product word of the brand string, like the maker's model lists.
#include "sdk/cpu/AmdFamilies.h"
#include "sdk/cpu/IntelNaming.h"

namespace {

constexpr int A = kAny;
constexpr ModelNumberRow kEnd = {0, nullptr, 0, 0, 0, 0, nullptr, 0};
constexpr RevisionRow kNoRevision = {-1, nullptr};

// Sockets (package codes, see PackageName).
constexpr int kSlotA = 0x20007, kSocketA = 0x10006, kSocket754 = 0x10007, kSocket939 = 0x10008,
              kSocket940 = 0x10009, kSocketAM2 = 0x1000A, kSocketS1 = 0x1000B, kSocketF = 0x1000C,
              kSocketAM2Plus = 0x10022, kSocketG34 = 0x10023, kSocketAM3 = 0x10024, kSocketFr6 = 0x1002B,
              kSocketFT1 = 0x10034, kSocketAM3Plus = 0x10036, kSocketFM1 = 0x10038, kSocketFM2 = 0x10042;

// ---- K7
const NamingCase kK7[] = {
    {1, A, nullptr, "AMD Athlon", "Argon", 0x02001001, kSlotA, 0.25f, 0, nullptr, nullptr},
    {2, A, nullptr, "AMD Athlon", "Pluto/Orion", 0x02001002, kSlotA, 0.18f, 0, nullptr, nullptr},
    {3, A, nullptr, "AMD Duron", "Spitfire", 0x02001003, kSocketA, 0.18f, 0, nullptr, nullptr},
    {4, A, nullptr, "AMD Athlon", "Thunderbird", 0x02001004, kSocketA, 0.18f, 0, nullptr, nullptr},
    {6, A, "Duron", "AMD Duron", "Morgan", 0x02001005, kSocketA, 0.18f, 0, nullptr, nullptr},
    {6, A, nullptr, "AMD Athlon XP", "Palomino", 0x02001006, kSocketA, 0.18f, 0, nullptr, nullptr},
    {7, A, nullptr, "AMD Duron", "Morgan", 0x02001005, kSocketA, 0.18f, 0, nullptr, nullptr},
    {8, A, nullptr, "AMD Athlon XP", "Thoroughbred", 0x02001007, kSocketA, 0.13f, 0, nullptr, nullptr},
    {10, A, nullptr, "AMD Athlon XP", "Barton", 0x02001008, kSocketA, 0.13f, 0, nullptr, nullptr},
    {-1, A, nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr},
};

// ---- K8
const RevisionRow kK8C0[] = {{8, "C0"}, {10, "CG"}, kNoRevision};
const NamingCase kK8[] = {
    {0x04, A, "Opteron", "AMD Opteron", "SledgeHammer", 0x02002001, kSocket940, 0.13f, 0, nullptr, kK8C0},
    {0x04, A, nullptr, "AMD Athlon 64", "ClawHammer", 0x02002002, kSocket754, 0.13f, 0, nullptr, kK8C0},
    {0x05, A, nullptr, "AMD Opteron", "SledgeHammer", 0x02002001, kSocket940, 0.13f, 0, nullptr, kK8C0},
    {0x2B, A, nullptr, "AMD Athlon 64 X2", "Manchester", 0x02002003, kSocket939, 0.09f, 0, nullptr, nullptr},
    {0x23, A, nullptr, "AMD Athlon 64 X2", "Toledo", 0x02002003, kSocket939, 0.09f, 0, nullptr, nullptr},
    {0x41, A, "Opteron", "AMD Opteron", "Santa Rosa", 0x02002004, kSocketF, 0.09f, 0, nullptr, nullptr},
    {0x43, A, nullptr, "AMD Athlon 64 X2", "Windsor", 0x02002005, kSocketAM2, 0.09f, 0, nullptr, nullptr},
    {0x48, A, nullptr, "AMD Turion 64 X2", "Taylor/Trinidad", 0x02002006, kSocketS1, 0.09f, 1, nullptr, nullptr},
    {0x6B, A, nullptr, "AMD Athlon 64 X2", "Brisbane", 0x02002007, kSocketAM2, 0.065f, 0, nullptr, nullptr},
    {0x7F, A, nullptr, "AMD Athlon 64", "Lima", 0x02002008, kSocketAM2, 0.065f, 0, nullptr, nullptr},
    {-1, A, nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr},
};

// ---- K10 (families 10h and 11h)
const ModelNumberRow kAgena[] = {
    {2300, nullptr, A, A, 4, A, " X4 9600", 0}, {2500, nullptr, A, A, 4, A, " X4 9850", 0},
    {2600, nullptr, A, A, 4, A, " X4 9950", 0}, kEnd,
};
const ModelNumberRow kDeneb[] = {
    {2800, nullptr, A, A, 4, A, " X4 925", 0}, {3000, nullptr, A, A, 4, A, " X4 945", 0},
    {3200, nullptr, A, A, 4, A, " X4 955", 0}, {3400, nullptr, A, A, 4, A, " X4 965", 0},
    {3500, nullptr, A, A, 4, A, " X4 970", 0}, {3700, nullptr, A, A, 4, A, " X4 980", 0},
    kEnd,
};
// The Deneb die with three (Heka) or two (Callisto) cores enabled.
const ModelNumberRow kHeka[] = {
    {2500, nullptr, A, A, A, A, " X3 705e", 0}, {2600, nullptr, A, A, A, A, " X3 710", 0},
    {2800, nullptr, A, A, A, A, " X3 720", 0},  {3000, nullptr, A, A, A, A, " X3 740", 0},
    kEnd,
};
const ModelNumberRow kCallisto[] = {
    {3000, nullptr, A, A, A, A, " X2 545", 0}, {3100, nullptr, A, A, A, A, " X2 550", 0},
    {3200, nullptr, A, A, A, A, " X2 555", 0}, {3300, nullptr, A, A, A, A, " X2 560", 0},
    {3400, nullptr, A, A, A, A, " X2 565", 0}, {3500, nullptr, A, A, A, A, " X2 570", 0},
    kEnd,
};
const ModelNumberRow kThuban[] = {
    {2800, nullptr, A, A, 6, A, " X6 1055T", 0}, {3200, nullptr, A, A, 6, A, " X6 1090T", 0},
    {3300, nullptr, A, A, 6, A, " X6 1100T", 0}, kEnd,
};
const ModelNumberRow kPropus[] = {
    {2600, nullptr, A, A, 4, A, " X4 620", 0}, {2800, nullptr, A, A, 4, A, " X4 630", 0},
    {2900, nullptr, A, A, 4, A, " X4 635", 0}, {3000, nullptr, A, A, 4, A, " X4 640", 0},
    {3100, nullptr, A, A, 4, A, " X4 645", 0}, kEnd,
};
const ModelNumberRow kPropusPhenom[] = {
    {3200, nullptr, A, A, 4, A, " X4 840", 0}, {3300, nullptr, A, A, 4, A, " X4 850", 0}, kEnd,
};
// Propus die with three cores enabled.
const ModelNumberRow kRana[] = {
    {2700, nullptr, A, A, A, A, " X3 425", 0}, {2900, nullptr, A, A, A, A, " X3 435", 0},
    {3000, nullptr, A, A, A, A, " X3 440", 0}, {3100, nullptr, A, A, A, A, " X3 445", 0},
    {3200, nullptr, A, A, A, A, " X3 450", 0}, {3300, nullptr, A, A, A, A, " X3 455", 0},
    {3400, nullptr, A, A, A, A, " X3 460", 0}, kEnd,
};
// Thuban die with four cores enabled.
const ModelNumberRow kZosma[] = {{3000, nullptr, A, A, A, A, " X4 960T", 0}, kEnd};
const ModelNumberRow kRegor[] = {
    {2800, nullptr, A, A, 2, A, " X2 240", 0}, {3000, nullptr, A, A, 2, A, " X2 250", 0},
    {3200, nullptr, A, A, 2, A, " X2 260", 0}, kEnd,
};
const RevisionRow kRevAgena[] = {{2, "DR-B2"}, {3, "DR-B3"}, kNoRevision};
const RevisionRow kRevDeneb[] = {{2, "RB-C2"}, {3, "RB-C3"}, kNoRevision};
const RevisionRow kRevPropus[] = {{2, "BL-C2"}, {3, "BL-C3"}, kNoRevision};
const RevisionRow kRevRegor[] = {{2, "DA-C2"}, {3, "DA-C3"}, kNoRevision};
const RevisionRow kRevThuban[] = {{0, "PH-E0"}, kNoRevision};
const RevisionRow kRevIstanbul[] = {{0, "HY-D0"}, {1, "HY-D1"}, kNoRevision};

const NamingCase kK10[] = {
    {2, A, "Opteron", "AMD Opteron", "Barcelona", 0x02004001, kSocketF, 0.065f, 0, nullptr, kRevAgena},
    {2, A, nullptr, "AMD Phenom", "Agena", 0x02004002, kSocketAM2Plus, 0.065f, 0, kAgena, kRevAgena},
    {3, A, nullptr, "AMD Turion X2 Ultra", "Griffin", 0x0200400A, kSocketS1, 0.065f, 1, nullptr, nullptr},
    {4, A, "Opteron", "AMD Opteron", "Shanghai", 0x02004004, kSocketFr6, 0.045f, 0, nullptr, kRevDeneb},
    {4, A, "Athlon", "AMD Athlon II", "Deneb", 0x02004005, kSocketAM3, 0.045f, 0, nullptr, kRevDeneb},
    {4, A, " X3 ", "AMD Phenom II", "Heka", 0x0200400C, kSocketAM3, 0.045f, 0, kHeka, kRevDeneb},
    {4, A, " X2 ", "AMD Phenom II", "Callisto", 0x0200400D, kSocketAM3, 0.045f, 0, kCallisto, kRevDeneb},
    {4, A, nullptr, "AMD Phenom II", "Deneb", 0x02004003, kSocketAM3, 0.045f, 0, kDeneb, kRevDeneb},
    {5, A, "Phenom", "AMD Phenom II", "Propus", 0x02004006, kSocketAM3, 0.045f, 0, kPropusPhenom, kRevPropus},
    {5, A, " X3 ", "AMD Athlon II", "Rana", 0x0200400E, kSocketAM3, 0.045f, 0, kRana, kRevPropus},
    {5, A, nullptr, "AMD Athlon II", "Propus", 0x02004006, kSocketAM3, 0.045f, 0, kPropus, kRevPropus},
    {6, A, nullptr, "AMD Athlon II", "Regor", 0x02004007, kSocketAM3, 0.045f, 0, kRegor, kRevRegor},
    {8, A, nullptr, "AMD Opteron", "Istanbul", 0x02004008, kSocketFr6, 0.045f, 0, nullptr, kRevIstanbul},
    {9, A, nullptr, "AMD Opteron", "Magny-Cours", 0x02004009, kSocketG34, 0.045f, 0, nullptr, kRevIstanbul},
    {10, A, " X4 ", "AMD Phenom II", "Zosma", 0x0200400F, kSocketAM3, 0.045f, 0, kZosma, kRevThuban},
    {10, A, nullptr, "AMD Phenom II", "Thuban", 0x0200400B, kSocketAM3, 0.045f, 0, kThuban, kRevThuban},
    {-1, A, nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr},
};

// ---- K12
const ModelNumberRow kLlano[] = {
    {2900, "A8-", A, A, 4, A, "-3850", 0}, {2400, "A8-", A, A, 4, A, "-3800", 0},
    {2600, "A6-", A, A, 4, A, "-3650", 0}, {2100, "A6-", A, A, 4, A, "-3600", 0},
    {2700, "A4-", A, A, 2, A, "-3400", 0}, kEnd,
};
const NamingCase kK12[] = {
    {1, A, "A8-", "AMD A8", "Llano", 0x02040001, kSocketFM1, 0.032f, 0, kLlano, nullptr},
    {1, A, "A6-", "AMD A6", "Llano", 0x02040001, kSocketFM1, 0.032f, 0, kLlano, nullptr},
    {1, A, "A4-", "AMD A4", "Llano", 0x02040001, kSocketFM1, 0.032f, 0, kLlano, nullptr},
    {1, A, nullptr, "AMD Athlon II", "Llano", 0x02040002, kSocketFM1, 0.032f, 0, nullptr, nullptr},
    {-1, A, nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr},
};

// ---- K14
const ModelNumberRow kZacate[] = {
    {1600, nullptr, A, A, 2, A, "-350", 0}, {1650, nullptr, A, A, 2, A, "-450", 0},
    {1300, nullptr, A, A, 2, A, "-300", 0}, {1500, nullptr, A, A, 1, A, "-240", 0}, kEnd,
};
const ModelNumberRow kOntario[] = {
    {1000, nullptr, A, A, 2, A, "-50", 0}, {1200, nullptr, A, A, 1, A, "-30", 0}, kEnd,
};
const NamingCase kK14[] = {
    {1, A, "E-", "AMD E", "Zacate", 0x02010001, kSocketFT1, 0.04f, 0, kZacate, nullptr},
    {1, A, "C-", "AMD C", "Ontario", 0x02010002, kSocketFT1, 0.04f, 1, kOntario, nullptr},
    {2, A, "E-", "AMD E", "Zacate", 0x02010001, kSocketFT1, 0.04f, 0, kZacate, nullptr},
    {-1, A, nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr},
};

// ---- K15
const ModelNumberRow kZambezi[] = {
    {3600, nullptr, A, A, 8, A, "-8150", 0}, {3100, nullptr, A, A, 8, A, "-8120", 0},
    {3300, nullptr, A, A, 6, A, "-6100", 0}, {3600, nullptr, A, A, 4, A, "-4100", 0}, kEnd,
};
const ModelNumberRow kVishera[] = {
    {4000, nullptr, A, A, 8, A, "-8350", 0}, {4700, nullptr, A, A, 8, A, "-9590", 0},
    {3500, nullptr, A, A, 6, A, "-6300", 0}, {4200, nullptr, A, A, 4, A, "-4350", 0}, kEnd,
};
const ModelNumberRow kTrinity[] = {{3800, "A10-", A, A, 4, A, "-5800K", 0}, {3600, "A8-", A, A, 4, A, "-5600K", 0}, kEnd};
const RevisionRow kRevZambezi[] = {{2, "OR-B2"}, kNoRevision};
const RevisionRow kRevVishera[] = {{0, "OR-C0"}, kNoRevision};
const NamingCase kK15[] = {
    {1, A, "Opteron", "AMD Opteron", "Interlagos", 0x02020002, kSocketG34, 0.032f, 0, nullptr, kRevZambezi},
    {1, A, nullptr, "AMD FX", "Zambezi", 0x02020001, kSocketAM3Plus, 0.032f, 0, kZambezi, kRevZambezi},
    {2, A, "Opteron", "AMD Opteron", "Abu Dhabi", 0x02020004, kSocketG34, 0.032f, 0, nullptr, kRevVishera},
    {2, A, nullptr, "AMD FX", "Vishera", 0x02020003, kSocketAM3Plus, 0.032f, 0, kVishera, kRevVishera},
    {0x10, A, "A10-", "AMD A10", "Trinity", 0x02020005, kSocketFM2, 0.032f, 0, kTrinity, nullptr},
    {0x10, A, "A8-", "AMD A8", "Trinity", 0x02020005, kSocketFM2, 0.032f, 0, kTrinity, nullptr},
    {-1, A, nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr},
};

}  // namespace

const NamingCase* const kAmdK7Cases = kK7;
const NamingCase* const kAmdK8Cases = kK8;
const NamingCase* const kAmdK10Cases = kK10;
const NamingCase* const kAmdK12Cases = kK12;
const NamingCase* const kAmdK14Cases = kK14;
const NamingCase* const kAmdK15Cases = kK15;
