#include "emu/CpuModels.h"

#include <cstring>
#include <map>
#include <memory>

#include "emu/EmulatedMachine.h"
#include "emu/PciFunction.h"

namespace emu {

// ------------------------------------------------------------------ descriptions

const CpuDescription& NehalemBloomfieldI7_920() {
  static const CpuDescription d = [] {
    CpuDescription c;
    c.name = "Core i7-920 (Bloomfield)";
    c.brand = "Intel(R) Core(TM) i7 CPU         920  @ 2.67GHz";
    c.signature = 0x000106A5;
    c.caches = {{1, 1, 32, 8, 2}, {1, 2, 32, 4, 2}, {2, 3, 256, 8, 2}, {3, 3, 8192, 16, 16, true}};
    return c;
  }();
  return d;
}

const CpuDescription& WestmereGulftownI7_980X() {
  static const CpuDescription d = [] {
    CpuDescription c;
    c.name = "Core i7-980X (Gulftown)";
    c.brand = "Intel(R) Core(TM) i7 CPU       X 980  @ 3.33GHz";
    c.signature = 0x000206C2;
    c.coresPerPackage = 6;
    c.baseRatio = 25;
    c.turboLimits[0] = 27;
    c.turboLimits[1] = 27;
    for (int i = 2; i < 6; ++i) c.turboLimits[i] = 26;
    c.unlocked = true;
    c.leaf1Ecx = 0x029EE3FF;
    c.caches = {{1, 1, 32, 8, 2}, {1, 2, 32, 4, 2}, {2, 3, 256, 8, 2}, {3, 3, 12288, 16, 32, true}};
    return c;
  }();
  return d;
}

const CpuDescription& SandyBridgeI7_2600K() {
  static const CpuDescription d = [] {
    CpuDescription c;
    c.name = "Core i7-2600K (Sandy Bridge)";
    c.brand = "Intel(R) Core(TM) i7-2600K CPU @ 3.40GHz";
    c.signature = 0x000206A7;
    c.generation = CpuGeneration::SandyBridge;
    c.bclkMHz = 100.0;
    c.baseRatio = 34;
    c.minRatio = 16;
    const uint8_t turbo[6] = {38, 37, 36, 35, 0, 0};
    std::memcpy(c.turboLimits, turbo, sizeof(turbo));
    c.unlocked = true;
    c.tdpW = 95;
    c.tdcA = 112;
    c.packageWatts = 60.0;
    c.mchbar = 0xFED10000;
    c.tjMax = 98;
    c.leaf1Ecx = 0x1FBAE3FF;
    c.leaf2[0] = 0x76035A01;
    c.leaf2[1] = 0x00F0B2FF;
    c.leaf2[3] = 0x00CA0000;
    c.caches = {{1, 1, 32, 8, 2}, {1, 2, 32, 8, 2}, {2, 3, 256, 8, 2}, {3, 3, 8192, 16, 16, true}};
    return c;
  }();
  return d;
}

const CpuDescription& SandyBridgeEI7_3930K() {
  static const CpuDescription d = [] {
    CpuDescription c;
    c.name = "Core i7-3930K (Sandy Bridge-E)";
    c.brand = "Intel(R) Core(TM) i7-3930K CPU @ 3.20GHz";
    c.signature = 0x000206D7;  // family 6, model 0x2D, stepping 7 (C2)
    c.generation = CpuGeneration::SandyBridge;
    c.coresPerPackage = 6;
    c.bclkMHz = 100.0;
    c.baseRatio = 32;
    c.minRatio = 12;
    const uint8_t turbo[6] = {38, 38, 37, 37, 36, 36};
    std::memcpy(c.turboLimits, turbo, sizeof(turbo));
    c.unlocked = true;
    c.tdpW = 130;
    c.tdcA = 150;
    c.packageWatts = 80.0;
    c.pcuTurboRegister = true;
    c.tjMax = 95;
    c.leaf1Ecx = 0x1FBEE3FF;
    c.leaf2[0] = 0x76035A01;
    c.leaf2[1] = 0x00F0B2FF;
    c.leaf2[3] = 0x00CA0000;
    c.caches = {{1, 1, 32, 8, 2}, {1, 2, 32, 8, 2}, {2, 3, 256, 8, 2}, {3, 3, 12288, 16, 12, true}};
    return c;
  }();
  return d;
}

const CpuDescription& WestmereEpXeonX5650Pair() {
  static const CpuDescription d = [] {
    CpuDescription c;
    c.name = "2 x Xeon X5650 (Westmere-EP)";
    c.brand = "Intel(R) Xeon(R) CPU           X5650  @ 2.67GHz";
    c.signature = 0x000206C2;
    c.packages = 2;
    c.coresPerPackage = 6;
    c.baseRatio = 20;
    const uint8_t turbo[6] = {23, 23, 22, 22, 22, 22};
    std::memcpy(c.turboLimits, turbo, sizeof(turbo));
    c.platformId = 0;
    c.tdpW = 95;
    c.leaf1Ecx = 0x029EE3FF;
    c.caches = {{1, 1, 32, 8, 2}, {1, 2, 32, 4, 2}, {2, 3, 256, 8, 2}, {3, 3, 12288, 16, 32, true}};
    return c;
  }();
  return d;
}

const CpuDescription& PhenomIIX4_955() {
  static const CpuDescription d = [] {
    CpuDescription c;
    c.name = "Phenom II X4 955 (Deneb)";
    c.brand = "AMD Phenom(tm) II X4 955 Processor";
    c.signature = 0x00100F42;
    c.generation = CpuGeneration::K10;
    c.coresPerPackage = 4;
    c.threadsPerCore = 1;
    c.coreShift = 2;
    c.bclkMHz = 200.0;
    c.baseRatio = 16;
    c.minRatio = 4;
    c.turboLimits[0] = c.turboLimits[1] = c.turboLimits[2] = c.turboLimits[3] = 0;
    c.unlocked = true;
    c.tdpW = 125;
    c.coreTempC = 38;
    c.leaf1Ecx = 0x00802009;
    c.leaf1Edx = 0x178BFBFF;
    c.extLeaf1Ecx = 0x000037FF;
    c.extLeaf1Edx = 0xEFD3FBFF;
    c.powerManagementEdx = 0x000001F9;  // FID/VID control, hardware P-states, invariant TSC
    c.pstates = {{16, 0, 0x10, 0x56}, {9, 0, 0x18, 0x42}, {5, 0, 0x1E, 0x36}, {0, 1, 0x2C, 0x1C}};
    c.caches = {{1, 1, 64, 2, 1}, {1, 2, 64, 2, 1}, {2, 3, 512, 16, 1}, {3, 3, 6144, 48, 4}};
    return c;
  }();
  return d;
}

const std::vector<const CpuDescription*>& CpuModels() {
  static const std::vector<const CpuDescription*> all = {&NehalemBloomfieldI7_920(), &WestmereGulftownI7_980X(),
                                                         &SandyBridgeI7_2600K(), &SandyBridgeEI7_3930K(),
                                                         &WestmereEpXeonX5650Pair(),
                                                         &PhenomIIX4_955()};
  return all;
}

namespace {

constexpr uint32_t Str4(const char* s) {
  return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) | static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(s[3])) << 24;
}

