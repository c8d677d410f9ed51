#include "emu/CpuModels.h"

#include <cstring>
#include <memory>

#include "emu/EmulatedMachine.h"

namespace emu {

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

namespace {

constexpr uint32_t Str4(const char* s) {
  return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) | static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(s[3])) << 24;
}

// Counters shared by the MSR handlers of one logical processor.
struct CoreCounters {
  RateCounter tsc, mperf, aperf;
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
  cpu.SetCpuid(6, 0, {3, 2, 1, 0});
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

void FillMsrs(EmulatedMachine& m, EmulatedCpu& cpu, const CpuDescription& d) {
  auto counters = std::make_shared<CoreCounters>();
  TimeBase& time = m.Time();
  auto tscHz = [&m, d] { return m.BclkMHz() * d.baseRatio * 1e6; };
  counters->tsc = RateCounter(tscHz(), time.NowNs());
  counters->mperf = RateCounter(tscHz(), time.NowNs());
  counters->aperf = RateCounter(tscHz(), time.NowNs());
  m.AddClockListener([&m, counters, tscHz] {
    uint64_t now = m.Time().NowNs();
    counters->tsc.SetRate(tscHz(), now);
    counters->mperf.SetRate(tscHz(), now);
    counters->aperf.SetRate(tscHz(), now);
  });
  auto counterMsr = [&time](RateCounter* c) {
    return MsrHandler{[&time, c](uint64_t* v) {
                        *v = c->Value(time.NowNs());
                        return true;
                      },
                      [&time, c](uint64_t v) {
                        c->Set(v, time.NowNs());
                        return true;
                      }};
  };
  // The handlers keep the counters alive.
  auto keep = [counters](MsrHandler h) {
    return MsrHandler{[counters, r = h.read](uint64_t* v) { return r(v); },
                      [counters, w = h.write](uint64_t v) { return w(v); }};
  };
  cpu.SetMsrHandler(0x10, keep(counterMsr(&counters->tsc)));
  cpu.SetMsrHandler(0xE7, keep(counterMsr(&counters->mperf)));
  cpu.SetMsrHandler(0xE8, keep(counterMsr(&counters->aperf)));

  const int logicalPerPackage = d.coresPerPackage * d.threadsPerCore;
  cpu.SetMsr(0x17, 0, false);
  cpu.SetMsr(0x35, static_cast<uint64_t>(d.coresPerPackage) << 16 | static_cast<uint64_t>(logicalPerPackage), false);
  // Platform information: maximum non-turbo ratio, programmable turbo ratio
  // limits and TDP/TDC limits, maximum efficiency ratio.
  cpu.SetMsr(0xCE, static_cast<uint64_t>(d.minRatio) << 40 | 0x30000000ull | static_cast<uint64_t>(d.baseRatio) << 8,
             false);
  cpu.SetMsr(0x198, static_cast<uint64_t>(d.baseRatio), false);
  cpu.SetMsr(0x199, static_cast<uint64_t>(d.baseRatio));
  cpu.SetMsr(0x19C, 0x88000000ull | static_cast<uint64_t>(d.tjMax - d.coreTempC) << 16, false);
  cpu.SetMsr(0x1A0, 0x0000000000850089ull);
  cpu.SetMsr(0x1A2, static_cast<uint64_t>(d.tjMax) << 16, false);
  uint64_t turbo = 0;
  for (int i = 0; i < 4; ++i) turbo |= static_cast<uint64_t>(d.turboLimits[i]) << (8 * i);
  cpu.SetMsr(0x1AD, turbo);
}

}  // namespace

void AddProcessors(EmulatedMachine& machine, const CpuDescription& d) {
  machine.SetBclkMHz(d.bclkMHz);
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
        FillCpuid(cpu, d);
        FillMsrs(machine, cpu, d);
      }
}

}  // namespace emu
