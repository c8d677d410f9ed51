#include "poll/ValidationRecord.h"

#include <cstdarg>
#include <cstdio>

#include "sdk/core/CInterface.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/clock/CPLL.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/systables/CDMIInterface.h"
#include "sdk/systables/CDMIStructure.h"

namespace {

std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  return buffer;
}

// A number when it was measured, else empty.
std::string Measured(const char* format, double v) { return v > 0 ? Format(format, v) : std::string(); }
std::string Counted(int v) { return v >= 0 ? std::to_string(v) : std::string(); }

const char* MemoryTypeName(int code) {
  switch (code) {
    case 5: return "SDRAM";
    case 2: return "RDRAM";
    case 6: return "DDR-SDRAM";
    case 7: return "DDR2-SDRAM";
    case 8: return "FB-DDR2";
    case 9: return "DDR3-SDRAM";
    default: return "";
  }
}

struct FeatureName {
  int id;
  const char* name;
};
constexpr FeatureName kInstructionSets[] = {
    {FEATURE_MMX, "MMX"},     {FEATURE_MMX_EXT, "MMX+"}, {FEATURE_3DNOW, "3DNow!"}, {FEATURE_3DNOW_EXT, "3DNow!+"},
    {FEATURE_SSE, "SSE"},     {FEATURE_SSE2, "SSE2"},    {FEATURE_SSE3, "SSE3"},    {FEATURE_SSSE3, "SSSE3"},
    {FEATURE_SSE41, "SSE4.1"}, {FEATURE_SSE42, "SSE4.2"}, {FEATURE_SSE4A, "SSE4A"}, {FEATURE_XOP, "XOP"},
    {FEATURE_64BIT, "x86-64"}, {FEATURE_VIRTUALIZATION, "VT-x"}, {FEATURE_AES, "AES"}, {FEATURE_AVX, "AVX"},
    {FEATURE_AVX2, "AVX2"},   {FEATURE_FMA3, "FMA3"},
};

// "size" for one instance per package, "count x size" for several.
std::string CacheField(CProcessor& p, int level, int type) {
  CCacheDescriptor* c = p.GetCacheDescriptor(level, type);
  if (!c || c->sizeKB <= 0) return {};
  const int threads = p.GetNumberOfThreads();
  const int instances = c->sharing > 0 && threads > c->sharing ? threads / c->sharing : 1;
  return instances > 1 ? Format("%d x %d", instances, c->sizeKB) : Format("%d", c->sizeKB);
}

void ProcessorFields(QUARNSDK& sdk, std::vector<std::string>& f) {
  auto* cpus = static_cast<CCPUInterface*>(sdk.FindInterface(INTERFACE_CPU));
  CProcessor* p = cpus ? cpus->GetProcessor(0) : nullptr;
  if (!p) {
    f.insert(f.end(), 17, std::string());
    return;
  }
  const std::string name = p->GetName();
  std::string spec = p->GetSpecification();
  if (spec.empty() && !name.empty() && p->GetRatedFrequency() > 0)
    spec = Format("%s %dMHz", name.c_str(), p->GetRatedFrequency());
  if (p->IsEngineeringSample() && !spec.empty()) spec += " (Engineering Sample)";
  f.push_back(name);
  f.push_back(spec);
  f.push_back(Format("%X.%X.%X", p->GetFamily(), p->GetModel(), p->GetStepping()));
  f.push_back(Format("%X.%X", p->GetExtendedFamily(), p->GetExtendedModel()));
  f.push_back(Counted(p->GetNumberOfCores()));
  f.push_back(Counted(p->GetNumberOfThreads()));
  f.push_back(p->GetPackageName());
  f.push_back(Measured("%.4f", p->GetTechnology()));
  std::string sets;
  for (const FeatureName& s : kInstructionSets)
    if (p->HasFeature(s.id)) sets += (sets.empty() ? "" : " ") + std::string(s.name);
  f.push_back(sets);
  f.push_back(Measured("%.2f", p->GetCoreClock(0)));
  CCPUCore* core = p->GetCore(0);
  f.push_back(Measured("%.2f", core ? core->busClock : -1.0));
  f.push_back(Measured("%.2f", p->GetCoreMultiplier(0)));
  f.push_back(Measured("%.2f", p->GetLinkClock()));
  f.push_back(CacheField(*p, 1, CACHE_DATA));
  f.push_back(CacheField(*p, 1, CACHE_INSTRUCTION));
  f.push_back(CacheField(*p, 2, CACHE_UNIFIED));
  f.push_back(CacheField(*p, 3, CACHE_UNIFIED));
}

void MemoryFields(QUARNSDK* sdk, int memoryMB, std::vector<std::string>& f) {
  auto* chipset = sdk ? static_cast<CChipsetInterface*>(sdk->FindInterface(INTERFACE_CHIPSET)) : nullptr;
  CMemoryInfo* m = chipset ? chipset->GetMemoryInfo() : nullptr;
  f.push_back(m ? MemoryTypeName(m->typeCode) : "");
  f.push_back(memoryMB > 0 ? std::to_string(memoryMB) : std::string());
  f.push_back(Measured("%.1f", m ? m->dramFrequency : -1.0));
  std::string timings;
  if (m && m->casLatency > 0 && m->tRCD > 0 && m->tRP > 0 && m->tRAS > 0)
    timings = Format("%.1f-%d-%d-%d", m->casLatency, m->tRCD, m->tRP, m->tRAS);
  f.push_back(timings);
}