// Energy counters count in units of 2^-16 J (MSR 0x606 energy unit 16).
constexpr double kEnergyUnitJ = 1.0 / 65536.0;

// Counters of one logical processor.
struct CoreCounters {
  RateCounter tsc, mperf, aperf, fixed0, fixed1, fixed2;
  // AMD performance counter 0 and its event select.
  RateCounter perfCtr0;
  uint64_t perfEvtSel0 = 0;
};

bool IsAmd(const CpuDescription& d) { return d.generation == CpuGeneration::K10; }

double AmdRatio(int fid, int did) { return (fid + 16) * 0.5 / static_cast<double>(1 << did); }

// PerfEvtSel0 counts core cycles when enabled (bit 22) on event 0x76.
bool CountsCoreCycles(uint64_t select) { return (select & 0x400000) && (select & 0xFF) == 0x76; }

// What one package shares: turbo state and the counters that follow it.
struct PackageState {
  CpuDescription d;
  uint8_t turbo[6] = {};
  bool disengaged = false;
  int requested = 0;  // IA32_PERF_CTL ratio
  std::vector<std::shared_ptr<CoreCounters>> counters;
  RateCounter energyPackage, energyCores, energyGraphics;
  // AMD: the current COFVID code (fid 5:0, did 8:6, vid 15:9).
  uint32_t cofvid = 0;

