// cpu, turbo and timers: the processors as the SDK identified and measured
// them, the turbo controls, and the machine's time sources.
#include <cstdio>
#include <string>

#include "cli/Json.h"
#include "cli/Printable.h"
#include "cli/Verbs.h"
#include "poll/SysinfoView.h"
#include "sdk/access/CIOSpace.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/FIDVID_Control.h"
#include "sdk/cpu/MSR_Register.h"
#include "sdk/cpu/Timers.h"
#include "sdk/cpu/TurboControl.h"

namespace cli {

namespace {

CCPUInterface* Cpu(Session& s) {
  if (!s.StartSdk(kSdkCpu)) return nullptr;
  auto* cpu = static_cast<CCPUInterface*>(QUARNSDK::GetInstance()->FindInterface(INTERFACE_CPU));
  if (!cpu) std::fprintf(stderr, "torvikctl: the processors could not be identified\n");
  return cpu;
}

const char* CacheTypeName(int type) {
  switch (type) {
    case CACHE_DATA: return "data";
    case CACHE_INSTRUCTION: return "instruction";
    case CACHE_UNIFIED: return "unified";
    case CACHE_TRACE: return "trace";
    default: return "?";
  }
}

// "L3 unified cache: 8192 KB, 16-way, 64-byte lines" with "N x" in front
// when the package holds more than one instance; unknown fields left out.
std::string CacheLine(CProcessor* p, CCacheDescriptor* c) {
  char b[160];
  const int instances = p->GetNumberOfCaches(c->level, c->type);
  std::string line;
  std::snprintf(b, sizeof(b), "L%d %s cache: ", c->level, CacheTypeName(c->type));
  line = b;
  if (instances > 1) line += std::to_string(instances) + " x ";
  line += c->sizeKB > 0 ? std::to_string(c->sizeKB) + " KB" : "size unknown";
  if (c->ways == 255) {
    line += ", fully associative";
  } else if (c->ways > 0) {
    line += ", " + std::to_string(c->ways) + "-way";
  }
  if (c->lineSize > 0) line += ", " + std::to_string(c->lineSize) + "-byte lines";
  return line;
}

// A name from the processor (its brand string, a table's code name): made
// safe for the terminal, without the blanks the brand string is padded with,
// "n/a" when there is none.
std::string Name(const char* text) {
  std::string s = Printable(text);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s.empty() ? "n/a" : s;
}

std::string Value(float v, const char* format) {
  if (v <= 0) return "n/a";
  char b[32];
  std::snprintf(b, sizeof(b), format, v);
  return b;
}

// What a package's first core reports about ratios: the range, the core
// VID through its ratio control and the control's state list.
struct RatioInfo {
  float minimum = -1.0f, maximum = -1.0f, vid = -1.0f;
  FIDVID_Control* control = nullptr;
};

RatioInfo Ratios(CProcessor* p) {
  RatioInfo r;
  r.minimum = p->GetCoreMinRatio(0);
  r.maximum = p->GetCoreMaxRatio(0);
  CCPUCore* core = p->GetCore(0);
  CCPUThread* t = core ? core->FirstThread() : nullptr;
  r.control = t ? t->GetRatioControl() : nullptr;
  if (r.control) r.vid = r.control->CoreVoltage();
  return r;
}

void PrintText(CCPUInterface* cpu) {
  std::printf("Logical processors: %d, packages: %d, bus clock: %s MHz\n", cpu->logicalCount, cpu->processorCount,
              Value(cpu->busClock, "%.2f").c_str());
  for (int i = 0; i < cpu->processorCount; ++i) {
    CProcessor* p = cpu->GetProcessor(i);
    CCPUThread* t = p->FirstThread();
    std::printf("\nProcessor %d (package %d)\n", p->index, p->packageId);
    std::printf("\tName: %s\n\tSpecification: %s\n\tVendor: %s\n", Name(p->GetName()).c_str(),
                Name(p->GetSpecification()).c_str(), Name(t ? t->vendor : "").c_str());
    std::printf("\tCode name: %s\n\tPackage: %s\n\tRevision: %s\n", Name(p->GetCodeName()).c_str(),
                Name(p->GetPackageName()).c_str(), Name(p->GetRevisionName()).c_str());
    std::printf("\tFamily %d, model %d, stepping %d (extended family %d, model %d)\n", p->GetFamily(), p->GetModel(),
                p->GetStepping(), p->GetExtendedFamily(), p->GetExtendedModel());
    // The process size is known in micrometres; shown in nanometres.
    if (p->GetTechnology() > 0) std::printf("\tTechnology: %.0f nm\n", p->GetTechnology() * 1000.0f);
    std::printf("\tRated frequency: %s MHz\n",
                p->GetRatedFrequency() > 0 ? std::to_string(p->GetRatedFrequency()).c_str() : "n/a");
    if (t && NominalBusClock(t->busCode) > 0) std::printf("\tNominal bus clock: %.2f MHz\n", NominalBusClock(t->busCode));
    if (t && t->linkRatio != -1)
      std::printf("\t%s: %s MHz (%d x bus clock)\n", CSysinfoView::LinkLabel(p->GetTypeCode()),
                  Value(p->GetLinkClock(), "%.1f").c_str(), t->linkRatio);
    const RatioInfo ratios = Ratios(p);
    if (ratios.minimum > 0 || ratios.maximum > 0)
      std::printf("\tRatio range: %s - %s\n", Value(ratios.minimum, "%.1f").c_str(),
                  Value(ratios.maximum, "%.1f").c_str());
    if (ratios.vid > 0) std::printf("\tCore VID: %.4f V\n", ratios.vid);
    for (int k = 0; ratios.control && k < ratios.control->count; ++k) {
      int fid = -1, vid = -1, current = -1;
      ratios.control->GetPState(k, &fid, &vid, &current);
      std::printf("\tP-state %d: ratio %s, VID %s V\n", k, Value(ratios.control->RatioFromCode(fid), "%.1f").c_str(),
                  Value(ratios.control->VoltageFromCode(vid), "%.4f").c_str());
    }
    for (CCacheDescriptor* c : Items(t ? t->caches : nullptr)) std::printf("\t%s\n", CacheLine(p, c).c_str());
    std::printf("\tPackage power: %s W\n", Value(p->packageValue, "%.1f").c_str());
    for (int k = 0; k < p->GetNumberOfCores(); ++k) {
      CCPUCore* core = p->GetCore(k);
      std::printf("\tCore %d: clock %s MHz, multiplier %s, temperature %s C, threads (APIC id):", core->coreId,
                  Value(core->clock, "%.2f").c_str(), Value(core->multiplier, "%.1f").c_str(),
                  Value(core->temperature, "%.0f").c_str());
      for (CCPUThread* th : Items(core->threads)) std::printf(" %d (%d)", th->affinityIndex, th->apicId);
      std::printf("\n");
    }
  }
}

// The identification and family registers, as the SDK last read them (no
// access now): platform id, microcode signature, bus speed, platform info,
// performance status, miscellaneous enables, turbo power limits, AMD HWCR,
// FID/VID and COFVID status.
const uint32_t kIdentificationMsrs[] = {0x17,  0x8B,  0xCD,  0xCE,       0x198,     0x1A0,
                                        0x1AC, 0x1B1, 0x19C, 0xC0010015, 0xC0010042, 0xC0010071};

void PrintJson(CCPUInterface* cpu) {
  Json j;
  j.BeginObject().Key("logicalProcessors").Int(cpu->logicalCount).Key("busClockMHz").Number(cpu->busClock);
  j.Key("packages").BeginArray();
  for (int i = 0; i < cpu->processorCount; ++i) {
    CProcessor* p = cpu->GetProcessor(i);
    CCPUThread* t = p->FirstThread();
    j.BeginObject().Key("index").Int(p->index).Key("packageId").Int(p->packageId);
    j.Key("vendor").String(t ? t->vendor : "").Key("name").String(p->GetName());
    j.Key("specification").String(p->GetSpecification()).Key("codeName").String(p->GetCodeName());
    j.Key("package").String(p->GetPackageName()).Key("revision").String(p->GetRevisionName());
    j.Key("family").Int(p->GetFamily()).Key("model").Int(p->GetModel()).Key("stepping").Int(p->GetStepping());
    j.Key("extendedFamily").Int(p->GetExtendedFamily()).Key("extendedModel").Int(p->GetExtendedModel());
    j.Key("technologyNm");
    p->GetTechnology() > 0 ? j.Int(static_cast<int>(p->GetTechnology() * 1000.0f + 0.5f)) : j.Null();
    j.Key("ratedMHz").Int(p->GetRatedFrequency());
    const float nominal = t ? NominalBusClock(t->busCode) : -1.0f;
    j.Key("nominalBusClockMHz");
    nominal > 0 ? j.Number(nominal) : j.Null();
    j.Key("link");
    if (t && t->linkRatio != -1) {
      j.BeginObject().Key("label").String(CSysinfoView::LinkLabel(p->GetTypeCode())).Key("ratio").Int(t->linkRatio);
      j.Key("clockMHz").Number(p->GetLinkClock()).EndObject();
    } else {
      j.Null();
    }
    const RatioInfo ratios = Ratios(p);
    j.Key("minRatio").Number(ratios.minimum).Key("maxRatio").Number(ratios.maximum);
    j.Key("coreVid");
    ratios.vid > 0 ? j.Number(ratios.vid) : j.Null();
    j.Key("pStates").BeginArray();
    for (int k = 0; ratios.control && k < ratios.control->count; ++k) {
      int fid = -1, vid = -1, current = -1;
      ratios.control->GetPState(k, &fid, &vid, &current);
      j.BeginObject().Key("fid").Int(fid).Key("vid").Int(vid).Key("ratio").Number(ratios.control->RatioFromCode(fid));
      j.Key("volts").Number(ratios.control->VoltageFromCode(vid)).EndObject();
    }
    j.EndArray();
    j.Key("msrs").BeginObject();
    for (uint32_t index : kIdentificationMsrs)
      if (MSR_Register* m = t ? t->FindMSR(index) : nullptr) {
        char name[16];
        std::snprintf(name, sizeof(name), "0x%X", index);
        j.Key(name).Hex(m->Value(), 16);
      }
    j.EndObject();
    j.Key("caches").BeginArray();
    for (CCacheDescriptor* c : Items(t ? t->caches : nullptr)) {
      j.BeginObject().Key("level").Int(c->level).Key("type").String(CacheTypeName(c->type));
      j.Key("sizeKB").Int(c->sizeKB).Key("instances").Int(p->GetNumberOfCaches(c->level, c->type));
      j.Key("ways");
      c->ways > 0 ? j.Int(c->ways) : j.Null();
      j.Key("lineSize").Int(c->lineSize).EndObject();
    }
    j.EndArray();
    j.Key("packagePowerW").Number(p->packageValue);
    j.Key("cores").BeginArray();
    for (int k = 0; k < p->GetNumberOfCores(); ++k) {
      CCPUCore* core = p->GetCore(k);
      j.BeginObject().Key("coreId").Int(core->coreId).Key("clockMHz").Number(core->clock);
      j.Key("multiplier").Number(core->multiplier).Key("temperatureC").Number(core->temperature);
      j.Key("threads").BeginArray();
      for (CCPUThread* th : Items(core->threads))
        j.BeginObject().Key("logical").Int(th->affinityIndex).Key("apicId").Int(th->apicId).EndObject();
      j.EndArray().EndObject();
    }
    j.EndArray().EndObject();
  }
  j.EndArray().EndObject();
  std::printf("%s\n", j.Text().c_str());
}

int CpuVerb(Session& s, const Args& a) {
  if (!a.empty()) return Usage(*FindVerb("cpu"));
  CCPUInterface* cpu = Cpu(s);
  if (!cpu) return kExitFailed;
  s.Options().json ? PrintJson(cpu) : PrintText(cpu);
  return kExitOk;
}

const char* TimerKind(int type) {
  static const char* const kNames[] = {"", "ACPI PM timer", "tick count", "performance counter", "time-stamp counter",
                                       "performance-monitoring counter", "HPET"};
  return type >= 1 && type <= 6 ? kNames[type] : "?";
}

int TimersVerb(Session& s, const Args& a) {
  if (!a.empty()) return Usage(*FindVerb("timers"));
  if (!s.StartSdk(kSdkCpu)) return kExitFailed;
  Json j;
  j.BeginArray();
  for (CTimer* t : Items(QUARNSDK::GetInstance()->GetTimers())) {
    std::string where;
    char b[64] = "";
    if (t->type == TIMER_ACPI) std::snprintf(b, sizeof(b), "port 0x%X", static_cast<CACPITimer*>(t)->port);
    if (t->type == TIMER_HPET && t->source)
      std::snprintf(b, sizeof(b), "memory 0x%X", static_cast<CIOSpace*>(t->source)->GetBaseLow());
    where = b;
    if (s.Options().json) {
      j.BeginObject().Key("type").Int(t->type).Key("kind").String(TimerKind(t->type));
      j.Key("where").String(where).Key("frequencyHz").Number(t->frequency).EndObject();
    } else {
      std::printf("%-32s %-18s %s\n", TimerKind(t->type), where.c_str(),
                  t->frequency > 0 ? (std::to_string(static_cast<long long>(t->frequency)) + " Hz").c_str()
                                   : "not calibrated");
    }
  }
  j.EndArray();
  if (s.Options().json) std::printf("%s\n", j.Text().c_str());
  return kExitOk;
}

// turbo [on|off] [RATIO...]: shows, or with --yes sets, the turbo switch and
// the ratio limits for 1..6 active cores of processor 0.
int TurboVerb(Session& s, const Args& a) {
  // Every argument is checked before anything is started or written.
  size_t i = 0;
  int turboSwitch = -1;  // -1 unchanged, 0 off, 1 on
  if (!a.empty() && (a[0] == "on" || a[0] == "off")) turboSwitch = a[i++] == "on";
  TurboLimits limits;
  if (a.size() - i > 6) return Usage(*FindVerb("turbo"));
  for (int k = 0; i < a.size(); ++i, ++k) {
    uint64_t r = 0;
    if (!ParseNumber(a[i], &r) || r == 0 || r > 255) return Usage(*FindVerb("turbo"));
    limits.ratio[k] = static_cast<int>(r);
  }
  CCPUInterface* cpu = Cpu(s);
  if (!cpu) return kExitFailed;
  CProcessor* p = cpu->GetProcessor(0);
  if (!p) return kExitFailed;
  if (!a.empty()) {
    if (!s.Options().yes) {
      std::fprintf(stderr, "torvikctl: changing the turbo settings needs --yes\n");
      return kExitFailed;
    }
    const float minimum = p->GetCoreMinRatio(0);
    for (int r : limits.ratio)
      if (r != kTurboUnset && minimum > 0 && r < minimum) {
        std::fprintf(stderr, "torvikctl: ratio %d is below the processor's minimum %g\n", r, minimum);
        return Usage(*FindVerb("turbo"));
      }
    if (!s.LockHardware()) return kExitFailed;
    bool ok = true;
    if (turboSwitch >= 0) ok = WriteTurboSwitch(p, turboSwitch == 1);
    if (ok && limits.ratio[0] != kTurboUnset) ok = WriteTurboLimits(p, limits);
    s.UnlockHardware();
    if (!ok) {
      std::fprintf(stderr, "torvikctl: the turbo registers could not be written\n");
      return kExitFailed;
    }
  }
  if (!s.LockHardware()) return kExitFailed;
  bool enabled = false;
  bool haveSwitch = ReadTurboSwitch(p, &enabled);
  limits = TurboLimits();
  bool haveLimits = ReadTurboLimits(p, &limits);
  s.UnlockHardware();
  if (s.Options().json) {
    Json j;
    j.BeginObject().Key("turbo");
    haveSwitch ? j.Bool(enabled) : j.Null();
    j.Key("ratioLimits").BeginArray();
    for (int r : limits.ratio) r == kTurboUnset ? j.Null() : j.Int(r);
    j.EndArray().EndObject();
    std::printf("%s\n", j.Text().c_str());
  } else {
    std::printf("Turbo: %s\n", haveSwitch ? (enabled ? "on" : "off") : "not available");
    std::printf("Ratio limits (1..6 active cores):");
    if (!haveLimits) std::printf(" not available");
    for (int r : limits.ratio)
      if (haveLimits) std::printf(" %d", r);
    std::printf("\n");
  }
  return kExitOk;
}

}  // namespace

const std::vector<Verb>& CpuVerbs() {
  static const std::vector<Verb> verbs = {
      {"cpu", "", "processors: identity, topology with APIC ids, caches, bus and QPI/HT link clocks, ratio range, "
       "core VID and P-states, clocks, temperatures, power", &CpuVerb},
      {"turbo", "[on|off] [RATIO...]", "show, or with --yes set, the turbo switch and ratio limits", &TurboVerb},
      {"timers", "", "the time sources with their kind, port or address and frequency", &TimersVerb},
  };
  return verbs;
}

}  // namespace cli