void BoardFields(QUARNSDK* sdk, std::vector<std::string>& f) {
  auto* dmi = sdk ? static_cast<CDMIInterface*>(sdk->FindInterface(INTERFACE_DMI)) : nullptr;
  auto* board = dmi ? static_cast<CDMI_Baseboard*>(dmi->FindStructure(2)) : nullptr;
  f.push_back(board ? Format("%s %s rev %s", board->manufacturer, board->product, board->version) : "");
  auto* chipset = sdk ? static_cast<CChipsetInterface*>(sdk->FindInterface(INTERFACE_CHIPSET)) : nullptr;
  CNorthBridge* north = chipset ? chipset->GetHostBridge() : nullptr;
  if (!north && chipset) north = chipset->GetNorthBridge(0);
  CSouthBridge* south = chipset ? chipset->GetSouthBridge() : nullptr;
  f.push_back(north && north->chipName[0] ? Format("%s %s", north->vendorName, north->chipName) : "");
  f.push_back(south && south->chipName[0] ? Format("%s %s", south->vendorName, south->chipName) : "");
}

// 8-bit text without the separator: commas become blanks, anything outside
// printable ASCII becomes '?'.
std::string Clean(const std::string& s) {
  std::string r = s;
  for (char& c : r) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == ',') c = ' ';
    else if (u < 0x20 || u > 0x7E) c = '?';
  }
  return r;
}

// Up to four display adapters: name, memory size in MB, and the core and
// memory clocks of the level the adapter runs at now; a missing adapter or
// value leaves its fields empty.
void GraphicsFields(QUARNSDK* sdk, std::vector<std::string>& f) {
  auto* display = sdk ? static_cast<CDisplayInterface*>(sdk->FindInterface(INTERFACE_DISPLAY)) : nullptr;
  const auto clock = [](const CDisplayAdapter* a, int kind) {
    const CPLL* pll = a->ClockOf(a->currentPerfLevel, kind);
    return pll && pll->GetFrequency() > 0 ? Format("%.2f", pll->GetFrequency()) : std::string();
  };
  for (int g = 0; g < kValidationGraphicsAdapters; ++g) {
    CDisplayAdapter* a = display && g < display->AdapterCount() ? display->AdapterAt(g) : nullptr;
    if (!a) {
      f.insert(f.end(), 4, std::string());
      continue;
    }
    f.push_back(a->name);
    f.push_back(a->memorySizeMB > 0 ? Format("%d", a->memorySizeMB) : std::string());
    f.push_back(clock(a, 0));
    f.push_back(clock(a, 7));
  }
}

}  // namespace

const std::vector<std::string>& ValidationFieldNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n = {"date", "processor", "specification", "family.model.stepping",
                                  "extended family.model", "cores", "threads", "package", "technology",
                                  "instruction sets", "core clock", "bus clock", "multiplier", "link clock",
                                  "L1 data", "L1 instruction", "L2", "L3", "memory type", "memory size",
                                  "memory frequency", "memory timings", "mainboard", "chipset", "south bridge"};
    for (int g = 1; g <= kValidationGraphicsAdapters; ++g)
      for (const char* what : {"name", "memory", "core clock", "memory clock"})
        n.push_back("graphics " + std::to_string(g) + " " + what);
    for (int r = 1; r <= kValidationReserveFields; ++r) n.push_back("reserved " + std::to_string(r));
    n.push_back("version");
    return n;
  }();
  return names;
}

std::vector<std::string> ValidationFields(const ValidationInputs& in) {
  std::vector<std::string> f;
  f.push_back(Format("%d-%d-%d", in.local.tm_year + 1900, in.local.tm_mon + 1, in.local.tm_mday));
  if (in.sdk) ProcessorFields(*in.sdk, f);
  else f.insert(f.end(), 17, std::string());
  MemoryFields(in.sdk, in.memoryMB, f);
  BoardFields(in.sdk, f);
  GraphicsFields(in.sdk, f);
  f.insert(f.end(), kValidationReserveFields, std::string());
  f.push_back(kValidationRecordVersion);
  for (std::string& s : f) s = Clean(s);
  return f;
}

std::string BuildValidationRecord(const ValidationInputs& in) {
  std::string list;
  for (const std::string& field : ValidationFields(in))
    if (list.size() + field.size() + 1 <= kValidationListLimit) list += field + ",";
  return list;
}

std::vector<std::string> SplitValidationRecord(const std::string& record) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t comma = record.find(','); comma != std::string::npos; comma = record.find(',', start)) {
    fields.push_back(record.substr(start, comma - start));
    start = comma + 1;
  }
  if (start < record.size()) fields.push_back(record.substr(start));
  return fields;
}
