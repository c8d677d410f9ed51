#include "sdk/cpu/CCPUInterface.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "driver/CKMDriver.h"
#include "platform/Machine.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/HardwareLock.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/CCPUInfos.h"
#include "sdk/cpu/CpuDriver.h"
#include "sdk/cpu/FIDVID_Control.h"
#include "sdk/cpu/IntelFamilies.h"
#include "sdk/cpu/Timers.h"

namespace {

constexpr int kMaxLogical = 32;

}  // namespace

namespace {
bool sdkHasAcpiTimer() { return QUARNSDK::GetInstance()->FindTimer(TIMER_ACPI) != nullptr; }
}  // namespace

int CeilLog2(int value) {
  int n = 0;
  while ((1 << n) < value && n < 31) ++n;
  return n;
}

CCPUInterface::CCPUInterface(uint32_t opts)
    : CInterface(INTERFACE_CPU),
      options(opts),
      processors(new CTList<CDevice>()),
      cores(new CTList<CCPUCore>()),
      threads(new CTList<CCPUThread>()) {}

CCPUInterface::~CCPUInterface() {
  // The processor devices belong to the facade's device list.
  delete processors;
  cores->DeleteAll();
  delete cores;
  threads->DeleteAll();
  delete threads;
  delete[] powerNowHeader;
  delete[] powerNowPairs;
}

int CCPUInterface::Init() {
  plat::Machine& m = plat::CurrentMachine();
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  sdk->AddTimer(new CPerformanceCounterTimer());
  sdk->AddTimer(new CTickCountTimer());
  // The logical processors the operating system lists online and lets this
  // process run on, by their own numbers (sets may be sparse).
  std::vector<int> ids = m.ProcessorIds();
  if (ids.size() > static_cast<size_t>(kMaxLogical)) ids.resize(kMaxLogical);
  logicalCount = static_cast<int>(ids.size());
  uint64_t saved = 0, system = 0;
  bool haveSaved = m.GetProcessAffinity(0, &saved, &system);

  if (logicalCount < 2) {
    // The affinity call moves the calling thread before it returns, so the
    // identification runs on the processor at once.
    auto* t = new CCPUThread(ids.empty() ? 0 : ids[0]);
    t->Identify();
    threads->Append(t);
    if (logicalCount == 0) logicalCount = 1;
  } else {
    for (int id : ids) {
      auto* t = new CCPUThread(id);
      if (id < 64 && m.SetProcessAffinity(0, 1ull << id)) t->Identify();
      threads->Append(t);
    }
    if (haveSaved) m.SetProcessAffinity(0, saved);
  }
  BuildTopology();
  CProcessor* first = GetProcessor(0);
  if (first) {
    uint32_t code = first->GetTypeCode();
    if ((code >= 0x02001000 && code <= 0x020013FF) || (code >= 0x02002000 && code <= 0x02002FFF)) ScanPowerNow();
  }
  if (powerNowPairs)
    for (CCPUThread* t : Items(threads))
      if (FIDVID_Control* control = t->GetRatioControl()) control->AdoptStateTable(powerNowPairs, powerNowCount);
  Refresh();
  return 1;
}

void CCPUInterface::ScanPowerNow() {
  CKMDriver* d = CpuDriver();
  if (!d) return;
  static uint8_t block[0x10000];
  for (uint32_t base = 0xC0000; base < 0x100000; base += 0x10000) {
    if (!d->ReadPhysical(0, base, sizeof(block), block)) continue;
    for (uint32_t off = 0; off + 24 <= sizeof(block); off += 16) {
      if (std::memcmp(block + off, "AMDK7PNOW!", 10) != 0) continue;
      powerNowHeader = new uint8_t[24];
      std::memcpy(powerNowHeader, block + off, 24);
      // Only the pairs the block holds: a count running past its end
      // would describe states the firmware never listed.
      const uint32_t states = powerNowHeader[23];
      const uint32_t avail = (sizeof(block) - off - 24) / 2;
      powerNowCount = static_cast<int>(states < avail ? states : avail);
      powerNowPairs = new uint8_t[powerNowCount * 2 + 1]();
      std::memcpy(powerNowPairs, block + off + 24, static_cast<size_t>(powerNowCount) * 2);
      return;
    }
  }
}

