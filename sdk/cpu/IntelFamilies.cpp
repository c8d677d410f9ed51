#include "sdk/cpu/IntelFamilies.h"

#include <cstdio>
#include <cstring>

#include "driver/CKMDriver.h"
#include "platform/Machine.h"
#include "sdk/core/HardwareLock.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/core/CSensor.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CpuDriver.h"
#include "sdk/cpu/FIDVID_Control.h"
#include "sdk/cpu/IntelNaming.h"
#include "sdk/cpu/LinkRatio.h"
#include "sdk/cpu/MSR_Register.h"
#include "sdk/cpu/Timers.h"
#include "sdk/cpu/VendorInfos.h"

namespace {

// The last row whose text the brand string contains; -1 for none.
int RatedFromBrand(const char* brand, const RatedFrequencyRow* rows) {
  int mhz = -1;
  for (const RatedFrequencyRow* r = rows; r->mhzText; ++r)
    if (std::strstr(brand, r->mhzText) || std::strstr(brand, r->ghzText)) mhz = r->mhz;
  return mhz;
}

}  // namespace

namespace {

uint32_t Bits(uint64_t v, int last, int first) {
  return static_cast<uint32_t>((v >> first) & ((1ull << (last - first + 1)) - 1));
}

Intel_CPU_Infos* VendorOf(CCPUThread* t) { return dynamic_cast<Intel_CPU_Infos*>(t->vendorInfos); }

CACPITimer* AcpiTimer() {
  if (!QUARNSDK::HasInstance()) return nullptr;
  return static_cast<CACPITimer*>(QUARNSDK::GetInstance()->FindTimer(TIMER_ACPI));
}

struct FamilyRow {
  int extModel;  // -1 matches any
  const char* name;
  uint32_t code;
  CCPUInfos* (*make)();
};

CCPUInfos* Plain(uint32_t code) { return new CPlainFamilyInfos(code); }

// Extended family 6, by extended model.
const FamilyRow kFamily6[] = {
    {1, "Intel P6", CPU_INTEL_P6, [] { return Plain(CPU_INTEL_P6); }},
    {3, "Intel P6", CPU_INTEL_P6, [] { return Plain(CPU_INTEL_P6); }},
    {5, "Intel P6", CPU_INTEL_P6, [] { return Plain(CPU_INTEL_P6); }},
    {6, "Intel P6", CPU_INTEL_P6, [] { return Plain(CPU_INTEL_P6); }},
    {7, "Intel P6", CPU_INTEL_P6, [] { return Plain(CPU_INTEL_P6); }},
    {8, "Intel P6", CPU_INTEL_P6, [] { return Plain(CPU_INTEL_P6); }},
    {10, "Intel P6", CPU_INTEL_P6, [] { return Plain(CPU_INTEL_P6); }},
    {11, "Intel P6", CPU_INTEL_P6, [] { return Plain(CPU_INTEL_P6); }},
    {9, "Intel Mobile", CPU_INTEL_MOBILE, [] { return static_cast<CCPUInfos*>(new Intel_Mobile_Infos()); }},
    {13, "Intel Mobile", CPU_INTEL_MOBILE, [] { return static_cast<CCPUInfos*>(new Intel_Mobile_Infos()); }},
    {14, "Intel Core", CPU_INTEL_CORE, [] { return static_cast<CCPUInfos*>(new Intel_Core_Infos()); }},
    {15, "Intel Core 2", CPU_INTEL_CORE2, [] { return static_cast<CCPUInfos*>(new Intel_Core_2_Infos()); }},
    {21, "Intel Core 2", CPU_INTEL_CORE2, [] { return static_cast<CCPUInfos*>(new Intel_Core_2_Infos()); }},
    {22, "Intel Core 2", CPU_INTEL_CORE2, [] { return static_cast<CCPUInfos*>(new Intel_Core_2_Infos()); }},
    {23, "Intel Core 2", CPU_INTEL_CORE2, [] { return static_cast<CCPUInfos*>(new Intel_Core_2_Infos()); }},
    {29, "Intel Core 2", CPU_INTEL_CORE2, [] { return static_cast<CCPUInfos*>(new Intel_Core_2_Infos()); }},
    {26, "Intel Nehalem", CPU_INTEL_NEHALEM, [] { return static_cast<CCPUInfos*>(new Intel_Nehalem_Infos()); }},
    {30, "Intel Nehalem", CPU_INTEL_NEHALEM, [] { return static_cast<CCPUInfos*>(new Intel_Nehalem_Infos()); }},
    {31, "Intel Nehalem", CPU_INTEL_NEHALEM, [] { return static_cast<CCPUInfos*>(new Intel_Nehalem_Infos()); }},
    {37, "Intel Nehalem", CPU_INTEL_NEHALEM, [] { return static_cast<CCPUInfos*>(new Intel_Nehalem_Infos()); }},
    {44, "Intel Nehalem", CPU_INTEL_NEHALEM, [] { return static_cast<CCPUInfos*>(new Intel_Nehalem_Infos()); }},
    {46, "Intel Nehalem", CPU_INTEL_NEHALEM, [] { return static_cast<CCPUInfos*>(new Intel_Nehalem_Infos()); }},
    {47, "Intel Nehalem", CPU_INTEL_NEHALEM, [] { return static_cast<CCPUInfos*>(new Intel_Nehalem_Infos()); }},
    {28, "Intel Atom", CPU_INTEL_ATOM, [] { return static_cast<CCPUInfos*>(new Intel_Atom_Infos()); }},
    {38, "Intel Atom", CPU_INTEL_ATOM, [] { return static_cast<CCPUInfos*>(new Intel_Atom_Infos()); }},
    {54, "Intel Atom", CPU_INTEL_ATOM, [] { return static_cast<CCPUInfos*>(new Intel_Atom_Infos()); }},
    {42, "Intel Sandy Bridge", CPU_INTEL_SANDY_BRIDGE,
     [] { return static_cast<CCPUInfos*>(new Intel_Sandy_Bridge_Infos()); }},
    {45, "Intel Sandy Bridge", CPU_INTEL_SANDY_BRIDGE,
     [] { return static_cast<CCPUInfos*>(new Intel_Sandy_Bridge_Infos()); }},
    {58, "Intel Sandy Bridge", CPU_INTEL_SANDY_BRIDGE,
     [] { return static_cast<CCPUInfos*>(new Intel_Sandy_Bridge_Infos()); }},
    {62, "Intel Sandy Bridge", CPU_INTEL_SANDY_BRIDGE,
     [] { return static_cast<CCPUInfos*>(new Intel_Sandy_Bridge_Infos()); }},
    {60, "Intel Haswell", CPU_INTEL_HASWELL, [] { return static_cast<CCPUInfos*>(new Intel_Haswell_Infos()); }},
};

// i486 names by model.
const struct {
  int model;
  const char* name;
  const char* codeName;
} k486[] = {{2, "Intel i486SX", "P23"},          {3, "Intel i486DX2", "P24"}, {4, "Intel i486SL", ""},
            {5, "Intel i486SX2", ""},            {7, "Intel i486DX2 Enhanced", "P24D"},
            {8, "Intel i486DX4", "P24C"}};

void SetName(CCPUThread* t, const char* text) { std::snprintf(t->name, sizeof(t->name), "%s", text); }

}  // namespace

