#include "sdk/cpu/CCPUThread.h"

#include <cstdio>
#include <cstring>

#include "platform/Machine.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInfos.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/FIDVID_Control.h"
#include "sdk/cpu/MSR_Register.h"
#include "sdk/access/CMemoryIOSpace.h"
#include "sdk/cpu/Timers.h"
#include "sdk/cpu/VendorInfos.h"

namespace {

bool Bit(uint32_t v, int b) { return ((v >> b) & 1) != 0; }

void CopyRegs(char* out, const plat::CpuidRegs& r) {
  std::memcpy(out, &r.ebx, 4);
  std::memcpy(out + 4, &r.edx, 4);
  std::memcpy(out + 8, &r.ecx, 4);
  out[12] = '\0';
}

struct VendorRow {
  const char* vendor;
  const char* name;
  CCPUInfos* (*make)();
};

// Vendor dispatch, compared exactly and in this order.
const VendorRow kVendors[] = {
    {"GenuineIntel", "Intel Processor", [] { return static_cast<CCPUInfos*>(new Intel_CPU_Infos()); }},
    {"AuthenticAMD", "AMD Processor", [] { return static_cast<CCPUInfos*>(new AMD_CPU_Infos()); }},
    {"CyrixInstead", "Cyrix Processor", [] { return static_cast<CCPUInfos*>(new CPlainVendorInfos(CPU_CYRIX)); }},
    {"CentaurHauls", "VIA Processor", [] { return static_cast<CCPUInfos*>(new VIA_CPU_Infos()); }},
    {"GenuineTMx86", "Transmeta Processor",
     [] { return static_cast<CCPUInfos*>(new CPlainVendorInfos(CPU_TRANSMETA)); }},
    {"UMC UMC UMC ", "UMC Processor", nullptr},
    {"NexGenDriven", "NexGen Processor", nullptr},
    {"RiseRiseRise", "Rise Processor", nullptr},
    {"SiS SiS SiS ", "SiS Processor", nullptr},
    {"Geode by NSC", "National Semiconductor Processor", nullptr},
    {"Vortex86 SoC", "DM&P Processor", [] { return static_cast<CCPUInfos*>(new CPlainVendorInfos(CPU_DMP)); }},
};

}  // namespace

float NominalBusClock(int busCode) {
  static const struct {
    int code;
    float mhz;
  } kBuses[] = {{25, 25.0f},    {33, 33.34f},   {50, 50.0f},   {66, 66.67f},   {100, 100.0f}, {133, 133.34f},
                {166, 166.67f}, {200, 200.0f}, {266, 266.67f}, {333, 333.34f}, {400, 400.0f}};
  for (const auto& b : kBuses)
    if (b.code == busCode) return b.mhz;
  return -1.0f;
}

CCPUInfos::~CCPUInfos() { delete ratioControl; }

void CCPUInfos::AdoptRatioControl(CCPUThread* t, FIDVID_Control* control) {
  delete ratioControl;
  ratioControl = control;
  if (!control || !control->Refresh()) return;
  if (control->MaxRatio() > 0) t->maxRatio = control->MaxRatio();
  if (control->MinRatio() > 0) t->minRatio = control->MinRatio();
}

void CSpeedStepFamilyInfos::Probe(CCPUThread* t) {
  if (t->maxStandardLeaf >= 1 && (t->featuresECX & 0x80)) AdoptRatioControl(t, MakeRatioControl(t));
}

float CCPUInfos::RefreshedRatio(CCPUThread* t) {
  if (!ratioControl || !ratioControl->Refresh()) return -1.0f;
  t->currentRatio = ratioControl->CurrentRatio();
  return t->currentRatio;
}

CCPUThread::CCPUThread(int enumerationIndex)
    : msrs(new CTList<MSR_Register>()),
      apicId(enumerationIndex),
      affinityIndex(enumerationIndex),
      caches(new CTList<CCacheDescriptor>()) {}

CCPUThread::~CCPUThread() {
  delete modelInfos;
  delete familyInfos;
  delete vendorInfos;
  msrs->DeleteAll();
  delete msrs;
  caches->DeleteAll();
  delete caches;
}

