// gpu: the display adapters with what their APIs tell (names, chip, family
// code, backends, clocks per performance level, temperature, fan, load,
// voltage, the card regulators and the sensors of the card's chips), and
// with --yes the change of a card regulator, the GPU voltage or a clock;
// the backends' text report.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Json.h"
#include "cli/Verbs.h"
#include "poll/SensorRowFormat.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/clock/CPLL.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/graphics/CDisplayAPI.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"
#include "sdk/graphics/GpuClockPLL.h"
#include "sdk/graphics/GpuRegulators.h"
#include "sdk/monitor/CHardwareMonitor.h"
#include "sdk/monitor/CHardwareMonitorInterface.h"

namespace cli {

namespace {

const char* MemoryTypeName(int code, char* buffer, size_t size) {
  switch (code) {
    case GPUMEM_DDR: return "DDR";
    case GPUMEM_DDR2: return "DDR2";
    case GPUMEM_DDR3: return "DDR3";
    case GPUMEM_GDDR3: return "GDDR3";
    case GPUMEM_GDDR4: return "GDDR4";
    case GPUMEM_GDDR5: return "GDDR5";
    default: std::snprintf(buffer, size, "0x%X", code); return buffer;
  }
}

std::string Value(double v, const char* format) {
  if (!(v > 0)) return "n/a";
  char b[48];
  std::snprintf(b, sizeof(b), format, v);
  return b;
}

void NumberOrNull(Json& j, double v) { v > 0 ? j.Number(v) : j.Null(); }

struct Readings {
  float temperature = -1, voltage = -1;
  int fanRpm = -1, fanPercent = -1, load = -1;
  double rails[GPU_RAIL_COUNT] = {-1, -1, -1};
};

Readings Read(CDisplayAdapter* a) {
  Readings r;
  if (!a->ReadTemperature(&r.temperature)) r.temperature = -1;
  if (!a->ReadVoltage(&r.voltage)) r.voltage = -1;
  if (!a->ReadFanRPM(&r.fanRpm)) r.fanRpm = -1;
  if (!a->ReadFanPercent(&r.fanPercent)) r.fanPercent = -1;
  if (!a->ReadLoad(&r.load)) r.load = -1;
  if (HasGpuRegulators(a))
    for (int i = 0; i < GPU_RAIL_COUNT; ++i) r.rails[i] = ReadGpuRail(a, i);
  return r;
}

// The monitoring chips found on the card's buses.
std::vector<std::string> CardChips(CDisplayAdapter* a) {
  std::vector<std::string> names;
  auto* monitors =
      static_cast<CHardwareMonitorInterface*>(QUARNSDK::GetInstance()->FindInterface(INTERFACE_HARDWARE_MONITOR));
  if (!monitors) return names;
  for (CHardwareMonitor* m : Items(monitors->Monitors()))
    if (m->parent == a && m->category == MONITOR_CHIP) names.push_back(m->name);
  return names;
}

float ClockMhz(CDisplayAdapter* a, int level, int kind) {
  CPLL* p = a->ClockOf(level, kind);
  return p ? p->frequency : -1.0f;
}

void PrintAdapter(CDisplayAdapter* a, Json* json) {
  CPCIDevice* p = a->PciDevice();
  char apis[512];
  a->APINames(apis, sizeof(apis));
  char typeBuffer[16];
  const Readings r = Read(a);
  const uint16_t subVendor = p && p->header ? p->header->GetSubsystemVendorId() : 0xFFFF;
  const uint16_t subDevice = p && p->header ? p->header->GetSubsystemId() : 0xFFFF;
  if (json) {
    Json& j = *json;
    j.BeginObject().Key("index").Int(a->index).Key("name").String(a->name).Key("chip").String(a->chipName);
    j.Key("bus").Int(p ? p->bus : -1).Key("device").Int(p ? p->device : -1).Key("function").Int(p ? p->function : -1);
    j.Key("vendorId").Hex(p ? p->VendorId() : 0xFFFF, 4).Key("deviceId").Hex(p ? p->DeviceId() : 0xFFFF, 4);
    j.Key("subsystemVendorId").Hex(subVendor, 4).Key("subsystemId").Hex(subDevice, 4);
    j.Key("revision").Int(a->revision).Key("technologyUm");
    NumberOrNull(j, a->technology);
    j.Key("familyCode").Hex(static_cast<uint32_t>(a->familyCode), 8);
    j.Key("backends").BeginArray();
    for (const CDisplayAdapter::APIEntry& e : a->apiEntries) j.String(e.api->name);
    j.EndArray();
    j.Key("memoryMB").Int(a->memorySizeMB).Key("memoryType");
    a->memoryType > 0 ? j.String(MemoryTypeName(a->memoryType, typeBuffer, sizeof(typeBuffer))) : j.Null();
    j.Key("busWidth").Int(a->busWidth).Key("currentLevel").Int(a->currentPerfLevel);
    j.Key("levels").BeginArray();
    for (int l = 0; l < a->perfLevelCount; ++l) {
      j.BeginObject().Key("level").Int(l).Key("name").String(a->perfLevelNames[l]).Key("coreMHz");
      NumberOrNull(j, ClockMhz(a, l, GPUCLOCK_CORE));
      j.Key("shaderMHz");
      NumberOrNull(j, ClockMhz(a, l, GPUCLOCK_SHADER));
      j.Key("memoryMHz");
      NumberOrNull(j, ClockMhz(a, l, GPUCLOCK_MEMORY));
      j.EndObject();
    }
    j.EndArray().Key("temperatureC");
    NumberOrNull(j, r.temperature);
    j.Key("fanRPM");
    r.fanRpm >= 0 ? j.Int(r.fanRpm) : j.Null();
    j.Key("fanPercent");
    r.fanPercent >= 0 ? j.Int(r.fanPercent) : j.Null();
    j.Key("loadPercent");
    r.load >= 0 ? j.Int(r.load) : j.Null();
    j.Key("voltageV");
    NumberOrNull(j, r.voltage);
    j.Key("regulators").BeginArray();
    for (int i = 0; i < GPU_RAIL_COUNT; ++i) {
      if (!(r.rails[i] > 0)) continue;
      j.BeginObject().Key("rail").String(kGpuRails[i].key).Key("name").String(kGpuRails[i].name);
      j.Key("volts").Number(std::round(r.rails[i] * 100000) / 100000).EndObject();
    }
    j.EndArray().Key("sensors").BeginArray();
    if (a->sensors)
      for (CSensor* s : Items(a->sensors))
        if (s->IsValid()) {
          j.BeginObject().Key("name").String(s->name).Key("value").Number(s->value);
          if (const SensorClassFormat* f = FindSensorClassFormat(s->ClassBits())) j.Key("kind").String(f->kind);
          j.EndObject();
        }
    j.EndArray().Key("chips").BeginArray();
    for (const std::string& chip : CardChips(a)) j.String(chip);
    j.EndArray().EndObject();
    return;
  }
  std::printf("Adapter %d: %s\n", a->index, a->name);
  if (p)
    std::printf("\tPCI %02X:%02X.%X  %04X:%04X  subsystem %04X:%04X\n", p->bus, p->device, p->function,
                p->VendorId(), p->DeviceId(), subVendor, subDevice);
  char revision[16] = "n/a";
  if (a->revision >= 0) std::snprintf(revision, sizeof(revision), "%X", a->revision);
  std::printf("\tChip %s, revision %s, process %s, family code 0x%08X\n", a->chipName[0] ? a->chipName : "n/a",
              revision,
              a->technology > 0 ? Value(a->technology * 1000, "%.0f nm").c_str() : "n/a",
              static_cast<uint32_t>(a->familyCode));
  std::printf("\tBackends: %s\n", apis[0] ? apis : "none");
  std::printf("\tMemory: %s, %s, %s\n", a->memorySizeMB > 0 ? Value(a->memorySizeMB, "%.0f MB").c_str() : "size n/a",
              a->memoryType > 0 ? MemoryTypeName(a->memoryType, typeBuffer, sizeof(typeBuffer)) : "type n/a",
              a->busWidth > 0 ? Value(a->busWidth, "%.0f bits").c_str() : "bus width n/a");
  for (int l = 0; l < a->perfLevelCount; ++l)
    std::printf("\tLevel %d%s%s%s: core %s, shaders %s, memory %s MHz\n", l, a->perfLevelNames[l][0] ? " (" : "",
                a->perfLevelNames[l], a->perfLevelNames[l][0] ? ")" : "",
                Value(ClockMhz(a, l, GPUCLOCK_CORE), "%.0f").c_str(),
                Value(ClockMhz(a, l, GPUCLOCK_SHADER), "%.0f").c_str(),
                Value(ClockMhz(a, l, GPUCLOCK_MEMORY), "%.0f").c_str());
  std::printf("\tTemperature %s, fan %s / %s, load %s, GPU voltage %s\n", Value(r.temperature, "%.0f C").c_str(),
              r.fanRpm >= 0 ? Value(r.fanRpm + 0.5, "%.0f rpm").c_str() : "n/a",
              r.fanPercent >= 0 ? Value(r.fanPercent + 0.5, "%.0f %%").c_str() : "n/a",
              r.load >= 0 ? Value(r.load + 0.5, "%.0f %%").c_str() : "n/a", Value(r.voltage, "%.4f V").c_str());
  for (int i = 0; i < GPU_RAIL_COUNT; ++i)
    if (r.rails[i] > 0) std::printf("\t%s (%s): %.5f V\n", kGpuRails[i].name, kGpuRails[i].key, r.rails[i]);
  if (a->sensors)
    for (CSensor* s : Items(a->sensors))
      if (s->IsValid()) {
        // The card's own chips read out like the board's (`torvikctl sensors`).
        const std::string text = FormatReading(s->ClassBits(), s->value, SensorStyle::kDetailed);
        std::printf("\tSensor %s: %s\n", s->name, text.empty() ? std::to_string(s->value).c_str() : text.c_str());
      }
  for (const std::string& chip : CardChips(a)) std::printf("\tChip on the card: %s\n", chip.c_str());
}

CDisplayInterface* Display() {
  return static_cast<CDisplayInterface*>(QUARNSDK::GetInstance()->FindInterface(INTERFACE_DISPLAY));
}

// gpu set ADAPTER nvvdd|pexvdd|fbvdd|vgpu VOLTS
// gpu set ADAPTER core|shader|memory MHZ [--level N]
int SetVerb(Session& s, const Args& a) {
  const Verb& verb = *FindVerb("gpu");
  if (a.size() != 4 && a.size() != 6) return Usage(verb);
  double index = 0, value = 0, level = 0;
  if (!ParseDecimal(a[1], 0, 63, &index) || index != std::floor(index)) return Usage(verb);
  if (!ParseDecimal(a[3], 0.0001, 100000, &value)) return Usage(verb);
  if (a.size() == 6 && (a[4] != "--level" || !ParseDecimal(a[5], 0, CDisplayAdapter::kMaxPerfLevels - 1, &level) ||
                        level != std::floor(level)))
    return Usage(verb);
  int rail = -1, clockKind = -1;
  const bool vgpu = a[2] == "vgpu";
  for (int i = 0; i < GPU_RAIL_COUNT; ++i)
    if (a[2] == kGpuRails[i].key) rail = i;
  if (a[2] == "core") clockKind = GPUCLOCK_CORE;
  else if (a[2] == "shader") clockKind = GPUCLOCK_SHADER;
  else if (a[2] == "memory") clockKind = GPUCLOCK_MEMORY;
  if (rail < 0 && clockKind < 0 && !vgpu) return Usage(verb);
  if (a.size() == 6 && clockKind < 0) return Usage(verb);
  if (!s.Options().yes) {
    std::fprintf(stderr, "torvikctl: changing a graphics card setting needs --yes\n");
    return kExitFailed;
  }
  if (!s.StartSdk(kSdkDisplay)) return kExitFailed;
  CDisplayInterface* display = Display();
  CDisplayAdapter* adapter = display ? display->AdapterAt(static_cast<int>(index)) : nullptr;
  if (!adapter) {
    std::fprintf(stderr, "torvikctl: no display adapter %d\n", static_cast<int>(index));
    return kExitFailed;
  }
  if (!s.LockHardware()) return kExitFailed;
  int result = kExitOk;
  if (rail >= 0) {
    const GpuRailDesc& r = kGpuRails[rail];
    if (!HasGpuRegulators(adapter)) {
      std::fprintf(stderr, "torvikctl: %s has no %s regulator\n", adapter->name, r.name);
      result = kExitFailed;
    } else if (value < r.base - 1e-6 || value > r.maximum + 1e-6) {
      std::fprintf(stderr, "torvikctl: %.5f V is outside %.5f .. %.5f V for %s; nothing written\n", value, r.base,
                   r.maximum, r.name);
      result = kExitFailed;
    } else if (!WriteGpuRail(adapter, rail, value)) {
      std::fprintf(stderr, "torvikctl: %s did not take the setting\n", r.name);
      result = kExitFailed;
    }
    const double now = ReadGpuRail(adapter, rail);
    if (now > 0) std::printf("%s: %.5f V\n", r.name, now);
  } else if (vgpu) {
    float now = -1;
    if (!adapter->ReadVoltage(&now) || !(now > 0)) {
      std::fprintf(stderr, "torvikctl: %s reports no GPU voltage; nothing written\n", adapter->name);
      result = kExitFailed;
    } else if (!adapter->SetGpuVoltage(static_cast<float>(value))) {
      std::fprintf(stderr, "torvikctl: no backend of %s sets the GPU voltage\n", adapter->name);
      result = kExitFailed;
    }
    if (adapter->ReadVoltage(&now)) std::printf("GPU voltage: %.4f V\n", now);
  } else {
    const int l = static_cast<int>(level);
    const float now = ClockMhz(adapter, l, clockKind);
    // A change is taken only against a clock the adapter reports, within
    // half to twice of it.
    if (!(now > 0)) {
      std::fprintf(stderr, "torvikctl: %s reports no such clock at level %d; nothing written\n", adapter->name, l);
      result = kExitFailed;
    } else if (value < now / 2 || value > now * 2) {
      std::fprintf(stderr, "torvikctl: %.0f MHz is outside %.0f .. %.0f MHz; nothing written\n", value, now / 2,
                   now * 2);
      result = kExitFailed;
    } else if (!adapter->SetClock(l, clockKind, static_cast<float>(value))) {
      std::fprintf(stderr, "torvikctl: no backend of %s sets this clock\n", adapter->name);
      result = kExitFailed;
    }
    std::printf("%s clock, level %d: %s MHz\n", a[2].c_str(), l, Value(ClockMhz(adapter, l, clockKind), "%.0f").c_str());
  }
  s.UnlockHardware();
  return result;
}

// gpu report: every backend's name and its section of the display report
// (the "Graphics I2C" scan of the Fermi cards' buses among them).
int ReportVerb(Session& s) {
  if (!s.StartSdk(kSdkDisplay)) return kExitFailed;
  if (!s.LockHardware()) return kExitFailed;
  CDisplayInterface* display = Display();
  std::string text;
  if (display)
    for (CDisplayAPI* api : Items(display->apis)) {
      api->ReportName(&text);
      api->Report(&text);
    }
  s.UnlockHardware();
  std::printf("%s", text.empty() ? "No display backend.\n" : text.c_str());
  return kExitOk;
}

int GpuVerb(Session& s, const Args& a) {
  if (!a.empty() && a[0] == "set") return SetVerb(s, a);
  if (a.size() == 1 && a[0] == "report") return ReportVerb(s);
  if (!a.empty()) return Usage(*FindVerb("gpu"));
  if (!s.StartSdk(kSdkDisplay | kSdkMonitor)) return kExitFailed;
  if (!s.LockHardware()) return kExitFailed;
  CDisplayInterface* display = Display();
  const bool json = s.Options().json;
  Json j;
  j.BeginArray();
  const int count = display ? display->AdapterCount() : 0;
  for (int i = 0; i < count; ++i) PrintAdapter(display->AdapterAt(i), json ? &j : nullptr);
  j.EndArray();
  s.UnlockHardware();
  if (json) std::printf("%s\n", j.Text().c_str());
  else if (!count) std::printf("No display adapter found.\n");
  return kExitOk;
}

}  // namespace

const std::vector<Verb>& GpuVerbs() {
  static const std::vector<Verb> verbs = {
      {"gpu",
       "[report | set ADAPTER nvvdd|pexvdd|fbvdd|vgpu VOLTS | set ADAPTER core|shader|memory MHZ [--level N]]",
       "display adapters: chip, backends, clocks, temperature, fan, load, voltages; report: the backends' "
       "report with every device on the graphics cards' I2C buses; with --yes, set a card regulator, the GPU "
       "voltage or a clock",
       &GpuVerb},
  };
  return verbs;
}

}  // namespace cli
