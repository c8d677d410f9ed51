#include "sdk/cpu/AmdFamilies.h"

#include <cstdio>

#include "platform/Machine.h"
#include "sdk/core/RoundToInt.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/FIDVID_Control.h"
#include "sdk/cpu/IntelFamilies.h"
#include "sdk/cpu/IntelNaming.h"
#include "sdk/cpu/LinkRatio.h"
#include "sdk/cpu/MSR_Register.h"
#include "sdk/cpu/Timers.h"

namespace {

constexpr uint32_t kPerfEvtSel0 = 0xC0010000;
constexpr uint32_t kPerfCtr0 = 0xC0010004;
constexpr uint32_t kHwcr = 0xC0010015;
// Event 0x76 (cycles not halted), user and operating-system level.
constexpr uint32_t kCyclesNotHalted = 0x18076;
constexpr uint32_t kCounterEnable = 1u << 22;

// Leaf 0x80000007 EDX bits 1 (FID control) or 2 (VID control).
bool HasFidVidControl(const CCPUThread* t) {
  if (t->maxExtendedLeaf < 0x80000007u) return false;
  return (plat::CurrentMachine().Cpuid(0x80000007, 0).edx & 0x6) != 0;
}

}  // namespace

CCPUInfos* MakeAmdFamilyInfos(int extFamily) {
  switch (extFamily) {
    case 5: return new CAmdFamilyInfos(CPU_AMD_K5);
    case 6: return new CAmdFamilyInfos(CPU_AMD_K6);
    case 7: return new AMD_K7_Infos();
    case 15: return new AMD_K8_Infos();
    case 16:
    case 17: return new AMD_K10_Infos();
    case 18: return new AMD_K12_Infos();
    case 20: return new AMD_K14_Infos();
    case 21: return new AMD_K15_Infos();
    default: return nullptr;
  }
}

float MeasureAmdCounterClock(CCPUThread* t, CTimer* timer) {
  if (!timer || timer->type != TIMER_ACPI || !t->tsc) return -1.0f;
  if (t->tsc->frequency <= 0) t->tsc->Calibrate(timer, 1, 1);
  if (t->tsc->frequency <= 0) return -1.0f;
  MSR_Register select(kPerfEvtSel0);
  if (!select.Read()) return -1.0f;
  const uint32_t savedHigh = select.high, savedLow = select.low;
  if (!select.Write(0, kCyclesNotHalted) || !select.Write(0, kCyclesNotHalted | kCounterEnable)) {
    select.Write(savedHigh, savedLow);
    return -1.0f;
  }
  MSR_Register counterRegister(kPerfCtr0);
  auto* counter = new CPRFCounter(&counterRegister);
  double hz = counter->Calibrate(t->tsc, 0, 1);
  delete counter;
  select.Write(savedHigh, savedLow);
  return hz > 0 ? static_cast<float>(hz / 1e6) : -1.0f;
}

// ------------------------------------------------------------------ K7, K8

void AMD_K7_Infos::Probe(CCPUThread* t) {
  ApplyAmdTopology(t, false);
  if (!HasFidVidControl(t)) return;
  AdoptRatioControl(t, new K7_FIDVID_Control());
}

void AMD_K7_Infos::Classify(CCPUThread* t) { ApplyNamingCases(t, kAmdK7Cases, 0); }

float AMD_K7_Infos::GetMultiplier(CCPUThread* t) { return RefreshedRatio(t); }

void AMD_K8_Infos::Probe(CCPUThread* t) {
  ApplyAmdTopology(t, true);
  t->linkRatio = HyperTransportLinkRatio(false);
  t->busCode = 200;  // the 200 MHz reference of the core and HyperTransport clocks
  if (!HasFidVidControl(t)) return;
  AdoptRatioControl(t, new K8_FIDVID_Control(t->extModel >= 0x40));
}

void AMD_K8_Infos::Classify(CCPUThread* t) { ApplyNamingCases(t, kAmdK8Cases, 0); }

float AMD_K8_Infos::GetMultiplier(CCPUThread* t) { return RefreshedRatio(t); }

// ------------------------------------------------------------------ K10 and later

K10_FIDVID_Control* AMD_K10_Infos::MakeRatioControl(CCPUThread* t) {
  return new K10_FIDVID_Control(t->extFamily == 17 ? 8 : 16);
}
K10_FIDVID_Control* AMD_K12_Infos::MakeRatioControl(CCPUThread*) { return new K12_FIDVID_Control(); }
K10_FIDVID_Control* AMD_K14_Infos::MakeRatioControl(CCPUThread*) { return new K14_FIDVID_Control(); }
K10_FIDVID_Control* AMD_K15_Infos::MakeRatioControl(CCPUThread*) { return new K15_FIDVID_Control(); }

const NamingCase* AMD_K10_Infos::NamingCases() const { return kAmdK10Cases; }
const NamingCase* AMD_K12_Infos::NamingCases() const { return kAmdK12Cases; }
const NamingCase* AMD_K14_Infos::NamingCases() const { return kAmdK14Cases; }
const NamingCase* AMD_K15_Infos::NamingCases() const { return kAmdK15Cases; }

void AMD_K10_Infos::Probe(CCPUThread* t) {
  ApplyAmdTopology(t, false);
  // Families 12h and 14h reach their chipset over UMI, not HyperTransport.
  if (typeCode == CPU_AMD_K10 || typeCode == CPU_AMD_K15) t->linkRatio = HyperTransportLinkRatio(true);
  t->busCode = static_cast<int>(referenceMHz);
  K10_FIDVID_Control* control = MakeRatioControl(t);
  ratioControl = control;
  control->Refresh();
  p0Ratio = control->P0Ratio();
  if (p0Ratio > 0) {
    t->maxRatio = p0Ratio;
    t->minRatio = control->MinRatio();
    int fid = 0, vid = 0, current = 0;
    // Family 14h knows its P0 frequency directly; the others are reference x ratio.
    if (control->GetPState(0, &fid, &vid, &current) && control->states[0]->frequency > 0)
      t->ratedMHz = control->states[0]->frequency;
    else
      t->ratedMHz = RoundToInt(referenceMHz * p0Ratio);
  }
}

void AMD_K10_Infos::Classify(CCPUThread* t) { ApplyNamingCases(t, NamingCases(), 0); }

float AMD_K10_Infos::GetMultiplier(CCPUThread* t) { return RefreshedRatio(t); }

float AMD_K10_Infos::GetBusClock(CCPUThread* t) {
  MSR_Register* hwcr = t->ReadMSR(kHwcr);
  if (!hwcr || !(hwcr->low & (1u << 24)) || p0Ratio <= 0) return -1.0f;
  float tsc = MeasureTSC();
  return tsc > 0 ? tsc / p0Ratio : -1.0f;
}

float AMD_K12_Infos::MeasureCoreClock(CCPUThread* t, CTimer* timer) {
  MSR_Register* hwcr = t->ReadMSR(kHwcr);
  if (!hwcr || !(hwcr->low & (1u << 24)) || p0Ratio <= 0) return -1.0f;
  float ratio = RefreshedRatio(t);
  if (ratio <= 0 || !timer || timer->type != TIMER_ACPI) return -1.0f;
  float tsc = MeasureTSC();
  return tsc > 0 ? tsc * ratio / p0Ratio : -1.0f;
}