  double Base() const {
    if (IsAmd(d)) return d.pstates.empty() ? 0.0 : AmdRatio(d.pstates[0].fid, d.pstates[0].did);
    return d.baseRatio;
  }
  double Active() const {
    if (IsAmd(d)) return AmdRatio(static_cast<int>(cofvid & 0x3F), static_cast<int>((cofvid >> 6) & 7));
    if (!disengaged && requested > d.baseRatio && turbo[0] != 0) return turbo[0];
    return requested < d.baseRatio ? requested : d.baseRatio;
  }
};

// Package states per machine (the machine outlives none of its handlers).
std::map<const EmulatedMachine*, std::vector<std::shared_ptr<PackageState>>>& Packages() {
  static std::map<const EmulatedMachine*, std::vector<std::shared_ptr<PackageState>>> all;
  return all;
}

void Retune(EmulatedMachine& m, PackageState& p) {
  const uint64_t now = m.Time().NowNs();
  const double base = m.BclkMHz() * p.Base() * 1e6, core = m.BclkMHz() * p.Active() * 1e6;
  for (auto& c : p.counters) {
    c->perfCtr0.SetRate(CountsCoreCycles(c->perfEvtSel0) ? core : 0.0, now);
    c->tsc.SetRate(base, now);
    c->mperf.SetRate(base, now);
    c->fixed2.SetRate(base, now);
    c->aperf.SetRate(core, now);
    c->fixed1.SetRate(core, now);
    c->fixed0.SetRate(core, now);
  }
}

// The Sandy Bridge client turbo ratio register in the MCHBAR window.
class TurboRatioWindow : public MmioDevice {
 public:
  TurboRatioWindow(EmulatedMachine& m, std::shared_ptr<PackageState> p) : m_(m), p_(std::move(p)) {}
  bool MmioRead(uint64_t offset, int width, uint32_t* value) override {
    uint32_t v = p_->turbo[0] | lockBit_;
    *value = (v >> (8 * offset)) & (width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1);
    return true;
  }
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override {
    if (lockBit_) return true;
    if (offset == 0) {
      p_->turbo[0] = static_cast<uint8_t>(value);
      Retune(m_, *p_);
    }
    if (offset + width == 4 && (value & 0x80000000u)) lockBit_ = 0x80000000u;
    return true;
  }

 private:
  EmulatedMachine& m_;
  std::shared_ptr<PackageState> p_;
  uint32_t lockBit_ = 0;
};

// The Sandy Bridge-E power control unit's turbo ratio register (0xD8):
// bits 7:0 the one-core turbo ratio, the rest kept as written.
class PcuTurboFunction : public PciFunction {
 public:
  PcuTurboFunction(EmulatedMachine& m, std::shared_ptr<PackageState> p)
      : PciFunction(0xFF, 10, 0, 0x8086, 0x3CA0, 0x08800007, 0x80), m_(m), p_(std::move(p)) {
    SetWritable(kRegister, 4, 0xFF);
    Set32(kRegister, p_->turbo[0]);
  }
  uint32_t ConfigRead(uint32_t offset, int width) override {
    if (offset >= kRegister && offset < kRegister + 4) Set8(kRegister, p_->turbo[0]);
    return PciFunction::ConfigRead(offset, width);
  }
  void ConfigWrite(uint32_t offset, int width, uint32_t value) override {
    PciFunction::ConfigWrite(offset, width, value);
    if (offset <= kRegister && offset + static_cast<uint32_t>(width) > kRegister) {
      p_->turbo[0] = Get8(kRegister);
      Retune(m_, *p_);
    }
  }