void CCPUInterface::BuildTopology() {
  // 1. Sequential APIC ids when the operating system ignored the affinity.
  CTList<CCounterItem> distinct;
  for (CCPUThread* t : Items(threads)) {
    bool seen = false;
    for (CCounterItem* c : Items(&distinct)) seen = seen || c->value == t->apicId;
    if (!seen) distinct.Append(new CCounterItem(t->apicId));
  }
  if (distinct.count < threads->count) {
    int next = 0;
    for (CCPUThread* t : Items(threads)) t->apicId = next++;
  }
  distinct.DeleteAll();

  // 2. Package, core and SMT ids from the APIC id: by the topology leaves'
  // shifts where they exist, else by the legacy counts.
  for (CCPUThread* t : Items(threads)) {
    if (t->packageShift >= 0 && t->smtShift >= 0 && t->packageShift < 32) {
      const uint32_t id = static_cast<uint32_t>(t->apicId);
      t->packageId = static_cast<int>(id >> t->packageShift);
      t->coreId = static_cast<int>((id & ((1u << t->packageShift) - 1)) >> t->smtShift);
      t->smtId = static_cast<int>(id & ((1u << t->smtShift) - 1));
      continue;
    }
    int n = CeilLog2(t->logicalPerPackage);
    t->packageId = t->apicId >> n;
    int inner = t->apicId & ~((0xFF << n) & 0xFF);
    int perCore = t->coresPerPackage > 0 ? t->logicalPerPackage / t->coresPerPackage : 1;
    int m = CeilLog2(perCore);
    t->coreId = inner >> m;
    t->smtId = inner & ~((0xFF << m) & 0xFF);
  }

  // 2b. The operating system's own topology wins where the leaves
  // contradict it (hypervisors fill them in freely).
  AdoptKernelTopology();

  // 3. Previous devices out of the facade.
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  for (CDevice* d : Items(processors))
    if (sdk->RemoveDevice(d)) delete d;
  processors->Clear();
  processorCount = 0;

  // 4. One device per package id.
  for (CCPUThread* t : Items(threads)) {
    bool seen = false;
    for (CDevice* d : Items(processors)) seen = seen || static_cast<CProcessor*>(d)->packageId == t->packageId;
    if (seen) continue;
    auto* p = new CProcessor(processorCount++, t->packageId);
    processors->Append(p);
    sdk->AddDevice(p);
  }

  // 5. Cores.
  cores->DeleteAll();
  for (CCPUThread* t : Items(threads)) {
    CProcessor* p = nullptr;
    for (CDevice* d : Items(processors))
      if (static_cast<CProcessor*>(d)->packageId == t->packageId) p = static_cast<CProcessor*>(d);
    if (!p) continue;
    CCPUCore* core = nullptr;
    for (CCPUCore* c : Items(p->cores))
      if (c->coreId == t->coreId) core = c;
    if (!core) {
      core = new CCPUCore(t->coreId);
      p->cores->Append(core);
      cores->Append(core);
    }
    core->threads->Append(t);
    p->threads->Append(t);
  }

  // 6. Cache instances: one entry per group of threads sharing a cache.
  for (CDevice* d : Items(processors)) {
    auto* p = static_cast<CProcessor*>(d);
    CCPUThread* first = p->FirstThread();
    if (!first) continue;
    for (CCacheDescriptor* c : Items(first->caches)) {
      int mask = (1 << CeilLog2(c->sharing)) - 1;
      CTList<CCounterItem> groups;
      for (CCPUThread* t : Items(p->threads)) {
        int key = t->apicId & ~mask;
        bool seen = false;
        for (CCounterItem* g : Items(&groups)) seen = seen || g->value == key;
        if (!seen) groups.Append(new CCounterItem(key));
      }
      for (int i = 0; i < groups.count; ++i) p->caches->Append(c);
      groups.DeleteAll();
    }
  }

  // 7. Sensors of cores and packages.
  for (CDevice* d : Items(processors)) {
    auto* p = static_cast<CProcessor*>(d);
    for (CCPUCore* core : Items(p->cores)) {
      CCPUThread* t = core->FirstThread();
      if (!t || !t->coreTemperature) continue;
      t->coreTemperature->id |= static_cast<uint32_t>(core->coreId) & 0xFF;
      std::snprintf(t->coreTemperature->name, sizeof(t->coreTemperature->name), "Core #%d", core->coreId);
      p->AddSensor(t->coreTemperature);
    }
    CCPUThread* t = p->FirstThread();
    if (!t) continue;
    for (CSensor* s : {t->packageTemperature, t->packagePower, t->coresPower, t->graphicsPower})
      if (s) {
        s->id |= static_cast<uint32_t>(p->packageId) & 0xFF;
        p->AddSensor(s);
      }
  }
}

void CCPUInterface::AdoptKernelTopology() {
  plat::Machine& m = plat::CurrentMachine();
  std::vector<plat::Machine::KernelCpu> kernel;
  std::vector<CCPUThread*> list;
  for (CCPUThread* t : Items(threads)) {
    plat::Machine::KernelCpu k;
    if (!m.KernelTopology(t->affinityIndex, &k)) return;
    kernel.push_back(k);
    list.push_back(t);
  }
  bool agree = true;
  for (size_t i = 0; i < list.size() && agree; ++i)
    for (size_t j = i + 1; j < list.size() && agree; ++j) {
      const bool samePackage = list[i]->packageId == list[j]->packageId;
      const bool sameCore = samePackage && list[i]->coreId == list[j]->coreId;
      const bool kernelPackage = kernel[i].package == kernel[j].package;
      const bool kernelCore = kernelPackage && kernel[i].core == kernel[j].core;
      agree = samePackage == kernelPackage && sameCore == kernelCore;
    }
  if (agree) return;
  // Leaves that contradict the kernel's topology carry APIC ids of the
  // hypervisor's choosing too (here and there the physical processor's, which
  // change as the virtual one moves): the kernel's are taken where it gives
  // one for every processor, all distinct.
  std::set<int> apicIds;
  for (const auto& k : kernel)
    if (k.apicId >= 0) apicIds.insert(k.apicId);
  const bool kernelApicIds = apicIds.size() == kernel.size();
  for (size_t i = 0; i < list.size(); ++i) {
    list[i]->packageId = kernel[i].package;
    list[i]->coreId = kernel[i].core;
    if (kernelApicIds) list[i]->apicId = kernel[i].apicId;
    int smt = 0;
    for (size_t j = 0; j < i; ++j) smt += kernel[j].package == kernel[i].package && kernel[j].core == kernel[i].core;
    list[i]->smtId = smt;
  }
}