void ClassifyIntelFamily(CCPUThread* t) {
  switch (t->extFamily) {
    case 3:
      SetName(t, "Intel i386");
      t->typeCode = CPU_INTEL_386;
      t->acpiTimerUsable = 0;
      return;
    case 4:
      SetName(t, "Intel i486");
      t->typeCode = CPU_INTEL_486;
      t->packageCode = 0x1002A;
      t->acpiTimerUsable = 0;
      for (const auto& row : k486)
        if (row.model == t->model) {
          SetName(t, row.name);
          std::snprintf(t->codeName, sizeof(t->codeName), "%s", row.codeName);
        }
      return;
    case 5:
      SetName(t, "Intel P5");
      t->AttachFamilyInfos(Plain(CPU_INTEL_P5));
      return;
    case 15:
      SetName(t, "Intel Netburst");
      t->AttachFamilyInfos(new Intel_Netburst_Infos());
      return;
    case 6:
      for (const FamilyRow& row : kFamily6)
        if (row.extModel == t->extModel) {
          SetName(t, row.name);
          t->AttachFamilyInfos(row.make());
          return;
        }
      return;
    default:
      return;
  }
}

// ------------------------------------------------------------------ measurement helpers

namespace {
bool g_tscScope = false;
float g_tscInScope = -1.0f;
}  // namespace

