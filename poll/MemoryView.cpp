#include "poll/MemoryView.h"

#include "poll/TextFormat.h"
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/CSPDInterface.h"

namespace {

struct FieldDef {
  int labelId, valueId;
  const char* label;
};

constexpr FieldDef kFieldDefs[CMemoryView::kFieldCount] = {
    {1002, 1232, "Type"},
    {1004, 1061, "Size"},
    {1005, 1068, "Channels #"},
    {1183, 1182, "NB Frequency"},
    {1006, 1064, "DRAM Frequency"},
    {1010, 1065, "FSB:DRAM"},
    {1007, 1067, "CAS# Latency (CL)"},
    {1009, 1070, "RAS# to CAS# Delay (tRCD)"},
    {1012, 1073, "RAS# Precharge (tRP)"},
    {1014, 1076, "Cycle Time (tRAS)"},
    {1016, 1079, "Refresh Cmd Delay (tRFC)"},
    {1019, 1083, "Command Rate (CR)"},
};

}  // namespace

CMemoryView::CMemoryView() {
  for (const FieldDef& d : kFieldDefs) fields_.push_back(Field{d.labelId, d.valueId, d.label, {}, false});
}

const char* CMemoryView::TypeText(int typeCode) {
  switch (typeCode) {
    case 2: return " RDRAM";
    case 3: return " EDO";
    case 4: return " FPG";
    case 5: return " SDRAM";
    case 6: return " DDR";
    case 7: return " DDR2";
    case 8: return " FB-DDR2";
    case 9: return " DDR3";
    default: return "";
  }
}

const char* CMemoryView::ChannelsText(int channels) {
  switch (channels) {
    case 1: return "Single";
    case 2: return "Dual";
    case 3: return "Triple";
    case 4: return "Quad";
    default: return "";
  }
}

void CMemoryView::Set(FieldIndex i, std::string value) {
  fields_[i].value = std::move(value);
  fields_[i].enabled = true;
}

void CMemoryView::Init(const CChipsetInterface* chipset, int memoryMB, const CSPDInterface* spd) {
  const CMemoryInfo* info = chipset ? chipset->GetMemoryInfo() : nullptr;
  if (info) {
    const char* type = TypeText(info->typeCode);
    if (*type) Set(kType, type);
    if (info->channelCount > 0) Set(kChannels, ChannelsText(info->channelCount));
  }
  if (memoryMB != -1) Set(kSize, FormatText("%d MBytes", memoryMB));

  modules_.clear();
  if (!spd) return;
  for (int i = 0; i < spd->count; ++i) {
    const CModuleInfo& m = spd->modules[i];
    Module row;
    // EEPROMs sit at 0x50 + slot.
    row.slot = FormatText("Slot #%d", (m.address & 0xF8) == 0x50 ? (m.address & 7) + 1 : i + 1);
    row.type = m.typeName;
    if (m.sizeMB > 0) row.size = FormatText("%d MBytes", m.sizeMB);
    row.speed = m.speedName;
    row.maker = m.makerName;
    row.part = m.partNumber;
    modules_.push_back(std::move(row));
  }
}

void CMemoryView::Update(const CChipsetInterface* chipset, float busClock) {
  const CMemoryInfo* info = chipset ? chipset->GetMemoryInfo() : nullptr;
  if (!info) return;
  // A row whose reading is missing disables its label and keeps its last
  // text, except the NB frequency, which is emptied.
  auto row = [&](FieldIndex i, bool valid, auto&& text) {
    if (valid) Set(i, text());
    else fields_[i].enabled = false;
  };
  const bool nb = info->uncoreRatio > 0 && busClock > 0;
  row(kNbFrequency, nb, [&] { return FormatText("%.1f MHz", info->uncoreRatio * busClock); });
  if (!nb) fields_[kNbFrequency].value.clear();
  row(kDramFrequency, info->dramFrequency > 0, [&] { return FormatText("%.1f MHz", info->dramFrequency); });
  row(kFsbDram, info->ratioValue > 0, [&] { return std::string(info->ratioText); });
  row(kCasLatency, info->casLatency > 0, [&] { return FormatText("%1.1f clocks", info->casLatency); });
  row(kRcd, info->tRCD >= 1, [&] { return FormatText("%d clocks", info->tRCD); });
  row(kRp, info->tRP >= 1, [&] { return FormatText("%d clocks", info->tRP); });
  row(kRas, info->tRAS >= 0, [&] { return FormatText("%d clocks", info->tRAS); });
  row(kRfc, info->tRFC >= 0, [&] { return FormatText("%d clocks", info->tRFC); });
  row(kCommandRate, info->commandRate != -1, [&] { return FormatText("%dT", info->commandRate); });
}
