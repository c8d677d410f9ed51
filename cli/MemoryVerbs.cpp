// spd: the memory modules' SPD data decoded (type, size, ranks, speed,
// timings, voltage, maker, part number, XMP and EPP profiles), from the
// modules or from a saved image with --from-dump; memory: the chipset and
// what its memory controller runs (channels, DRAM clock, timings).
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/Json.h"
#include "cli/Printable.h"
#include "cli/Verbs.h"
#include "platform/ReadCappedFile.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/CSPDInterface.h"
#include "sdk/memory/SpdDecoder.h"
#include "sdk/memory/SpdImageFile.h"

namespace cli {

namespace {

std::string Format(const char* fmt, double v) {
  char b[64];
  std::snprintf(b, sizeof(b), fmt, v);
  return b;
}

// Clock cycles of `ns` at `tCK`, rounded up as a controller programs them.
int Clocks(float ns, double tCK) {
  if (ns <= 0 || tCK <= 0) return -1;
  return static_cast<int>(std::ceil(ns / tCK - 0.025));
}

// The module's cycle time at its rated clock, from the transfer rate.
double RatedTck(const CModuleInfo& m) { return m.dataRate > 0 ? 2000.0 / m.dataRate : -1.0; }

// The lowest CAS latency valid at the rated clock.
float RatedCl(const CModuleInfo& m) {
  float best = -1;
  for (CAS_Table* c : Items(m.casTable))
    if (c->maxClockMHz >= m.clockMHz - 0.5f && (best < 0 || c->latency < best)) best = c->latency;
  return best < 0 ? m.maxCL : best;
}

std::string TimingText(float cl, int rcd, int rp, int ras) {
  auto part = [](double v) { return v < 0 ? std::string("?") : Format("%g", v); };
  return part(cl) + "-" + part(rcd) + "-" + part(rp) + "-" + part(ras);
}

std::string MakerBytes(const CModuleInfo& m) {
  std::string s;
  for (int i = 0; i < 8; ++i) {
    char b[4];
    std::snprintf(b, sizeof(b), "%02X", m.makerId[i]);
    s += (i ? " " : "") + std::string(b);
    if (m.makerId[i] != 0x7F) break;
  }
  return s;
}

const char* EppKind(const CEPP_Profile& p) { return p.kind == CEPP_Profile::kFull ? "full" : "abbreviated"; }

void PrintModuleText(const CModuleInfo& m, const CMemoryModule* device) {
  if (device)
    std::printf("Memory module %d (SMBus 0x%02X): %s\n", m.index, m.address, Printable(device->name).c_str());
  else
    std::printf("Memory module\n");
  if (!m.typeName[0]) {
    std::printf("  Type:            unknown (byte 2 = 0x%02X)\n", m.data ? m.data[2] : 0);
    return;
  }
  std::printf("  Type:            %s%s%s\n", m.typeName, m.moduleTypeName[0] ? " " : "", m.moduleTypeName);
  if (m.sizeMB > 0) {
    std::printf("  Size:            %d MB", m.sizeMB);
    if (m.ranks > 0) std::printf(", %d rank%s", m.ranks, m.ranks == 1 ? "" : "s");
    if (m.typeCode == MEMTYPE_DDR3 || m.typeCode == MEMTYPE_FB_DDR2) std::printf(", %d banks", m.banksOrRanks);
    std::printf("\n");
  }
  if (m.speedName[0])
    std::printf("  Speed:           %s, %d MT/s (%d MHz)\n", m.speedName, m.dataRate, m.clockMHz);
  const double tck = RatedTck(m);
  if (tck > 0 && m.typeCode >= MEMTYPE_DDR)
    std::printf("  Timings:         %s (CL-tRCD-tRP-tRAS at %d MHz)\n",
                TimingText(RatedCl(m), Clocks(m.tRCD, tck), Clocks(m.tRP, tck), Clocks(m.tRAS, tck)).c_str(),
                m.clockMHz);
  if (m.casTable->count) {
    std::printf("  CAS latencies:  ");
    for (CAS_Table* c : Items(m.casTable)) {
      std::printf(" %g", c->latency);
      if (c->maxClockMHz > 0) std::printf(" (%.0f MHz)", c->maxClockMHz);
    }
    std::printf("\n");
  }
  std::printf("  tRCD tRP tRAS tRC tRRD: %s %s %s %s %s ns\n", Format("%.3g", m.tRCD).c_str(),
              Format("%.3g", m.tRP).c_str(), Format("%.3g", m.tRAS).c_str(), Format("%.4g", m.tRC).c_str(),
              Format("%.3g", m.tRRD).c_str());
  if (m.voltage > 0) std::printf("  Voltage:         %.2f V\n", m.voltage);
  std::printf("  Maker:           %s (%s)\n", m.makerName[0] ? m.makerName : "unknown", MakerBytes(m).c_str());
  std::printf("  Part number:     %s\n", Printable(m.partNumber).c_str());
  std::printf("  Serial number:   %s\n", m.serialText);
  if (m.year || m.week) std::printf("  Manufactured:    year %u, week %u\n", m.year, m.week);
  if (device && device->temperatureSensor)
    std::printf("  Temperature:     %.1f C\n", device->temperatureSensor->value);
  int n = 0;
  for (CXMP_Profile* x : Items(m.xmpProfiles)) {
    const double t = x->tCK;
    std::printf("  XMP %u.%u profile %d: %s, %d MHz, %.2f V, %s, tRFC %g ns\n", m.xmpRevision >> 4,
                m.xmpRevision & 0xF, ++n, x->speedName, x->clockMHz, x->voltage,
                TimingText(static_cast<float>(Clocks(x->tAA, t)), Clocks(x->tRCD, t), Clocks(x->tRP, t),
                           Clocks(x->tRAS, t))
                    .c_str(),
                x->tRFC);
  }
  n = 0;
  for (CEPP_Profile* e : Items(m.eppProfiles)) {
    const double t = e->tCK;
    std::printf("  EPP profile %d (%s): %.0f MHz, %.3f V, %dT, %s\n", ++n, EppKind(*e), t > 0 ? 1000.0 / t : 0.0,
                e->voltage, e->commandRate,
                TimingText(e->CL, Clocks(e->tRCD, t), Clocks(e->tRP, t), Clocks(e->tRAS, t)).c_str());
  }
}

// A value for JSON: -1 (not decoded) is null; floats carry no binary
// noise past the fourth decimal (2.1 V, not 2.099999905).
void Num(Json& j, const char* key, double v) {
  j.Key(key);
  if (v < 0)
    j.Null();
  else
    j.Number(std::round(v * 10000.0) / 10000.0);
}

void ModuleJson(Json& j, const CModuleInfo& m, const CMemoryModule* device) {
  auto num = [&](const char* key, double v) { Num(j, key, v); };
  j.BeginObject();
  if (device) j.Key("index").Int(m.index).Key("address").Hex(m.address, 2).Key("name").String(device->name);
  j.Key("type").String(m.typeName).Key("typeCode").Int(m.typeCode).Key("form").String(m.moduleTypeName);
  j.Key("sizeMB").Int(m.sizeMB);
  num("ranks", m.ranks);
  j.Key("speed").String(m.speedName);
  num("clockMHz", m.clockMHz);
  num("dataRate", m.dataRate);
  num("rating", m.rating);
  const double tck = RatedTck(m);
  num("cl", RatedCl(m));
  num("tRCDClocks", Clocks(m.tRCD, tck));
  num("tRPClocks", Clocks(m.tRP, tck));
  num("tRASClocks", Clocks(m.tRAS, tck));
  num("tRCDns", m.tRCD);
  num("tRPns", m.tRP);
  num("tRASns", m.tRAS);
  num("tRCns", m.tRC);
  num("tRRDns", m.tRRD);
  j.Key("casLatencies").BeginArray();
  for (CAS_Table* c : Items(m.casTable)) {
    j.BeginObject().Key("cl").Number(c->latency);
    num("maxClockMHz", c->maxClockMHz);
    j.EndObject();
  }
  j.EndArray();
  num("voltage", m.voltage);
  j.Key("maker").String(m.makerName).Key("makerId").String(MakerBytes(m));
  j.Key("partNumber").String(m.partNumber).Key("serialNumber").String(m.serialText);
  j.Key("year").Int(m.year).Key("week").Int(m.week);
  if (device && device->temperatureSensor) num("temperature", device->temperatureSensor->value);
  j.Key("xmp").BeginArray();
  for (CXMP_Profile* x : Items(m.xmpProfiles)) {
    j.BeginObject().Key("speed").String(x->speedName).Key("clockMHz").Int(x->clockMHz);
    num("voltage", x->voltage);
    num("tCK", x->tCK);
    num("tAA", x->tAA);
    num("tRCD", x->tRCD);
    num("tRP", x->tRP);
    num("tRAS", x->tRAS);
    num("tRFC", x->tRFC);
    j.EndObject();
  }
  j.EndArray().Key("epp").BeginArray();
  for (CEPP_Profile* e : Items(m.eppProfiles)) {
    j.BeginObject().Key("kind").String(EppKind(*e));
    num("voltage", e->voltage);
    num("commandRate", e->commandRate);
    num("tCK", e->tCK);
    num("cl", e->CL);
    num("tRCD", e->tRCD);
    num("tRP", e->tRP);
    num("tRAS", e->tRAS);
    j.EndObject();
  }
  j.EndArray().EndObject();
}

int FromDump(Session& s, const std::string& path) {
  std::string file, error;
  if (!plat::ReadCappedFile(path, kSpdDumpMaxBytes, &file, &error)) {
    std::fprintf(stderr, "torvikctl: %s\n", error.c_str());
    return kExitFailed;
  }
  std::vector<uint8_t> image;
  if (!ParseSpdImage(file, &image, &error)) {
    std::fprintf(stderr, "torvikctl: %s: %s\n", path.c_str(), error.c_str());
    return kExitFailed;
  }
  CModuleInfo m;
  m.data = new uint8_t[CModuleInfo::kDataSize];
  std::copy(image.begin(), image.end(), m.data);
  m.dataSize = CModuleInfo::kDataSize;
  DecodeModule(m);
  if (s.Options().json) {
    Json j;
    ModuleJson(j, m, nullptr);
    std::printf("%s\n", j.Text().c_str());
  } else {
    PrintModuleText(m, nullptr);
  }
  return kExitOk;
}

// The raw bytes as i2cdump prints them, one block per module: what
// --from-dump (and decode-dimms -x) read back.
void PrintHex(const CSPDInterface& spd) {
  for (int i = 0; i < spd.count; ++i) {
    const CModuleInfo& m = spd.modules[i];
    std::printf("%s# memory module %d at SMBus 0x%02X\n", i ? "\n" : "", i, m.address);
    std::printf("     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n");
    for (int row = 0; row < CModuleInfo::kDataSize; row += 16) {
      std::printf("%02x:", row);
      for (int k = 0; k < 16; ++k) std::printf(" %02x", m.data[row + k]);
      std::printf("\n");
    }
  }
}

int Spd(Session& s, const Args& a) {
  const bool hex = a.size() == 1 && a[0] == "--hex";
  if (!a.empty() && !hex && !(a.size() == 2 && a[0] == "--from-dump")) return Usage(*FindVerb("spd"));
  if (a.size() == 2) return FromDump(s, a[1]);
  // Found and decoded as the last start-up step, like the window does.
  auto spd = std::make_unique<CSPDInterface>();
  SdkStartupHooks hooks;
  hooks.interfaces = kSdkSpd;
  hooks.memoryModules = [&] {
    QUARNSDK* sdk = QUARNSDK::GetInstance();
    spd->boardHash = sdk->GetMainboard() ? sdk->GetMainboard()->boardHash : -1;
    if (spd->Detect()) spd->Decode();
  };
  if (!s.StartSdk(hooks)) return kExitFailed;
  if (hex) {
    PrintHex(*spd);
  } else if (s.Options().json) {
    Json j;
    j.BeginObject().Key("totalMB").Int(spd->TotalSizeMB()).Key("modules").BeginArray();
    for (int i = 0; i < spd->count; ++i)
      ModuleJson(j, spd->modules[i], static_cast<CMemoryModule*>(spd->devices->At(i)));
    j.EndArray().EndObject();
    std::printf("%s\n", j.Text().c_str());
  } else if (spd->count == 0) {
    std::printf("No memory module answered at 0x50-0x57 on the SMBus.\n");
  } else {
    for (int i = 0; i < spd->count; ++i) {
      if (i) std::printf("\n");
      PrintModuleText(spd->modules[i], static_cast<CMemoryModule*>(spd->devices->At(i)));
    }
    std::printf("\nTotal: %d MB in %d module%s\n", spd->TotalSizeMB(), spd->count, spd->count == 1 ? "" : "s");
  }
  return kExitOk;
}

const char* MemoryTypeName(int code) {
  switch (code) {
    case 2: return "RDRAM";
    case 3: return "EDO";
    case 4: return "FPM";
    case 5: return "SDRAM";
    case 6: return "DDR";
    case 7: return "DDR2";
    case 8: return "FB-DDR2";
    case 9: return "DDR3";
    default: return "";
  }
}

std::string PciAddress(const CPCIDevice* d) {
  if (!d) return "";
  char b[16];
  std::snprintf(b, sizeof(b), "%02x:%02x.%x", d->bus, d->device, d->function);
  return b;
}

int Memory(Session& s, const Args& a) {
  if (!a.empty()) return Usage(*FindVerb("memory"));
  if (!s.StartSdk(kSdkChipset | kSdkCpu)) return kExitFailed;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  auto* chipset = static_cast<CChipsetInterface*>(sdk->FindInterface(INTERFACE_CHIPSET));
  if (!chipset) {
    std::fprintf(stderr, "torvikctl: the chipset is not available (no PCI access)\n");
    return kExitFailed;
  }
  auto* cpu = static_cast<CCPUInterface*>(sdk->FindInterface(INTERFACE_CPU));
  const float bus = cpu ? cpu->busClock : -1.0f;
  const CMemoryInfo& m = *chipset->GetMemoryInfo();
  const bool json = s.Options().json;
  Json j;
  if (json) j.BeginObject().Key("northBridges").BeginArray();
  int n = 0;
  for (CNorthBridge* b : Items(chipset->northBridges)) {
    if (json) {
      j.BeginObject().Key("vendor").String(b->vendorName).Key("chip").String(b->chipName);
      j.Key("revision").String(b->revisionName).Key("pci").String(PciAddress(b->device));
      j.Key("host").Bool(b == chipset->GetHostBridge()).EndObject();
    } else {
      std::printf("North bridge %d:   %s %s, revision %s (%s)%s\n", n, Printable(b->vendorName).c_str(),
                  Printable(b->chipName).c_str(), b->revisionName, PciAddress(b->device).c_str(),
                  b == chipset->GetHostBridge() ? ", host bridge" : "");
    }
    ++n;
  }
  if (json) j.EndArray();
  if (CSouthBridge* sb = chipset->GetSouthBridge()) {
    if (json)
      j.Key("southBridge").BeginObject().Key("vendor").String(sb->vendorName).Key("chip").String(sb->chipName)
          .Key("revision").String(sb->revisionName).Key("pci").String(PciAddress(sb->device)).EndObject();
    else
      std::printf("South bridge:     %s %s, revision %s (%s)\n", Printable(sb->vendorName).c_str(),
                  Printable(sb->chipName).c_str(), sb->revisionName, PciAddress(sb->device).c_str());
  }
  auto num = [&](const char* key, double v) { Num(j, key, v); };
  if (json) {
    j.Key("memoryType").String(MemoryTypeName(m.typeCode));
    num("channels", m.channelCount);
    num("dramFrequencyMHz", m.dramFrequency);
    num("ratio", m.ratioValue);
    j.Key("ratioText").String(m.ratioText);
    num("cl", m.casLatency);
    num("tRCD", m.tRCD);
    num("tRP", m.tRP);
    num("tRAS", m.tRAS);
    num("tRFC", m.tRFC);
    num("commandRate", m.commandRate);
    if (m.eccText[0])
      j.Key("ecc").String(m.eccText);
    else
      j.Key("ecc").Null();
    num("uncoreRatio", m.uncoreRatio);
    num("busClockMHz", bus);
    j.EndObject();
    std::printf("%s\n", j.Text().c_str());
    return kExitOk;
  }
  std::printf("Memory type:      %s\n", m.typeCode > 0 ? MemoryTypeName(m.typeCode) : "unknown");
  if (m.channelCount >= 0) std::printf("Channels:         %d\n", m.channelCount);
  if (m.dramFrequency > 0) {
    std::printf("DRAM frequency:   %.1f MHz", m.dramFrequency);
    if (m.ratioValue > 0 && m.ratioText[0]) std::printf(" (FSB:DRAM %s)", m.ratioText);
    std::printf("\n");
  } else if (m.ratioText[0]) {
    std::printf("FSB:DRAM:         %s\n", m.ratioText);
  }
  if (m.casLatency > 0 || m.tRCD >= 0)
    std::printf("Timings:          %s (CL-tRCD-tRP-tRAS)\n",
                TimingText(m.casLatency, m.tRCD, m.tRP, m.tRAS).c_str());
  if (m.tRFC >= 0) std::printf("tRFC:             %d clocks\n", m.tRFC);
  if (m.commandRate > 0) std::printf("Command rate:     %dT\n", m.commandRate);
  if (m.eccText[0]) std::printf("Error correction: %s\n", m.eccText);
  if (m.uncoreRatio > 0) {
    std::printf("Uncore ratio:     %g", m.uncoreRatio);
    if (bus > 0) std::printf(" (NB frequency %.1f MHz)", bus * m.uncoreRatio);
    std::printf("\n");
  }
  return kExitOk;
}

}  // namespace

const std::vector<Verb>& MemoryVerbs() {
  static const std::vector<Verb> verbs = {
      {"spd", "[--hex | --from-dump FILE]",
       "memory modules' SPD: type, size, speed, timings, XMP/EPP; --hex the raw bytes; or a saved image",
       &Spd},
      {"memory", "", "chipset and memory controller: channels, DRAM clock, timings, error correction", &Memory},
  };
  return verbs;
}

}  // namespace cli