int CCPUThread::Identify() {
  plat::Machine& m = plat::CurrentMachine();
  plat::CpuidRegs r = m.Cpuid(0, 0);
  maxStandardLeaf = r.eax;
  CopyRegs(vendor, r);
  if (maxStandardLeaf != 0) {
    r = m.Cpuid(1, 0);
    if (Bit(r.edx, 4) && QUARNSDK::HasInstance()) {
      tsc = new CTSCCounter();
      QUARNSDK::GetInstance()->AddTimer(tsc);
    }
    family = static_cast<int>((r.eax >> 8) & 0xF);
    model = static_cast<int>((r.eax >> 4) & 0xF);
    stepping = static_cast<int>(r.eax & 0xF);
    signature = static_cast<int>(r.eax & 0xFFF);
    featuresECX = r.ecx;
    featuresEDX = r.edx;
    hasApic = Bit(r.edx, 9);
  }
  r = m.Cpuid(0x80000000, 0);
  maxExtendedLeaf = r.eax;
  if (maxExtendedLeaf > 0x80000000u) {
    r = m.Cpuid(0x80000001, 0);
    extFeaturesECX = r.ecx;
    extFeaturesEDX = r.edx;
    noExecute = Bit(r.edx, 20);
  }
  ReadFeatureFlags();
  MapLocalApic();

  const VendorRow* row = nullptr;
  for (const VendorRow& v : kVendors)
    if (std::strcmp(vendor, v.vendor) == 0) row = &v;
  if (row) {
    std::snprintf(name, sizeof(name), "%s", row->name);
    if (std::strcmp(row->vendor, "CyrixInstead") == 0) typeCode = CPU_CYRIX;
    if (row->make) AttachVendorInfos(row->make());
  } else {
    std::snprintf(name, sizeof(name), "%.12s Processor", vendor);
  }
  WriteShadowStrings();
  return 1;
}

void CCPUThread::ReadFeatureFlags() {
  plat::Machine& m = plat::CurrentMachine();
  if (maxStandardLeaf != 0) {
    mmx = Bit(featuresEDX, 23);
    sse = Bit(featuresEDX, 25);
    sse2 = Bit(featuresEDX, 26);
    sse3 = Bit(featuresECX, 0);
    ssse3 = Bit(featuresECX, 9);
    sse41 = Bit(featuresECX, 19);
    sse42 = Bit(featuresECX, 20);
    aes = Bit(featuresECX, 25);
    avx = Bit(featuresECX, 28);
    fma3 = Bit(featuresECX, 12);
    popcnt = Bit(featuresECX, 23);
  }
  if (maxExtendedLeaf >= 0x80000001u) {
    mmxExt = Bit(extFeaturesEDX, 22);
    now3d = Bit(extFeaturesEDX, 31);
    now3dExt = Bit(extFeaturesEDX, 30);
    sse4a = Bit(extFeaturesECX, 6);
    xop = Bit(extFeaturesECX, 11);
    x64 = Bit(extFeaturesEDX, 29);
  }
  if (maxStandardLeaf >= 7) avx2 = Bit(m.Cpuid(7, 0).ebx, 5);
}

int CCPUThread::HasFeature(int id) const {
  switch (id) {
    case FEATURE_MMX: return mmx;
    case FEATURE_MMX_EXT: return mmxExt;
    case FEATURE_3DNOW: return now3d;
    case FEATURE_3DNOW_EXT: return now3dExt;
    case FEATURE_SSE: return sse;
    case FEATURE_SSE2: return sse2;
    case FEATURE_SSE3: return sse3;
    case FEATURE_SSSE3: return ssse3;
    case FEATURE_SSE41: return sse41;
    case FEATURE_SSE42: return sse42;
    case FEATURE_SSE4A: return sse4a;
    case FEATURE_XOP: return xop;
    case FEATURE_64BIT: return x64;
    case FEATURE_NX: return noExecute;
    case FEATURE_VIRTUALIZATION: return virtualization;
    case FEATURE_AES: return aes;
    case FEATURE_AVX: return avx;
    case FEATURE_AVX2: return avx2;
    case FEATURE_FMA3: return fma3;
    default: return 0;
  }
}

void CCPUThread::MapLocalApic() {
  if (!hasApic || !QUARNSDK::HasInstance()) return;
  MSR_Register* base = ReadMSR(0x1B);
  if (!base || !(base->low & 0x800)) return;
  uint32_t address = base->low & ~0xFFFu;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  CIOSpace* space = sdk->FindIOSpace(0, address, IOSPACE_MEMORY);
  if (!space) {
    space = new CMemoryIOSpace(0, address, 4096);
    sdk->AddIOSpace(space);
  }
  localApic = space;
}

void CCPUThread::WriteShadowStrings() {
  const char* sources[3] = {name, specification, codeName};
  char* targets[3] = {shadowName, shadowSpecification, shadowCodeName};
  for (int k = 0; k < 3; ++k) {
    size_t n = std::strlen(sources[k]);
    for (size_t i = 0; i < n; ++i) targets[k][i] = static_cast<char>(sources[k][i] ^ kShadowKeys[k]);
    targets[k][n] = '\0';
  }
}

