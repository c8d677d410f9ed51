#include "poll/SysinfoView.h"

#include <cmath>

#include "poll/TextFormat.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/CTList.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/FIDVID_Control.h"
#include "sdk/memory/CChipsetInterface.h"

namespace {

struct FieldDef {
  int labelId, valueId, waysId;
  const char* label;
  bool enabledAtStart;
};

constexpr FieldDef kFieldDefs[CSysinfoView::kFieldCount] = {
    {1148, 1071, 0, "Name", true},
    {1193, 1080, 0, "Code Name", true},
    {1166, 1102, 0, "Brand ID", false},
    {1143, 1108, 0, "Package", false},
    {1132, 1110, 0, "Technology", false},
    {1155, 1122, 0, "Core Voltage", false},
    {1187, 1185, 0, "Specification", true},
    {1210, 1085, 0, "Family", false},
    {1211, 1090, 0, "Model", false},
    {1212, 1096, 0, "Stepping", false},
    {1213, 1086, 0, "Ext. Family", false},
    {1214, 1091, 0, "Ext. Model", false},
    {1129, 1038, 0, "Revision", false},
    {1215, 1190, 0, "Instructions", false},
    {1216, 1065, 0, "Core Speed", false},
    {1130, 1112, 0, "Multiplier", false},
    {1131, 1113, 0, "Bus Speed", false},
    {1134, 1117, 0, "Rated FSB", false},
    {1152, 1114, 1121, "L1 Data", false},
    {1153, 1115, 1125, "L1 Inst.", false},
    {1123, 1116, 1126, "Level 2", false},
    {1124, 1118, 1127, "Level 3", false},
    {1154, 1120, 0, "Cores", false},
    {1156, 1119, 0, "Threads", false},
};

// Tenths and hundredths are taken from the rounded value: a ratio held as
// 9.3f (9.2999...) is one decimal, not "9.29".
int Hundredths(float v) { return static_cast<int>(std::lround(v * 100.0f)); }
int Tenths(float v) { return static_cast<int>(std::lround(v * 10.0f)); }

std::string RatioBound(float r, const char* fractional, const char* whole) {
  return Tenths(r) % 10 != 0 ? FormatText(fractional, r) : FormatText(whole, Tenths(r) / 10);
}

struct FeatureText {
  int feature;
  const char* text;
};
constexpr FeatureText kFeatureTexts[] = {
    {FEATURE_MMX, "MMX"},       {FEATURE_MMX_EXT, " (+)"}, {FEATURE_3DNOW, ", 3DNow!"},  {FEATURE_3DNOW_EXT, " (+)"},
    {FEATURE_SSE, ", SSE"},     {FEATURE_SSE2, ", SSE2"},  {FEATURE_SSE3, ", SSE3"},     {FEATURE_SSSE3, ", SSSE3"},
    {FEATURE_SSE41, ", SSE4.1"}, {FEATURE_SSE42, ", SSE4.2"}, {FEATURE_SSE4A, ", SSE4A"}, {FEATURE_XOP, ", XOP"},
};

constexpr uint32_t kIntelTypeBit = 0x1000000;

}  // namespace

CSysinfoView::CSysinfoView() {
  fields_.reserve(kFieldCount);
  for (const FieldDef& d : kFieldDefs) {
    Field f{d.labelId, d.valueId, d.waysId, d.label, {}, {}, d.enabledAtStart};
    fields_.push_back(f);
  }
}

std::string CSysinfoView::MultiplierText(float m, bool engineeringSample, float minRatio, float maxRatio) {
  const bool range = engineeringSample && minRatio > 0 && maxRatio > 0;
  if (Hundredths(m) % 10 != 0) {
    if (range) return FormatText("x %.2f ( %.2f - %.2f )", m, minRatio, maxRatio);
    return FormatText("x %.2f", m);
  }
  std::string text = FormatText("x %.1f", m);
  if (range) text += RatioBound(minRatio, " ( %.1f - ", " ( %d - ") + RatioBound(maxRatio, "%.1f )", "%d )");
  return text;
}

std::string CSysinfoView::CacheSizeText(int count, int size, const char* unit) {
  if (count < 2) return FormatText("%d %s", size, unit);
  return FormatText("%d x %d %s", count, size, unit);
}

std::string CSysinfoView::Level3SizeText(int count, int sizeKB) {
  if (sizeKB >= 1024 && sizeKB % 1024 == 0) return CacheSizeText(count, sizeKB / 1024, "MBytes");
  return CacheSizeText(count, sizeKB, "KBytes");
}

std::string CSysinfoView::WaysText(int ways) {
  if (ways == -1) return {};
  if (ways == 1) return "direct";
  if (ways == 255) return "fully";
  return FormatText("%d-way", ways);
}