 private:
  static constexpr uint32_t kRegister = 0xD8;
  EmulatedMachine& m_;
  std::shared_ptr<PackageState> p_;
};

void FillCpuid(EmulatedCpu& cpu, const CpuDescription& d) {
  const int logicalPerPackage = d.coresPerPackage * d.threadsPerCore;
  cpu.SetCpuid(0, 0, {0xB, Str4("Genu"), Str4("ntel"), Str4("ineI")});
  cpu.SetCpuid(1, 0,
               {d.signature, cpu.apicId << 24 | static_cast<uint32_t>(logicalPerPackage) << 16 | 0x0800,
                d.leaf1Ecx, d.leaf1Edx});
  cpu.SetCpuid(2, 0, {d.leaf2[0], d.leaf2[1], d.leaf2[2], d.leaf2[3]});
  uint32_t sub = 0;
  for (const auto& c : d.caches) {
    uint32_t lineSize = 64, partitions = 1;
    uint32_t sets = static_cast<uint32_t>(c.sizeKB) * 1024 / (lineSize * partitions * c.ways);
    uint32_t eax = static_cast<uint32_t>(d.coresPerPackage - 1) << 26 |
                   static_cast<uint32_t>(c.threadsSharing - 1) << 14 | 0x100 | static_cast<uint32_t>(c.level) << 5 |
                   static_cast<uint32_t>(c.type);
    uint32_t ebx = static_cast<uint32_t>(c.ways - 1) << 22 | (partitions - 1) << 12 | (lineSize - 1);
    cpu.SetCpuid(4, sub++, {eax, ebx, sets - 1, c.inclusive ? 2u : 0u});
  }
  cpu.SetCpuid(4, sub, {0, 0, 0, 0});
  cpu.SetCpuid(5, 0, {0x40, 0x40, 3, 0x1120});
  cpu.SetCpuid(6, 0, {d.generation == CpuGeneration::SandyBridge ? 0x77u : 3u, 2, 1, 0});
  cpu.SetCpuid(0xA, 0, {0x07300403, 0, 0, 0x603});
  const uint32_t smtShift = d.threadsPerCore > 1 ? 1 : 0;
  cpu.SetCpuid(0xB, 0, {smtShift, static_cast<uint32_t>(d.threadsPerCore), 0x100, cpu.apicId});
  cpu.SetCpuid(0xB, 1,
               {static_cast<uint32_t>(d.coreShift), static_cast<uint32_t>(logicalPerPackage), 0x201, cpu.apicId});
  cpu.SetCpuid(0xB, 2, {0, 0, 2, cpu.apicId});
  cpu.SetCpuid(0x80000000, 0, {0x80000008, 0, 0, 0});
  cpu.SetCpuid(0x80000001, 0, {0, 0, 1, 0x28100800});
  char brand[48] = {};
  std::memcpy(brand, d.brand.data(), d.brand.size() < 47 ? d.brand.size() : 47);
  for (uint32_t leaf = 0; leaf < 3; ++leaf) {
    const char* p = brand + leaf * 16;
    cpu.SetCpuid(0x80000002 + leaf, 0, {Str4(p), Str4(p + 4), Str4(p + 8), Str4(p + 12)});
  }
  cpu.SetCpuid(0x80000006, 0, {0, 0, 0x01006040, 0});
  cpu.SetCpuid(0x80000007, 0, {0, 0, 0, 0x100});
  cpu.SetCpuid(0x80000008, 0, {0x3024, 0, 0, 0});
}