void BeginTscScope() {
  g_tscScope = true;
  g_tscInScope = -1.0f;
}

void EndTscScope() {
  g_tscScope = false;
  g_tscInScope = -1.0f;
}

namespace {

// The window of the counter measurements: 15000 ACPI timer ticks (4.19 ms).
constexpr double kWindowTicks = 15000;

// The time-stamp counter as one reading: the ACPI timer between two counter
// reads, the narrowest bracket of three kept, its counter value the middle
// of the bracket, so that a pair split by preemption does not skew the rate.
bool ReadTscPair(CACPITimer& acpi, double* tsc, double* ticks) {
  MSR_Register counter(0x10);
  double narrowest = -1.0;
  for (int i = 0; i < 3; ++i) {
    if (!counter.Read()) return false;
    const double before = static_cast<double>(counter.Value());
    const double timer = acpi.Read();
    if (timer < 0 || !counter.Read()) return false;
    const double after = static_cast<double>(counter.Value());
    if (after < before || (narrowest >= 0 && after - before >= narrowest)) continue;
    narrowest = after - before;
    *tsc = before + narrowest / 2;
    *ticks = timer;
  }
  return narrowest >= 0;
}

// Waits until the ACPI timer has run the window from `start`. The thread
// sleeps through it with the hardware lock given up (the start and end
// readings are bracketed, so the sleep's length does not matter) and spins
// on the timer only for what the sleep left. False without a timer that
// runs, or when the lock could not be taken back.
bool WaitWindowFrom(CACPITimer& acpi, double start) {
  const auto windowMs = static_cast<uint32_t>(kWindowTicks * 1000.0 / acpi.frequency) + 1;
  if (!HardwareLock::ReleasedDuring([windowMs] { plat::CurrentMachine().Sleep(windowMs); })) return false;
  for (long guard = 0; guard < 20000000; ++guard) {
    const double now = acpi.Read();
    if (now < 0) return false;
    if (acpi.Elapsed(start, now) >= kWindowTicks) return true;
  }
  return false;
}

}  // namespace

float MeasureTSC() {
  if (g_tscScope && g_tscInScope > 0) return g_tscInScope;
  CACPITimer* acpi = AcpiTimer();
  if (!acpi || !CpuDriver() || acpi->frequency <= 0) return -1.0f;
  double tsc0 = 0, t0 = 0, tsc1 = 0, t1 = 0;
  if (!ReadTscPair(*acpi, &tsc0, &t0) || !WaitWindowFrom(*acpi, t0) || !ReadTscPair(*acpi, &tsc1, &t1))
    return -1.0f;
  const double ticks = acpi->Elapsed(t0, t1);
  if (ticks <= 0 || tsc1 <= tsc0) return -1.0f;
  const auto f = static_cast<float>((tsc1 - tsc0) / ticks * acpi->frequency / 1e6);
  if (g_tscScope) g_tscInScope = f;
  return f;
}

namespace {

// The core and reference cycle counters as one reading: the core counter
// between two reference reads, the narrowest bracket of three kept, so that
// a reading split by preemption or an interrupt does not skew the ratio.
bool ReadFixedPair(double* coreCycles, double* referenceCycles) {
  MSR_Register core(0x30A), reference(0x30B);
  double narrowest = -1.0;
  for (int i = 0; i < 3; ++i) {
    if (!reference.Read()) return false;
    const double before = static_cast<double>(reference.Value());
    if (!core.Read() || !reference.Read()) return false;
    const double after = static_cast<double>(reference.Value());
    if (after < before || (narrowest >= 0 && after - before >= narrowest)) continue;
    narrowest = after - before;
    *coreCycles = static_cast<double>(core.Value());
    *referenceCycles = before + narrowest / 2;
  }
  return narrowest >= 0;
}

}  // namespace

