// clock: the board's clock generators (PLLs) with their outputs, and the
// stepped change of one of them.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/Json.h"
#include "cli/Verbs.h"
#include "sdk/clock/CPLL.h"
#include "sdk/clock/CPLLInterface.h"
#include "sdk/clock/CPLLOutput.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CProcessor.h"

namespace cli {

namespace {

std::string KindNames(uint32_t kind) {
  static const struct {
    uint32_t bit;
    const char* name;
  } kNames[] = {{PLL_KIND_CPU, "CPU"},           {PLL_KIND_PCIE, "PCIE"},         {PLL_KIND_PCI, "PCI"},
                {PLL_KIND_CHIPSET_MEMORY, "MEM"}, {PLL_KIND_GPU_CORE, "GPU core"}, {PLL_KIND_GPU_MEMORY, "GPU memory"},
                {PLL_KIND_GPU_SHADER, "GPU shader"}};
  std::string s;
  for (const auto& k : kNames)
    if (kind & k.bit) s += (s.empty() ? "" : ",") + std::string(k.name);
  return s.empty() ? "-" : s;
}

std::string Mhz(float v, const char* format = "%.2f") {
  if (!(v > 0)) return "n/a";
  char b[32];
  std::snprintf(b, sizeof(b), format, v);
  return b;
}

void NumberOrNull(Json& j, float v) { v > 0 ? j.Number(v) : j.Null(); }

void PrintList(bool json) {
  Json j;
  j.BeginArray();
  for (int i = 0; i < PLLCount(); ++i) {
    CPLL* p = PLLAt(i);
    if (json) {
      j.BeginObject().Key("index").Int(i).Key("name").String(p->name).Key("kind").Hex(p->kind, 8);
      j.Key("kinds").String(KindNames(p->kind)).Key("id").Hex(p->id, 8);
      j.Key("referenceMHz");
      NumberOrNull(j, p->reference);
      j.Key("n").Int(p->n).Key("m").Int(p->m).Key("frequencyMHz");
      NumberOrNull(j, p->frequency);
      j.Key("minimumMHz");
      NumberOrNull(j, p->minimum);
      j.Key("maximumMHz");
      NumberOrNull(j, p->maximum);
      j.Key("outputs").BeginArray();
      for (CPLLOutput* o : Items(p->GetOutputs())) {
        j.BeginObject().Key("name").String(o->name).Key("key").Int(o->key).Key("divider").Number(o->divider);
        j.Key("multiplier").Number(o->multiplier).Key("frequencyMHz");
        NumberOrNull(j, o->FrequencyFor(p->frequency));
        j.EndObject();
      }
      j.EndArray().EndObject();
      continue;
    }
    std::printf("PLL %d: %s\n", i, p->name);
    std::printf("\tKind: %s (0x%08X), id 0x%08X, reference %s MHz\n", KindNames(p->kind).c_str(), p->kind, p->id,
                Mhz(p->reference, "%.5g").c_str());
    std::printf("\tN %d, M %d, frequency %s MHz, limits %s .. %s MHz\n", p->n, p->m, Mhz(p->frequency).c_str(),
                Mhz(p->minimum).c_str(), Mhz(p->maximum).c_str());
    for (CPLLOutput* o : Items(p->GetOutputs()))
      std::printf("\tOutput %s (key %d): divider %g, multiplier %g, %s MHz\n", o->name, o->key, o->divider,
                  o->multiplier, Mhz(o->FrequencyFor(p->frequency)).c_str());
  }
  j.EndArray();
  if (json) std::printf("%s\n", j.Text().c_str());
  else if (!PLLCount()) std::printf("No clock generator found.\n");
}

bool ParseMhz(const std::string& text, float* value) {
  double v = 0;
  if (!ParseDecimal(text, 0, 100000, &v) || v <= 0) return false;
  *value = static_cast<float>(v);
  return true;
}

// clock set cpu|pcie|N MHZ [--step MHZ]
int SetVerb(Session& s, const Args& a) {
  const Verb& verb = *FindVerb("clock");
  if (a.size() != 3 && a.size() != 5) return Usage(verb);
  float target = 0, step = 10.0f;
  if (!ParseMhz(a[2], &target)) return Usage(verb);
  if (a.size() == 5 && (a[3] != "--step" || !ParseMhz(a[4], &step))) return Usage(verb);
  int index = -1;
  uint32_t wanted = 0;
  if (a[1] == "cpu") wanted = PLL_KIND_CPU;
  else if (a[1] == "pcie") wanted = PLL_KIND_PCIE;
  else {
    char* end = nullptr;
    long n = std::strtol(a[1].c_str(), &end, 10);
    if (a[1].empty() || *end || n < 0 || n > 1000) return Usage(verb);
    index = static_cast<int>(n);
  }
  if (!s.Options().yes) {
    std::fprintf(stderr, "torvikctl: changing a clock needs --yes\n");
    return kExitFailed;
  }
  if (!s.StartSdk()) return kExitFailed;
  if (wanted) index = FindPLL(wanted);
  if (!PLLAt(index)) {
    std::fprintf(stderr, "torvikctl: no such clock generator\n");
    return kExitFailed;
  }
  if (!s.LockHardware()) return kExitFailed;
  CPLL* pll = PLLAt(index);
  pll->Read();
  float low = 0, high = 0;
  if (!PLLTargetRange(index, &low, &high)) {
    s.UnlockHardware();
    std::fprintf(stderr, "torvikctl: %s has no valid frequency; nothing written\n", pll->name);
    return kExitFailed;
  }
  if (target < low || target > high) {
    s.UnlockHardware();
    std::fprintf(stderr, "torvikctl: %.2f MHz is outside %.2f .. %.2f MHz for %s; nothing written\n", target, low,
                 high, pll->name);
    return kExitFailed;
  }
  std::printf("%s: %.2f MHz -> %.2f MHz in steps of %.2f MHz\n", pll->name, pll->GetFrequency(), target, step);
  int ok = SetPLLFrequency(index, target, step, [](float f) { std::printf("  applied %.2f MHz\n", f); });
  std::printf("%s now runs at %s MHz\n", pll->name, Mhz(pll->GetFrequency()).c_str());
  // What the processors measure at the new clock.
  if (auto* cpu = static_cast<CCPUInterface*>(QUARNSDK::GetInstance()->FindInterface(INTERFACE_CPU))) {
    cpu->Refresh();
    CProcessor* p = cpu->GetProcessor(0);
    std::printf("Measured bus clock %s MHz, core 0 %s MHz\n", Mhz(cpu->busClock).c_str(),
                Mhz(p ? p->GetCoreClock(0) : -1.0f, "%.1f").c_str());
  }
  s.UnlockHardware();
  if (!ok) {
    std::fprintf(stderr, "torvikctl: the change stopped early; the generator keeps the last applied value\n");
    return kExitFailed;
  }
  return kExitOk;
}

int ClockVerb(Session& s, const Args& a) {
  if (!a.empty() && a[0] == "set") return SetVerb(s, a);
  if (!a.empty()) return Usage(*FindVerb("clock"));
  if (!s.StartSdk()) return kExitFailed;
  if (!s.LockHardware()) return kExitFailed;
  PrintList(s.Options().json);
  s.UnlockHardware();
  return kExitOk;
}

}  // namespace

const std::vector<Verb>& ClockVerbs() {
  static const std::vector<Verb> verbs = {
      {"clock", "[set cpu|pcie|N MHZ [--step MHZ]]",
       "clock generators with their outputs; with --yes, ramp one to MHZ (its own frequency)", &ClockVerb},
  };
  return verbs;
}

}  // namespace cli