std::string CSysinfoView::TechnologyText(float p) {
  if (!(p > 0.0f)) return {};
  // Rounded rather than cut: 0.065 um is held as 0.0649999...
  if (p < 0.1f) return FormatText("%d nm", static_cast<int>(std::lround(p * 1000.0f)));
  return FormatText("%1.2f um", p);
}

std::string CSysinfoView::InstructionsText(const std::vector<int>& features, uint32_t typeCode) {
  auto has = [&](int f) {
    for (int x : features)
      if (x == f) return true;
    return false;
  };
  std::string text = " ";
  for (const FeatureText& f : kFeatureTexts)
    if (has(f.feature)) text += f.text;
  if (has(FEATURE_64BIT)) text += (typeCode & kIntelTypeBit) ? ", EM64T" : ", x86-64";
  return text;
}

std::string CSysinfoView::SpecificationText(const char* brand, const char* name, int ratedMHz, bool es) {
  std::string text;
  if (brand && *brand) text = brand;
  else if (ratedMHz == -1) text = name ? name : "";
  else text = FormatText("%s %d MHz", name ? name : "", ratedMHz);
  if (es) text += " (ES)";
  return text;
}

const char* CSysinfoView::LinkLabel(uint32_t typeCode) {
  if ((typeCode >= 0x2002000 && typeCode <= 0x20020FF) || (typeCode >= 0x2004000 && typeCode <= 0x20040FF))
    return "HT Link";
  if (typeCode >= 0x1020000 && typeCode <= 0x10200FF) return "QPI Link";
  return "Rated FSB";
}

int CSysinfoView::LogoBitmap(uint32_t typeCode) {
  static constexpr struct {
    uint32_t typeCode;
    int bitmap;
  } kLogos[] = {
      {0x1020001, 214}, {0x1020002, 215}, {0x1020003, 210}, {0x1020004, 212}, {0x1020005, 213},
      {0x1020101, 231}, {0x1020102, 236}, {0x1020103, 234}, {0x1020104, 229}, {0x1020105, 230},
  };
  for (const auto& l : kLogos)
    if (l.typeCode == typeCode) return l.bitmap;
  return 211;
}

CSensor* CSysinfoView::CoreVoltageSensor(const CTList<CSensor>* sensors, int processor) {
  for (CSensor* s : Items(sensors)) {
    if (s->ClassBits() != SENSOR_VOLTAGE) continue;
    if (((s->id >> 24) & 0x3F) == 1 && static_cast<int>(s->id >> 30) == processor) return s;
  }
  return nullptr;
}

void CSysinfoView::Set(FieldIndex i, std::string value, std::string ways) {
  Field& f = fields_[i];
  f.value = std::move(value);
  f.ways = std::move(ways);
  f.enabled = true;
}

void CSysinfoView::Clear(FieldIndex i) {
  Field& f = fields_[i];
  f.value.clear();
  f.ways.clear();
  f.enabled = kFieldDefs[i].enabledAtStart;
}

void CSysinfoView::Update(QUARNSDK* sdk, int processor, int core) {
  CCPUInterface* cpu = sdk ? sdk->cpuInterface : nullptr;
  CProcessor* p = cpu ? cpu->GetProcessor(processor) : nullptr;
  for (int i = 0; i < kFieldCount; ++i) {
    fields_[i].label = kFieldDefs[i].label;
    Clear(static_cast<FieldIndex>(i));
  }
  clocksCaption_.clear();
  if (!p) return;

  Set(kCores, FormatText("%d", p->GetNumberOfCores()));
  Set(kThreads, FormatText("%d", p->GetNumberOfThreads()));
  UpdateCaches(sdk, p);

  Set(kName, p->GetName());
  const bool es = p->IsEngineeringSample() != 0;
  Set(kSpecification, SpecificationText(p->GetSpecification(), p->GetName(), p->GetRatedFrequency(), es));
  if (p->GetFamily() != -1) {
    Set(kFamily, FormatText("%X", p->GetFamily()));
    Set(kModel, FormatText("%X", p->GetModel()));
    Set(kStepping, FormatText("%X", p->GetStepping()));
  }
  if (p->GetExtendedFamily() != -1) Set(kExtFamily, FormatText("%X", p->GetExtendedFamily()));
  if (p->GetExtendedModel() != -1) Set(kExtModel, FormatText("%X", p->GetExtendedModel()));

  std::vector<int> features;
  for (int f = 1; f <= FEATURE_64BIT; ++f)
    if (p->HasFeature(f)) features.push_back(f);
  Set(kInstructions, InstructionsText(features, p->GetTypeCode()));

  if (*p->GetCodeName()) Set(kCodeName, p->GetCodeName());
  if (p->GetBrandID() > 0) Set(kBrandId, FormatText("%d", p->GetBrandID()));
  if (*p->GetPackageName()) Set(kPackage, p->GetPackageName());
  const std::string technology = TechnologyText(p->GetTechnology());
  if (!technology.empty()) Set(kTechnology, technology);
  if (*p->GetRevisionName()) Set(kRevision, p->GetRevisionName());

  const int cores = p->GetNumberOfCores();
  const int c = core < 0 || cores <= 0 ? 0 : (core >= cores ? cores - 1 : core);
  UpdateClocks(sdk, p, c);
  UpdateVoltage(sdk, p, processor, c);
}