bool BeginFixedCounterWindow(FixedCounterWindow* w) {
  w->open = false;
  MSR_Register globalCtrl(0x38F), fixedCtrl(0x38D);
  if (!globalCtrl.Read()) return false;
  w->globalHigh = globalCtrl.high;
  w->globalLow = globalCtrl.low;
  globalCtrl.Write(w->globalHigh | 0x7, w->globalLow);
  if (!fixedCtrl.Read()) {
    globalCtrl.Write(w->globalHigh, w->globalLow);
    return false;
  }
  w->fixedHigh = fixedCtrl.high;
  w->fixedLow = fixedCtrl.low;
  fixedCtrl.Write(w->fixedHigh, w->fixedLow | 0x330);
  if (!ReadFixedPair(&w->core0, &w->reference0)) {
    fixedCtrl.Write(w->fixedHigh, w->fixedLow);
    globalCtrl.Write(w->globalHigh, w->globalLow);
    return false;
  }
  w->open = true;
  return true;
}

float EndFixedCounterWindow(FixedCounterWindow* w, float tscMHz) {
  if (!w->open) return -1.0f;
  w->open = false;
  MSR_Register globalCtrl(0x38F), fixedCtrl(0x38D);
  double u1 = 0, r1 = 0;
  bool ok = ReadFixedPair(&u1, &r1);
  fixedCtrl.Write(w->fixedHigh, w->fixedLow);
  globalCtrl.Write(w->globalHigh, w->globalLow);
  if (!ok || tscMHz <= 0 || r1 <= w->reference0) return -1.0f;
  return static_cast<float>((u1 - w->core0) * tscMHz / (r1 - w->reference0));
}

bool WaitFixedCounterWindow() {
  CACPITimer* acpi = AcpiTimer();
  if (!acpi || acpi->frequency <= 0) return false;
  // The window's length only has to reach 15000 ticks; the clock comes from
  // the counters' own ratio.
  const double start = acpi->Read();
  return start >= 0 && WaitWindowFrom(*acpi, start);
}

float MeasureFixedCounterClock(CCPUThread*) {
  if (!AcpiTimer()) return -1.0f;
  FixedCounterWindow w;
  if (!BeginFixedCounterWindow(&w)) return -1.0f;
  float f = MeasureTSC();
  if (HardwareLock::Lost() || !WaitFixedCounterWindow()) {
    // Without the lock nothing is touched, the counters' controls included.
    if (!HardwareLock::Lost()) EndFixedCounterWindow(&w, -1.0f);
    return -1.0f;
  }
  return EndFixedCounterWindow(&w, f);
}

float ReadThermalStatus(CCPUThread* t, uint32_t msr, float tjMax, int index, const char* name, bool package) {
  Intel_CPU_Infos* vendor = VendorOf(t);
  if (!vendor || !vendor->digitalThermalSensor) return -1.0f;
  MSR_Register* status = t->ReadMSR(msr);
  if (!status) return -1.0f;
  // IA32_THERM_STATUS bit 31 is the reading-valid bit; the package register
  // IA32_PACKAGE_THERM_STATUS has none (bits 31:23 reserved), so its readout
  // is taken as it stands, as the kernel's coretemp does.
  if (!package && !(status->low & 0x80000000u)) return -1.0f;
  CSensor*& sensor = package ? t->packageTemperature : t->coreTemperature;
  if (!sensor && QUARNSDK::HasInstance()) {
    sensor = new CTemperatureSensor(index);
    if (name) std::snprintf(sensor->name, sizeof(sensor->name), "%s", name);
    QUARNSDK::GetInstance()->AddSensor(sensor);
  }
  int raw = static_cast<int>(Bits(status->low, 22, 16));
  float value = tjMax - static_cast<float>(raw);
  if (sensor) {
    sensor->raw = raw;
    sensor->SetValue(value, true);
  }
  return value;
}

// ------------------------------------------------------------------ Netburst, Pentium M, Core, Atom

