#include "sdk/cpu/ViaFamilies.h"

#include <cstdio>

#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/FIDVID_Control.h"
#include "sdk/cpu/IntelNaming.h"

namespace {

constexpr int kNanoBga2 = 0x10014;

// Family 6 by model: 10 and 13 are the C7 (Esther) core in its desktop,
// mobile and embedded products, 15 the Nano (Isaiah).
const NamingCase kC7Cases[] = {
    {10, kAny, "C7-M", "VIA C7-M", "Esther", 0x08001001, kNanoBga2, 0.09f, 1, nullptr, nullptr},
    {10, kAny, "Eden", "VIA Eden", "Esther", 0x08001002, kNanoBga2, 0.09f, 0, nullptr, nullptr},
    {10, kAny, nullptr, "VIA C7", "Esther", 0x08001003, kNanoBga2, 0.09f, 0, nullptr, nullptr},
    {13, kAny, "C7-M", "VIA C7-M", "Esther", 0x08001001, kNanoBga2, 0.09f, 1, nullptr, nullptr},
    {13, kAny, "Eden", "VIA Eden", "Esther", 0x08001002, kNanoBga2, 0.09f, 0, nullptr, nullptr},
    {13, kAny, nullptr, "VIA C7", "Esther", 0x08001003, kNanoBga2, 0.09f, 0, nullptr, nullptr},
    {-1, 0, nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr},
};
const NamingCase kNanoCases[] = {
    {15, kAny, nullptr, "VIA Nano", "Isaiah", 0x08002001, kNanoBga2, 0.065f, 0, nullptr, nullptr},
    {-1, 0, nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr},
};

}  // namespace

void ClassifyViaFamily(CCPUThread* t) {
  if (t->extFamily != 6) return;
  if (t->extModel == 10 || t->extModel == 13) {
    std::snprintf(t->name, sizeof(t->name), "VIA C7");
    t->AttachFamilyInfos(new VIA_C7_Infos());
  } else if (t->extModel == 15) {
    std::snprintf(t->name, sizeof(t->name), "VIA Nano");
    t->AttachFamilyInfos(new VIA_CNA_Infos());
  }
}

FIDVID_Control* VIA_C7_Infos::MakeRatioControl(CCPUThread*) { return new C7_FIDVID_Control(); }
FIDVID_Control* VIA_CNA_Infos::MakeRatioControl(CCPUThread*) { return new CNA_FIDVID_Control(); }

void VIA_C7_Infos::Classify(CCPUThread* t) { ApplyNamingCases(t, kC7Cases, 0); }
void VIA_CNA_Infos::Classify(CCPUThread* t) { ApplyNamingCases(t, kNanoCases, 0); }