MSR_Register* CCPUThread::ReadMSR(uint32_t index) {
  for (MSR_Register* r : Items(msrs))
    if (r->index == index) return r->Read() ? r : nullptr;
  auto* r = new MSR_Register(index);
  if (!r->Read()) {
    delete r;
    return nullptr;
  }
  msrs->Append(r);
  return r;
}

MSR_Register* CCPUThread::FindMSR(uint32_t index) const {
  for (MSR_Register* r : Items(msrs))
    if (r->index == index) return r;
  return nullptr;
}

CCacheDescriptor* CCPUThread::FindCache(int lvl, int cacheType) const {
  for (CCacheDescriptor* c : Items(caches))
    if (c->level == lvl && c->type == cacheType) return c;
  return nullptr;
}

CCacheDescriptor* CCPUThread::AddCache(int lvl, int cacheType) {
  auto* c = new CCacheDescriptor();
  c->level = lvl;
  c->type = cacheType;
  caches->Append(c);
  return c;
}

int CCPUThread::AttachVendorInfos(CCPUInfos* infos) {
  if (!infos || infos->level != INFOS_VENDOR) return 0;
  typeCode = infos->typeCode;
  delete vendorInfos;
  vendorInfos = infos;
  infos->Probe(this);
  infos->ReadCaches(this);
  infos->Classify(this);
  return 1;
}

int CCPUThread::AttachFamilyInfos(CCPUInfos* infos) {
  if (!infos || infos->level != INFOS_FAMILY) return 0;
  typeCode = infos->typeCode;
  delete familyInfos;
  familyInfos = infos;
  infos->Probe(this);
  infos->ReadCaches(this);
  infos->Classify(this);
  return 1;
}

FIDVID_Control* CCPUThread::GetRatioControl() const {
  for (CCPUInfos* i : {modelInfos, familyInfos, vendorInfos})
    if (i && i->ratioControl) return i->ratioControl;
  return nullptr;
}

int CCPUThread::PinToSelf(uint32_t sleepMs) {
  plat::Machine& m = plat::CurrentMachine();
  int ok = m.SetProcessAffinity(0, 1ull << affinityIndex) ? 1 : 0;
  if (sleepMs) m.Sleep(sleepMs);
  return ok;
}

float CCPUThread::AskInfos(float (*ask)(CCPUInfos*, CCPUThread*)) {
  float last = -1.0f;
  for (CCPUInfos* i : {modelInfos, familyInfos, vendorInfos}) {
    if (!i) continue;
    last = ask(i, this);
    if (last > 0) return last;
  }
  return last;
}

float CCPUThread::GetMultiplier() {
  return AskInfos([](CCPUInfos* i, CCPUThread* t) { return i->GetMultiplier(t); });
}
float CCPUThread::GetTemperature() {
  return AskInfos([](CCPUInfos* i, CCPUThread* t) { return i->GetTemperature(t); });
}
float CCPUThread::UpdatePackageSensors() {
  return AskInfos([](CCPUInfos* i, CCPUThread* t) { return i->UpdatePackageSensors(t); });
}
float CCPUThread::GetBusClock() {
  return AskInfos([](CCPUInfos* i, CCPUThread* t) { return i->GetBusClock(t); });
}
float CCPUThread::MeasureCoreClock() {
  return AskInfos([](CCPUInfos* i, CCPUThread* t) {
    CTimer* timer = nullptr;
    if (QUARNSDK::HasInstance()) {
      QUARNSDK* sdk = QUARNSDK::GetInstance();
      timer = sdk->FindTimer(TIMER_ACPI);
      if (!timer) timer = sdk->FindTimer(TIMER_PERFORMANCE);
    }
    return i->MeasureCoreClock(t, timer);
  });
}

float CCPUThread::MeasureClockWithTSC() {
  if (!tsc || !QUARNSDK::HasInstance()) return -1.0f;
  CTimer* acpi = QUARNSDK::GetInstance()->FindTimer(TIMER_ACPI);
  if (!acpi) return -1.0f;
  double t0 = tsc->Read(), a0 = 0;
  if (!WaitTicks(*acpi, 25000, &a0)) return -1.0f;
  double t1 = tsc->Read(), a1 = acpi->Read();
  double da = acpi->Elapsed(a0, a1);
  if (da <= 0) return -1.0f;
  return static_cast<float>((t1 - t0) * acpi->frequency / da / 1e6);
}