FIDVID_Control* Intel_Netburst_Infos::MakeRatioControl(CCPUThread*) { return new Netburst_FIDVID_Control(); }
FIDVID_Control* Intel_Mobile_Infos::MakeRatioControl(CCPUThread*) { return new Mobile_FIDVID_Control(); }
FIDVID_Control* Intel_Core_Infos::MakeRatioControl(CCPUThread*) { return new Core_FIDVID_Control(); }
FIDVID_Control* Intel_Atom_Infos::MakeRatioControl(CCPUThread*) { return new Core_2_FIDVID_Control(true); }

namespace {

// The bus clock of parts whose time-stamp counter runs at the highest
// non-turbo ratio (Core 2, Atom).
float TscOverMaxRatio(const CCPUThread* t) {
  const float f = MeasureTSC();
  return f > 0 && t->maxRatio > 0 ? f / t->maxRatio : -1.0f;
}

}  // namespace

int FsbBusCode(CCPUThread* t) {
  static const int kCodes[8] = {266, 133, 200, 166, 333, 100, 400, -1};
  MSR_Register* fsb = t->ReadMSR(0xCD);
  return fsb ? kCodes[fsb->low & 7] : -1;
}

void Intel_Atom_Infos::Probe(CCPUThread* t) {
  CSpeedStepFamilyInfos::Probe(t);
  t->busCode = FsbBusCode(t);
}

float Intel_Atom_Infos::GetBusClock(CCPUThread* t) { return TscOverMaxRatio(t); }

// ------------------------------------------------------------------ Core 2

void Intel_Core_2_Infos::Probe(CCPUThread* t) {
  // The rated frequency first: the model-number tables and TjMax use it.
  const int fromBrand = RatedFromBrand(t->specification, kCore2Frequencies);
  if (fromBrand > 0) t->ratedMHz = fromBrand;
  t->busCode = FsbBusCode(t);
  MSR_Register* platform = t->ReadMSR(0x17);
  if (platform) {
    t->platformId = static_cast<int>(Bits(platform->Value(), 52, 50));
    t->engineeringSample = (platform->low & (1u << 27)) ? 0 : 1;
  }
  Intel_CPU_Infos* vendor = VendorOf(t);
  if (vendor && vendor->enhancedSpeedStep) AdoptRatioControl(t, new Core_2_FIDVID_Control(t->mobile != 0));
  GetTemperature(t);
}

float Intel_Core_2_Infos::TjMax(CCPUThread* t) {
  if (t->extModel == 15 && (t->stepping == 5 || t->stepping == 6 || t->stepping == 7 || t->stepping == 13))
    return 85.0f;
  MSR_Register* ee = t->ReadMSR(0xEE);
  if (t->extModel == 22 && ee && (ee->low & (1u << 30))) return 85.0f;
  if (t->extModel == 23 || t->extModel == 29) {
    MSR_Register* perf = t->ReadMSR(0x198);
    if (perf && (perf->low & 0x80000000u)) {
      if (t->ratedMHz == 3000) return 95.0f;
      if (t->ratedMHz == 3200) return 85.0f;
    }
  }
  return 100.0f;
}

float Intel_Core_2_Infos::GetTemperature(CCPUThread* t) { return ReadThermalStatus(t, 0x19C, TjMax(t), 0, nullptr, false); }

float Intel_Core_2_Infos::GetMultiplier(CCPUThread* t) {
  MSR_Register* ee = t->ReadMSR(0xEE);
  if (ee && (ee->low & (1u << 27))) return 0.0f;
  if (!ratioControl || !ratioControl->Refresh()) return -1.0f;
  t->currentRatio = ratioControl->CurrentRatio();
  return t->currentRatio;
}

float Intel_Core_2_Infos::GetBusClock(CCPUThread* t) { return TscOverMaxRatio(t); }

void Intel_Core_2_Infos::Classify(CCPUThread* t) { NameIntelCore2(t); }

// ------------------------------------------------------------------ Nehalem