MsrHandler CounterMsr(TimeBase& time, std::shared_ptr<void> keep, RateCounter* c) {
  return MsrHandler{[&time, keep, c](uint64_t* v) {
                      *v = c->Value(time.NowNs());
                      return true;
                    },
                    [&time, keep, c](uint64_t v) {
                      c->Set(v, time.NowNs());
                      return true;
                    }};
}

void FillMsrs(EmulatedMachine& m, EmulatedCpu& cpu, const CpuDescription& d, std::shared_ptr<PackageState> pkg) {
  auto counters = std::make_shared<CoreCounters>();
  pkg->counters.push_back(counters);
  Retune(m, *pkg);
  TimeBase& time = m.Time();
  cpu.SetMsrHandler(0x10, CounterMsr(time, counters, &counters->tsc));
  cpu.SetMsrHandler(0xE7, CounterMsr(time, counters, &counters->mperf));
  cpu.SetMsrHandler(0xE8, CounterMsr(time, counters, &counters->aperf));
  cpu.SetMsrHandler(0x309, CounterMsr(time, counters, &counters->fixed0));
  cpu.SetMsrHandler(0x30A, CounterMsr(time, counters, &counters->fixed1));
  cpu.SetMsrHandler(0x30B, CounterMsr(time, counters, &counters->fixed2));
  cpu.SetMsr(0x38D, 0);
  cpu.SetMsr(0x38F, 0x3);

  const int logicalPerPackage = d.coresPerPackage * d.threadsPerCore;
  cpu.SetMsr(0x17, static_cast<uint64_t>(d.platformId & 7) << 50, false);
  cpu.SetMsr(0x1B, 0xFEE00900ull);
  cpu.SetMsr(0x35, static_cast<uint64_t>(d.coresPerPackage) << 16 | static_cast<uint64_t>(logicalPerPackage), false);
  // Platform information: maximum non-turbo ratio, programmable turbo ratio
  // limits and TDP/TDC limits, maximum efficiency ratio.
  cpu.SetMsr(0xCE,
             static_cast<uint64_t>(d.minRatio) << 40 | (d.unlocked ? 0x30000000ull : 0) |
                 static_cast<uint64_t>(d.baseRatio) << 8,
             false);
  // Current ratio: bits 15:0 on Nehalem, 15:8 with the VID above on Sandy Bridge.
  const bool sandy = d.generation == CpuGeneration::SandyBridge;
  cpu.SetMsrHandler(0x198, MsrHandler{[pkg, sandy](uint64_t* v) {
                                        auto r = static_cast<uint64_t>(pkg->Active());
                                        *v = sandy ? (r << 8 | 0x2666ull << 32) : r;
                                        return true;
                                      },
                                      nullptr});
  cpu.SetMsrHandler(0x199, MsrHandler{[pkg](uint64_t* v) {
                                        *v = static_cast<uint64_t>(pkg->requested) << 8;
                                        return true;
                                      },
                                      [&m, pkg](uint64_t v) {
                                        pkg->requested = static_cast<int>((v >> 8) & 0xFF);
                                        Retune(m, *pkg);
                                        return true;
                                      }});
  cpu.SetMsr(0x19C, 0x88000000ull | static_cast<uint64_t>(d.tjMax - d.coreTempC) << 16, false);
  auto misc = std::make_shared<uint64_t>(0x0000000000850089ull);
  cpu.SetMsrHandler(0x1A0, MsrHandler{[misc](uint64_t* v) {
                                        *v = *misc;
                                        return true;
                                      },
                                      [&m, pkg, misc](uint64_t v) {
                                        *misc = v;
                                        pkg->disengaged = (v >> 38) & 1;
                                        Retune(m, *pkg);
                                        return true;
                                      }});
  cpu.SetMsr(0x1A2, static_cast<uint64_t>(d.tjMax) << 16, false);
  cpu.SetMsr(0x1AC, static_cast<uint64_t>(d.tdpW * 8) | static_cast<uint64_t>(d.tdcA * 8) << 16, false);
  if (!sandy) {
    cpu.SetMsrHandler(0x1AD, MsrHandler{[pkg](uint64_t* v) {
                                          uint64_t t = 0;
                                          for (int i = 0; i < 6; ++i) t |= static_cast<uint64_t>(pkg->turbo[i]) << (8 * i);
                                          *v = t;
                                          return true;
                                        },
                                        [&m, pkg](uint64_t v) {
                                          for (int i = 0; i < 6; ++i) pkg->turbo[i] = static_cast<uint8_t>(v >> (8 * i));
                                          Retune(m, *pkg);
                                          return true;
                                        }});
  }
  if (d.packageWatts > 0) {
    cpu.SetMsr(0x606, 0xA1003, false);
    // IA32_PACKAGE_THERM_STATUS: the digital readout in bits 22:16; unlike
    // IA32_THERM_STATUS it has no reading-valid or resolution field.
    cpu.SetMsr(0x1B1, static_cast<uint64_t>(d.tjMax - d.packageTempC) << 16, false);
    auto energy = [&time, pkg](RateCounter PackageState::*c) {
      return MsrHandler{[&time, pkg, c](uint64_t* v) {
                          *v = ((*pkg).*c).Value(time.NowNs()) & 0xFFFFFFFFull;
                          return true;
                        },
                        nullptr};
    };
    cpu.SetMsrHandler(0x611, energy(&PackageState::energyPackage));
    cpu.SetMsrHandler(0x639, energy(&PackageState::energyCores));
    cpu.SetMsrHandler(0x641, energy(&PackageState::energyGraphics));
  }
}