void CSysinfoView::UpdateCaches(QUARNSDK* sdk, CProcessor* p) {
  auto shown = [&](FieldIndex row, int level, int type) {
    CCacheDescriptor* d = p->GetCacheDescriptor(level, type);
    if (!d || d->sizeKB <= 0) return false;
    Set(row, CacheSizeText(p->GetNumberOfCaches(level, type), d->sizeKB, "KBytes"), WaysText(d->ways));
    return true;
  };
  bool level1 = shown(kL1Data, 1, CACHE_DATA);
  if (shown(kL1Inst, 1, CACHE_INSTRUCTION)) {
    level1 = true;
  } else if (CCacheDescriptor* trace = p->GetCacheDescriptor(1, CACHE_TRACE); trace && trace->sizeKB > 0) {
    fields_[kL1Inst].label = "L1 Trace";
    Set(kL1Inst, CacheSizeText(p->GetNumberOfCaches(1, CACHE_TRACE), trace->sizeKB, "Kuops"),
        trace->ways == -1 ? std::string() : FormatText(" %d-way", trace->ways));
    level1 = true;
  }

  bool level2 = shown(kLevel2, 2, CACHE_UNIFIED);
  if (!level2) {
    CCacheDescriptor* inst = p->GetCacheDescriptor(2, CACHE_INSTRUCTION);
    CCacheDescriptor* data = p->GetCacheDescriptor(2, CACHE_DATA);
    const int size = (inst && inst->sizeKB > 0 ? inst->sizeKB : 0) + (data && data->sizeKB > 0 ? data->sizeKB : 0);
    if (size > 0) {
      Set(kLevel2, CacheSizeText(p->GetNumberOfCaches(2, CACHE_DATA), size, "KBytes"));
      level2 = true;
    }
  }

  bool level3 = false;
  if (CCacheDescriptor* d = p->GetCacheDescriptor(3, CACHE_UNIFIED); d && d->sizeKB > 0) {
    Set(kLevel3, Level3SizeText(p->GetNumberOfCaches(3, CACHE_UNIFIED), d->sizeKB), WaysText(d->ways));
    level3 = true;
  }

  // A cache on the board sits one level below the processor's last.
  CChipsetInterface* chipset = sdk->chipsetInterface;
  CCacheDescriptor* board = chipset ? chipset->GetBoardCache() : nullptr;
  if (!board || board->sizeKB <= 0) return;
  const int level = level3 ? 4 : level2 ? 3 : level1 ? 2 : 1;
  if (level == 2) Set(kLevel2, FormatText("%d KBytes", board->sizeKB));
  if (level == 3) Set(kLevel3, FormatText("%d KBytes", board->sizeKB));
}

void CSysinfoView::UpdateClocks(QUARNSDK* sdk, CProcessor* p, int c) {
  clocksCaption_ = FormatText("Clocks (Core #%d)", c);
  const float clock = p->GetCoreClock(c);
  if (clock > 0) Set(kCoreSpeed, FormatText("%.1f MHz", clock));
  const float m = p->GetCoreMultiplier(c);
  if (m > 0)
    Set(kMultiplier, MultiplierText(m, p->IsEngineeringSample() != 0, p->GetCoreMinRatio(c), p->GetCoreMaxRatio(c)));
  const float bus = sdk->cpuInterface->busClock;
  if (bus > 0) Set(kBusSpeed, FormatText("%.1f MHz", bus));
  fields_[kRatedFsb].label = LinkLabel(p->GetTypeCode());
  const float link = p->GetLinkClock();
  if (link > 0) Set(kRatedFsb, FormatText("%.1f MHz", link));
}

void CSysinfoView::UpdateVoltage(QUARNSDK* sdk, CProcessor* p, int processor, int c) {
  Field& f = fields_[kCoreVoltage];
  CSensor* s = CoreVoltageSensor(sdk->GetSensors(), processor);
  if (s && s->value > 0) {
    f.label = "Core Voltage";
    Set(kCoreVoltage, FormatText("%.3f V", s->value));
    return;
  }
  CCPUCore* core = p->GetCore(c);
  CCPUThread* t = core ? core->FirstThread() : nullptr;
  FIDVID_Control* rc = t ? t->GetRatioControl() : nullptr;
  const float vid = rc ? rc->CoreVoltage() : -1.0f;
  if (vid > 0) {
    f.label = "Core VID";
    Set(kCoreVoltage, FormatText("%.3f V", vid));
  }
}