void Intel_Nehalem_Infos::ProbeCommon(CCPUThread* t) {
  MSR_Register* info = t->ReadMSR(0xCE);
  if (info) {
    t->engineeringSample = (info->low >> 27) & 1;
    nonTurboRatio = static_cast<int>(Bits(info->Value(), 15, 8));
    t->maxRatio = static_cast<float>(nonTurboRatio);
    t->minRatio = static_cast<float>(Bits(info->Value(), 47, 40));
    unlocked = Bits(info->Value(), 29, 28) != 0;
  }
  MSR_Register* platform = t->ReadMSR(0x17);
  if (platform) t->platformId = static_cast<int>(Bits(platform->Value(), 52, 50));
  MSR_Register* limits = t->ReadMSR(0x1AC);
  if (limits) {
    if (!(limits->low & 0x8000)) tdpLimit = t->tdp = static_cast<int>(Bits(limits->low, 14, 3));
    if (!(limits->low & 0x80000000u)) tdcLimit = static_cast<int>(Bits(limits->low, 30, 19));
  }
  GetTemperature(t);
}

void Intel_Nehalem_Infos::Probe(CCPUThread* t) {
  ProbeCommon(t);
  // Parts with an external QPI link to an I/O hub (Bloomfield, Gainestown,
  // Gulftown, Westmere-EP); the others have none.
  if (t->extModel == 26 || t->extModel == 44) t->linkRatio = QpiLinkRatio();
  Intel_CPU_Infos* vendor = VendorOf(t);
  if (vendor && vendor->enhancedSpeedStep) ratioControl = new Nehalem_FIDVID_Control();
  if (tdpLimit > 0 && tdcLimit > 0 && !t->packagePower && QUARNSDK::HasInstance()) {
    t->packagePower = new CPowerSensor(0);
    std::snprintf(t->packagePower->name, sizeof(t->packagePower->name), "Package");
    QUARNSDK::GetInstance()->AddSensor(t->packagePower);
  }
}

void Intel_Nehalem_Infos::FindRatedFrequency(CCPUThread* t, const RatedFrequencyRow* rows, int busCode) {
  const int fromBrand = RatedFromBrand(t->specification, rows);
  if (fromBrand > 0) t->ratedMHz = fromBrand;
  t->busCode = busCode;
  if (t->ratedMHz == -1 && nonTurboRatio > 0) {
    float bus = GetBusClock(t);
    if (bus <= 0) bus = NominalBusClock(busCode);
    t->ratedMHz = static_cast<int>(bus * static_cast<float>(nonTurboRatio));
  }
}

void Intel_Nehalem_Infos::Classify(CCPUThread* t) {
  FindRatedFrequency(t, kNehalemFrequencies, 133);
  NameIntelNehalem(t, unlocked);
}

float Intel_Nehalem_Infos::GetMultiplier(CCPUThread* t) {
  if (ratioControl && ratioControl->Refresh()) t->currentRatio = ratioControl->CurrentRatio();
  return 0.0f;
}

float Intel_Nehalem_Infos::GetTemperature(CCPUThread* t) {
  MSR_Register* target = t->ReadMSR(0x1A2);
  float tjMax = target ? static_cast<float>(Bits(target->low, 23, 16)) : 100.0f;
  return ReadThermalStatus(t, 0x19C, tjMax, 0, nullptr, false);
}

float Intel_Nehalem_Infos::GetBusClock(CCPUThread*) {
  if (nonTurboRatio <= 0) return -1.0f;
  float f = MeasureTSC();
  return f > 0 ? f / static_cast<float>(nonTurboRatio) : -1.0f;
}

float Intel_Nehalem_Infos::UpdatePackageSensors(CCPUThread* t) {
  if (tdpLimit <= 0 || tdcLimit <= 0 || nonTurboRatio <= 0 || t->currentRatio <= 0) return -1.0f;
  float v = 1.0f;
  if (QUARNSDK::HasInstance())
    for (CSensor* s : Items(QUARNSDK::GetInstance()->GetSensors())) {
      uint32_t kind = s->id & 0xFF000000u;
      if ((s->id & SENSOR_VOLTAGE) && kind >= 0x01000000u && kind <= 0x01FFFFFFu) {
        if (s->value > 0 && s->value <= 1.3f) v = s->value;
        break;
      }
    }
  const float tdp = static_cast<float>(tdpLimit), tdc = static_cast<float>(tdcLimit);
  float r = t->currentRatio / static_cast<float>(nonTurboRatio);
  float d = tdp < v * tdc ? tdc : v * tdc;
  float power = d * r * r * r + (tdp - d);
  if (t->packagePower) t->packagePower->SetValue(power, true);
  return power;
}