// ------------------------------------------------------------------ AMD


uint32_t AmdAssociativityCode(int ways) {
  static const int kWays[][2] = {{1, 1},  {2, 2},   {4, 4},   {8, 6},   {16, 8},  {32, 10},
                                 {48, 11}, {64, 12}, {96, 13}, {128, 14}, {255, 15}};
  for (const auto& w : kWays)
    if (w[0] == ways) return static_cast<uint32_t>(w[1]);
  return 0;
}

void FillAmdCpuid(EmulatedCpu& cpu, const CpuDescription& d) {
  const uint32_t vendor[3] = {Str4("Auth"), Str4("enti"), Str4("cAMD")};
  cpu.SetCpuid(0, 0, {0x5, vendor[0], vendor[2], vendor[1]});
  cpu.SetCpuid(1, 0,
               {d.signature, cpu.apicId << 24 | static_cast<uint32_t>(d.coresPerPackage) << 16 | 0x0800, d.leaf1Ecx,
                d.leaf1Edx});
  cpu.SetCpuid(5, 0, {0x40, 0x40, 3, 0});
  cpu.SetCpuid(0x80000000, 0, {0x8000001B, vendor[0], vendor[2], vendor[1]});
  cpu.SetCpuid(0x80000001, 0, {d.signature, 0, d.extLeaf1Ecx, d.extLeaf1Edx});
  char brand[48] = {};
  std::memcpy(brand, d.brand.data(), d.brand.size() < 47 ? d.brand.size() : 47);
  for (uint32_t leaf = 0; leaf < 3; ++leaf) {
    const char* p = brand + leaf * 16;
    cpu.SetCpuid(0x80000002 + leaf, 0, {Str4(p), Str4(p + 4), Str4(p + 8), Str4(p + 12)});
  }
  uint32_t l1d = 0, l1i = 0, l2 = 0, l3 = 0;
  for (const auto& c : d.caches) {
    const uint32_t size = static_cast<uint32_t>(c.sizeKB), code = AmdAssociativityCode(c.ways);
    if (c.level == 1 && c.type == 1) l1d = size << 24 | static_cast<uint32_t>(c.ways) << 16 | 0x0140;
    if (c.level == 1 && c.type == 2) l1i = size << 24 | static_cast<uint32_t>(c.ways) << 16 | 0x0140;
    if (c.level == 2) l2 = size << 16 | code << 12 | 0x0140;
    if (c.level == 3) l3 = (size / 512) << 18 | code << 12 | 0x0140;
  }
  cpu.SetCpuid(0x80000005, 0, {0xFF30FF10, 0xFF30FF20, l1d, l1i});
  cpu.SetCpuid(0x80000006, 0, {0x00000000, 0x42004200, l2, l3});
  cpu.SetCpuid(0x80000007, 0, {0, 0, 0, d.powerManagementEdx});
  cpu.SetCpuid(0x80000008, 0, {0x3030, 0, static_cast<uint32_t>(d.coresPerPackage - 1), 0});
}