CProcessor* CCPUInterface::GetProcessor(int index) const {
  for (CDevice* d : Items(processors))
    if (static_cast<CProcessor*>(d)->index == index) return static_cast<CProcessor*>(d);
  return nullptr;
}

float CCPUInterface::MeasureBusClock() {
  CCPUThread* t = threads->head ? threads->head->item : nullptr;
  if (!t) return -1.0f;
  t->PinToSelf(kPinSettleMs);
  float b = t->GetBusClock();
  if (b > 0) return b;
  float c = t->MeasureCoreClock();
  float m = 0;
  if (c > 0 && (m = t->GetMultiplier()) > 0) {
    b = c / m;
    if (b > 0) return b;
  }
  c = t->MeasureClockWithTSC();
  if (c > 0 && (m = t->GetMultiplier()) > 0) return c / m;
  return b;
}

namespace {

// A core whose clock is measured in the refresh's shared window.
struct PendingCore {
  CCPUCore* core;
  CCPUThread* thread;
  FixedCounterWindow window;
};

bool MeasuresWithFixedCounters(const CCPUThread* t) {
  return !t->modelInfos && t->familyInfos && t->familyInfos->fixedCounterClock;
}

}  // namespace

// The per-core measurements wait 15000 ACPI timer ticks each. The cores
// whose family counts with the fixed counters share one such wait: each is
// visited once for its start readings, the wait runs once, and each is
// visited again for its end readings. The formulas are those of a single
// measurement; the time-stamp counter frequency is measured once.
void CCPUInterface::Refresh() {
  plat::Machine& m = plat::CurrentMachine();
  uint64_t saved = 0, system = 0;
  bool haveSaved = m.GetProcessAffinity(0, &saved, &system);
  BeginTscScope();
  busClock = MeasureBusClock();
  // A measurement gives the hardware lock up while it waits; when it could
  // not be had back, nothing more is touched.
  auto lockLost = [&] {
    if (!HardwareLock::Lost()) return false;
    EndTscScope();
    if (haveSaved) m.SetProcessAffinity(0, saved);
    return true;
  };
  if (lockLost()) return;
  std::vector<PendingCore> pending;
  for (CDevice* d : Items(processors)) {
    auto* p = static_cast<CProcessor*>(d);
    p->busClock = busClock;
    p->AttachNewSensors();
    for (CCPUCore* core : Items(p->cores)) {
      core->busClock = busClock;
      CCPUThread* t = core->FirstThread();
      if (!t) continue;
      t->PinToSelf(kPinSettleMs);
      core->multiplier = t->GetMultiplier();
      PendingCore entry{core, t, {}};
      if (MeasuresWithFixedCounters(t) && sdkHasAcpiTimer() && BeginFixedCounterWindow(&entry.window)) {
        pending.push_back(entry);
        continue;
      }
      core->ComputeClock(t);
      if (lockLost()) return;
      core->temperature = t->GetTemperature();
    }
  }
  if (!pending.empty()) {
    float tsc = MeasureTSC();
    bool waited = !HardwareLock::Lost() && WaitFixedCounterWindow();
    if (lockLost()) return;
    for (PendingCore& e : pending) {
      e.thread->PinToSelf(kPinSettleMs);
      float measured = EndFixedCounterWindow(&e.window, waited ? tsc : -1.0f);
      e.core->ComputeClock(e.thread, measured);
      e.core->temperature = e.thread->GetTemperature();
    }
  }
  for (CDevice* d : Items(processors)) {
    auto* p = static_cast<CProcessor*>(d);
    p->AttachNewSensors();
    CCPUThread* t = p->FirstThread();
    if (t) p->packageValue = t->UpdatePackageSensors();
  }
  EndTscScope();
  if (haveSaved) m.SetProcessAffinity(0, saved);
  m.Sleep(kPinSettleMs);
}

int QUARNSDK::CreateCPUInterface(uint32_t options) {
  auto* cpu = new CCPUInterface(options);
  int detected = cpu->Init();
  if (!AdoptInterface(cpu, detected)) return 0;
  cpuInterface = cpu;
  return detected;
}