// ------------------------------------------------------------------ Sandy Bridge, Haswell

void Intel_Sandy_Bridge_Infos::Probe(CCPUThread* t) {
  ProbeCommon(t);
  Intel_CPU_Infos* vendor = VendorOf(t);
  if (vendor && vendor->enhancedSpeedStep) ratioControl = new Sandy_Bridge_FIDVID_Control();
  struct Counter {
    uint32_t msr;
    CSensor* CCPUThread::*sensor;
    int index;
    const char* name;
  };
  static const Counter kCounters[] = {{0x611, &CCPUThread::packagePower, 0, "Package"},
                                      {0x639, &CCPUThread::coresPower, 1, "IA Cores"},
                                      {0x641, &CCPUThread::graphicsPower, 2, "GT"}};
  if (!QUARNSDK::HasInstance()) return;
  for (const Counter& c : kCounters) {
    if (t->*c.sensor || !t->ReadMSR(c.msr)) continue;
    auto* s = new CPowerSensor(c.index);
    std::snprintf(s->name, sizeof(s->name), "%s", c.name);
    QUARNSDK::GetInstance()->AddSensor(s);
    t->*c.sensor = s;
  }
}

void Intel_Sandy_Bridge_Infos::Classify(CCPUThread* t) {
  FindRatedFrequency(t, kSandyBridgeFrequencies, 100);
  NameIntelSandyBridge(t, unlocked);
}

void Intel_Haswell_Infos::Classify(CCPUThread* t) {
  FindRatedFrequency(t, kSandyBridgeFrequencies, 100);
  NameIntelHaswell(t, unlocked);
}

float Intel_Sandy_Bridge_Infos::GetMultiplier(CCPUThread* t) {
  if (ratioControl && ratioControl->Refresh()) t->currentRatio = ratioControl->CurrentRatio();
  return t->currentRatio;
}

float Intel_Sandy_Bridge_Infos::GetTemperature(CCPUThread* t) {
  MSR_Register* target = t->ReadMSR(0x1A2);
  float tjMax = target ? static_cast<float>(Bits(target->low, 23, 16)) : 100.0f;
  ReadThermalStatus(t, 0x1B1, tjMax, 1, "Package", true);
  return ReadThermalStatus(t, 0x19C, tjMax, 0, nullptr, false);
}

namespace {
EnergySample g_energy[3];
}

void ResetEnergySamples() {
  for (EnergySample& e : g_energy) e = EnergySample{};
}

float EnergyCounterPower(uint32_t, uint32_t registerValue, EnergySample& previous) {
  if (!QUARNSDK::HasInstance()) return -1.0f;
  CTimer* hpet = QUARNSDK::GetInstance()->FindTimer(TIMER_HPET);
  if (!hpet) return -1.0f;
  double e = static_cast<double>(registerValue);
  double h = hpet->Read();
  if (h < 0) return -1.0f;
  EnergySample before = previous;
  previous.energy = e;
  previous.hpet = h;
  if (before.energy < 0 || before.hpet < 0) return -1.0f;
  double dh = hpet->Elapsed(before.hpet, h);
  double de = e < before.energy ? e + 4294967296.0 - before.energy : e - before.energy;
  if (dh <= 0) return -1.0f;
  return static_cast<float>(de * (hpet->frequency * 15.3) / dh / 1e6);
}

float Intel_Sandy_Bridge_Infos::UpdatePackageSensors(CCPUThread* t) {
  static const struct {
    uint32_t msr;
    CSensor* CCPUThread::*sensor;
  } kCounters[] = {{0x611, &CCPUThread::packagePower}, {0x639, &CCPUThread::coresPower},
                   {0x641, &CCPUThread::graphicsPower}};
  float result = -1.0f;
  for (int i = 0; i < 3; ++i) {
    CSensor* sensor = t->*kCounters[i].sensor;
    MSR_Register* reg = sensor ? t->ReadMSR(kCounters[i].msr) : nullptr;
    result = reg ? EnergyCounterPower(kCounters[i].msr, reg->low, g_energy[i]) : -1.0f;
    if (result > 0) sensor->SetValue(result, true);
  }
  return result;
}