uint64_t AmdPStateRegister(const AmdPState& p) {
  return 0x8000000000000000ull | static_cast<uint64_t>(p.currentA & 0xFF) << 32 |
         static_cast<uint64_t>(p.vid & 0x7F) << 9 | static_cast<uint64_t>(p.did & 7) << 6 |
         static_cast<uint64_t>(p.fid & 0x3F);
}

uint32_t AmdCofvid(const AmdPState& p) {
  return static_cast<uint32_t>((p.vid & 0x7F) << 9 | (p.did & 7) << 6 | (p.fid & 0x3F));
}

void FillAmdMsrs(EmulatedMachine& m, EmulatedCpu& cpu, const CpuDescription& d, std::shared_ptr<PackageState> pkg) {
  auto counters = std::make_shared<CoreCounters>();
  pkg->counters.push_back(counters);
  Retune(m, *pkg);
  TimeBase& time = m.Time();
  cpu.SetMsrHandler(0x10, MsrHandler{[&time, counters](uint64_t* v) {
                                       *v = counters->tsc.Value(time.NowNs());
                                       return true;
                                     },
                                     [&time, counters](uint64_t v) {
                                       counters->tsc.Set(v, time.NowNs());
                                       return true;
                                     }});
  cpu.SetMsrHandler(0xE7, CounterMsr(time, counters, &counters->mperf));
  cpu.SetMsrHandler(0xE8, CounterMsr(time, counters, &counters->aperf));
  cpu.SetMsr(0x1B, cpu.apicId == 0 ? 0xFEE00900ull : 0xFEE00800ull);
  cpu.SetMsrHandler(0xC0010000, MsrHandler{[counters](uint64_t* v) {
                                             *v = counters->perfEvtSel0;
                                             return true;
                                           },
                                           [&m, pkg, counters](uint64_t v) {
                                             counters->perfEvtSel0 = v;
                                             Retune(m, *pkg);
                                             return true;
                                           }});
  for (uint32_t i = 1; i < 4; ++i) {
    cpu.SetMsr(0xC0010000 + i, 0);
    cpu.SetMsr(0xC0010004 + i, 0);
  }
  cpu.SetMsrHandler(0xC0010004, CounterMsr(time, counters, &counters->perfCtr0));
  // HWCR: bit 24, the time-stamp counter runs at the P0 frequency.
  cpu.SetMsr(0xC0010015, 0x01000010ull);
  const int count = static_cast<int>(d.pstates.size());
  cpu.SetMsr(0xC0010061, static_cast<uint64_t>(count - 1) << 4, false);
  auto currentPState = [pkg]() {
    for (size_t i = 0; i < pkg->d.pstates.size(); ++i)
      if (AmdCofvid(pkg->d.pstates[i]) == (pkg->cofvid & 0xFFFF)) return static_cast<uint32_t>(i);
    return 0u;
  };
  cpu.SetMsrHandler(0xC0010062, MsrHandler{[currentPState](uint64_t* v) {
                                             *v = currentPState();
                                             return true;
                                           },
                                           [&m, pkg](uint64_t v) {
                                             size_t i = static_cast<size_t>(v & 7);
                                             if (i >= pkg->d.pstates.size()) return false;
                                             pkg->cofvid = AmdCofvid(pkg->d.pstates[i]);
                                             Retune(m, *pkg);
                                             return true;
                                           }});
  cpu.SetMsrHandler(0xC0010063, MsrHandler{[currentPState](uint64_t* v) {
                                             *v = currentPState();
                                             return true;
                                           },
                                           nullptr});
  for (int i = 0; i < 5; ++i)
    cpu.SetMsr(0xC0010064 + i, i < count ? AmdPStateRegister(d.pstates[i]) : 0, false);
  cpu.SetMsrHandler(0xC0010070, MsrHandler{[pkg](uint64_t* v) {
                                             *v = pkg->cofvid;
                                             return true;
                                           },
                                           [&m, pkg](uint64_t v) {
                                             pkg->cofvid = static_cast<uint32_t>(v & 0xFFFF);
                                             Retune(m, *pkg);
                                             return true;
                                           }});
  // COFVID status: current code and P-state; highest-voltage VID 0x0E in
  // bits 41:35, lowest 0x40 in 48:42, maximum core clock / 100 MHz in 54:49.
  const uint64_t maxCof = d.pstates.empty() ? 0 : static_cast<uint64_t>(AmdRatio(d.pstates[0].fid, d.pstates[0].did) * 2);
  const uint64_t statusHigh = 0x0Eull << 3 | 0x40ull << 10 | maxCof << 17;
  cpu.SetMsrHandler(0xC0010071, MsrHandler{[pkg, currentPState, statusHigh](uint64_t* v) {
                                             *v = statusHigh << 32 | static_cast<uint64_t>(currentPState()) << 16 |
                                                  (pkg->cofvid & 0xFFFF);
                                             return true;
                                           },
                                           nullptr});
}

}  // namespace

double ActiveRatio(EmulatedMachine& machine, int package) {
  auto& list = Packages()[&machine];
  return package < static_cast<int>(list.size()) ? list[package]->Active() : -1.0;
}

void AddProcessors(EmulatedMachine& machine, const CpuDescription& d) {
  machine.SetBclkMHz(d.bclkMHz);
  auto& packages = Packages()[&machine];
  packages.clear();
  const uint64_t now = machine.Time().NowNs();
  for (int p = 0; p < d.packages; ++p) {
    auto state = std::make_shared<PackageState>();
    state->d = d;
    std::memcpy(state->turbo, d.turboLimits, sizeof(state->turbo));
    state->requested = d.baseRatio + 1;  // the operating system asks for turbo
    if (!d.pstates.empty()) state->cofvid = AmdCofvid(d.pstates[0]);
    state->energyPackage = RateCounter(d.packageWatts / kEnergyUnitJ, now);
    state->energyCores = RateCounter(d.packageWatts * 0.7 / kEnergyUnitJ, now);
    state->energyGraphics = RateCounter(d.packageWatts * 0.05 / kEnergyUnitJ, now);
    packages.push_back(state);
  }
  for (int t = 0; t < d.threadsPerCore; ++t)
    for (int p = 0; p < d.packages; ++p)
      for (int c = 0; c < d.coresPerPackage; ++c) {
        EmulatedCpu& cpu = machine.AddCpu();
        cpu.package = p;
        cpu.core = c;
        cpu.thread = t;
        uint32_t smtShift = d.threadsPerCore > 1 ? 1 : 0;
        cpu.apicId = static_cast<uint32_t>(p) << d.coreShift | static_cast<uint32_t>(c) << smtShift |
                     static_cast<uint32_t>(t);
        if (IsAmd(d)) {
          FillAmdCpuid(cpu, d);
          FillAmdMsrs(machine, cpu, d, packages[p]);
        } else {
          FillCpuid(cpu, d);
          FillMsrs(machine, cpu, d, packages[p]);
        }
      }
  auto copy = packages;
  machine.AddClockListener([&machine, copy] {
    for (auto& p : copy) Retune(machine, *p);
  });
  if (d.mchbar) machine.AddMmio(d.mchbar + 0x5990, 4, std::make_shared<TurboRatioWindow>(machine, packages[0]));
  if (d.pcuTurboRegister) machine.AddPciFunction(std::make_unique<PcuTurboFunction>(machine, packages[0]));
}

}  // namespace emu
