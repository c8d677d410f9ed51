// Identification and topology of the emulated processors, and the topology
// rules on hand-made thread lists.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/IntelNaming.h"
#include "sdk/cpu/MSR_Register.h"
#include "tests/sdk/cpu/CpuTestBench.h"

namespace {

struct ModelCase {
  const emu::CpuDescription* cpu;
  int packages, coresPerPackage, threadsPerCore;
  const char* name;
  const char* codeName;
  const char* package;
  int l2Instances;  // per package
  int l3Instances;
};

std::vector<ModelCase> Models() {
  return {
      {&emu::NehalemBloomfieldI7_920(), 1, 4, 2, "Intel Core i7 920", "Bloomfield", "Socket 1366 LGA", 4, 1},
      {&emu::WestmereGulftownI7_980X(), 1, 6, 2, "Intel Core i7 980X", "Gulftown", "Socket 1366 LGA", 6, 1},
      {&emu::SandyBridgeI7_2600K(), 1, 4, 2, "Intel Core i7-2600K", "Sandy Bridge", "Socket 1155 LGA", 4, 1},
      {&emu::SandyBridgeEI7_3930K(), 1, 6, 2, "Intel Core i7-3930K", "Sandy Bridge-E", "Socket 2011 LGA", 6, 1},
      {&emu::WestmereEpXeonX5650Pair(), 2, 6, 2, "Intel Xeon X5650", "Westmere-EP", "Socket 1366 LGA", 6, 1},
  };
}

class EmulatedModelTest : public ::testing::TestWithParam<ModelCase> {};

TEST_P(EmulatedModelTest, IdentifiesPackagesCoresThreadsAndNames) {
  const ModelCase& c = GetParam();
  CpuTestBench bench(*c.cpu);
  ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
  CCPUInterface* cpu = bench.Sdk().cpuInterface;
  ASSERT_NE(cpu, nullptr);
  EXPECT_EQ(cpu->processorCount, c.packages);
  EXPECT_EQ(cpu->logicalCount, c.packages * c.coresPerPackage * c.threadsPerCore);

  for (int p = 0; p < c.packages; ++p) {
    CProcessor* proc = cpu->GetProcessor(p);
    ASSERT_NE(proc, nullptr);
    EXPECT_EQ(proc->packageId, p);
    EXPECT_EQ(proc->GetNumberOfCores(), c.coresPerPackage);
    EXPECT_EQ(proc->GetNumberOfThreads(), c.coresPerPackage * c.threadsPerCore);
    EXPECT_STREQ(proc->GetName(), c.name);
    EXPECT_STREQ(proc->GetCodeName(), c.codeName);
    EXPECT_STREQ(proc->GetPackageName(), c.package);
    EXPECT_EQ(proc->GetNumberOfCaches(2, CACHE_UNIFIED), c.l2Instances);
    EXPECT_EQ(proc->GetNumberOfCaches(3, CACHE_UNIFIED), c.l3Instances);
    EXPECT_EQ(proc->GetFamily(), 6);
    EXPECT_EQ(proc->GetExtendedModel(), static_cast<int>(((c.cpu->signature >> 12) & 0xF0) | ((c.cpu->signature >> 4) & 0xF)));
    EXPECT_EQ(proc->GetStepping(), static_cast<int>(c.cpu->signature & 0xF));
    EXPECT_EQ(proc->HasFeature(FEATURE_SSE42), 1);
    EXPECT_EQ(proc->HasFeature(10), 0);

    // Every core holds its two hyper-threads, whose APIC ids the emulated
    // firmware gave: package << 4 | core << 1 | thread.
    for (int i = 0; i < proc->GetNumberOfCores(); ++i) {
      CCPUCore* core = proc->GetCore(i);
      ASSERT_EQ(core->threads->count, c.threadsPerCore);
      int smt = 0;
      for (CCPUThread* t : Items(core->threads)) {
        EXPECT_EQ(t->apicId, p << 4 | core->coreId << 1 | smt);
        EXPECT_EQ(t->packageId, p);
        EXPECT_EQ(t->smtId, smt);
        ++smt;
      }
    }
  }
  // Threads were enumerated in the order the machine lists its processors.
  int i = 0;
  for (CCPUThread* t : Items(cpu->threads)) {
    const auto& emulated = *bench.machine->Cpus()[i];
    EXPECT_EQ(t->affinityIndex, i);
    EXPECT_EQ(t->apicId, static_cast<int>(emulated.apicId));
    EXPECT_EQ(t->coreId, emulated.core);
    ++i;
  }
}

INSTANTIATE_TEST_SUITE_P(Models, EmulatedModelTest, ::testing::ValuesIn(Models()),
                         [](const auto& info) { return "Model" + std::to_string(info.index); });

TEST(CpuInterfaceOnBoard, TheX58BoardCarriesABloomfield) {
  CpuTestBench bench("brenmor-x58");
  ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
  CProcessor* p = bench.Sdk().cpuInterface->GetProcessor(0);
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p->GetName(), "Intel Core i7 920");
  EXPECT_STREQ(p->GetSpecification(), "Intel(R) Core(TM) i7 CPU         920  @ 2.67GHz");
  EXPECT_EQ(p->GetRatedFrequency(), 2666);
  EXPECT_STREQ(p->GetRevisionName(), "D0");
  EXPECT_FLOAT_EQ(p->GetTechnology(), 0.045f);
  EXPECT_EQ(p->GetTypeCode(), 0x01020001u);
  // The affinity the process had is restored after identification.
  uint64_t mask = 0, system = 0;
  ASSERT_TRUE(bench.machine->GetProcessAffinity(0, &mask, &system));
  EXPECT_EQ(mask, system);
}

TEST(CpuInterfaceOnBoard, FindMsrAnswersFromTheCacheWithoutAnAccess) {
  CpuTestBench bench(emu::NehalemBloomfieldI7_920());
  ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
  CCPUThread* t = bench.Sdk().cpuInterface->GetProcessor(0)->FirstThread();
  t->PinToSelf(0);
  MSR_Register* read = t->ReadMSR(0xCE);
  ASSERT_NE(read, nullptr);
  const uint64_t before = bench.machine->Time().NowNs();  // every access moves virtual time
  EXPECT_EQ(t->FindMSR(0xCE), read);
  EXPECT_EQ(t->FindMSR(0x12345), nullptr) << "never read";
  EXPECT_EQ(t->ReadMSR(0x12345), nullptr) << "a failed read is not cached";
  const uint64_t after = bench.machine->Time().NowNs();
  EXPECT_EQ(t->FindMSR(0x12345), nullptr);
  EXPECT_EQ(bench.machine->Time().NowNs(), after);
  EXPECT_GT(after, before);
}

// ------------------------------------------------------------------ topology rules

class TopologyTest : public ::testing::Test {
 protected:
  // The operating system of a bare machine publishes no topology of its own.
  void SetUp() override {
    plat::SetCurrentMachine(std::make_shared<emu::EmulatedMachine>(emu::TimeBase::Mode::Virtual));
    QUARNSDK::GetInstance();
  }
  void TearDown() override {
    delete cpu;
    QUARNSDK::ReleaseInstance();
    plat::SetCurrentMachine(nullptr);
  }
  CCPUThread* AddThread(int apic, int logical, int cores) {
    auto* t = new CCPUThread(cpu->threads->count);
    t->apicId = apic;
    t->logicalPerPackage = logical;
    t->coresPerPackage = cores;
    cpu->threads->Append(t);
    return t;
  }
  CCPUInterface* cpu = new CCPUInterface(0x8000);
};

TEST_F(TopologyTest, QuadCoreWithoutSiblingsGivesOneThreadPerCore) {
  for (int apic : {0, 2, 4, 6}) AddThread(apic, 8, 4);
  cpu->BuildTopology();
  ASSERT_EQ(cpu->processorCount, 1);
  CProcessor* p = cpu->GetProcessor(0);
  ASSERT_EQ(p->GetNumberOfCores(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(p->GetCore(i)->coreId, i);
    EXPECT_EQ(p->GetCore(i)->threads->count, 1);
    EXPECT_EQ(p->GetCore(i)->FirstThread()->smtId, 0);
  }
}

TEST_F(TopologyTest, DuplicateApicIdsAreRenumberedInEnumerationOrder) {
  for (int i = 0; i < 4; ++i) AddThread(0, 1, 1);
  cpu->BuildTopology();
  int expected = 0;
  for (CCPUThread* t : Items(cpu->threads)) EXPECT_EQ(t->apicId, expected++);
  // One logical processor per package: four packages.
  EXPECT_EQ(cpu->processorCount, 4);
}

TEST_F(TopologyTest, CacheInstancesFollowSharing) {
  CCPUThread* first = nullptr;
  for (int apic = 0; apic < 8; ++apic) {
    CCPUThread* t = AddThread(apic, 8, 4);
    if (!first) first = t;
  }
  first->AddCache(3, CACHE_UNIFIED)->sharing = 16;
  first->AddCache(2, CACHE_UNIFIED)->sharing = 2;
  first->AddCache(1, CACHE_DATA)->sharing = 1;
  cpu->BuildTopology();
  CProcessor* p = cpu->GetProcessor(0);
  EXPECT_EQ(p->GetNumberOfCaches(3, CACHE_UNIFIED), 1);
  EXPECT_EQ(p->GetNumberOfCaches(2, CACHE_UNIFIED), 4);
  EXPECT_EQ(p->GetNumberOfCaches(1, CACHE_DATA), 8);
  EXPECT_EQ(p->GetNumberOfCaches(1, CACHE_INSTRUCTION), 0);
}

TEST_F(TopologyTest, RebuildingReplacesTheProcessorDevices) {
  for (int apic : {0, 1}) AddThread(apic, 2, 1);
  cpu->BuildTopology();
  cpu->BuildTopology();
  CTList<CDevice> found;
  EXPECT_EQ(QUARNSDK::GetInstance()->FindDevices(DEVICE_PROCESSOR | DEVICE_COMPOSITE, &found), 1);
  EXPECT_EQ(cpu->processorCount, 1);
  EXPECT_EQ(cpu->cores->count, 1);
}

// ------------------------------------------------------------------ topology leaves

// A machine whose operating system publishes its own view: which logical
// processors are online for the process and their package and core ids.
class OsTopologyMachine : public emu::EmulatedMachine {
 public:
  OsTopologyMachine() : emu::EmulatedMachine(emu::TimeBase::Mode::Virtual, "os-topology") {}
  std::vector<int> ProcessorIds() override { return ids.empty() ? emu::EmulatedMachine::ProcessorIds() : ids; }
  bool KernelTopology(int cpu, KernelCpu* k) override {
    if (cpu < 0 || cpu >= static_cast<int>(kernel.size())) return false;
    *k = kernel[cpu];
    return true;
  }
  std::vector<int> ids;
  std::vector<KernelCpu> kernel;  // per logical processor
};

uint32_t Str(const char* s) {
  uint32_t v = 0;
  std::memcpy(&v, s, 4);
  return v;
}

// Four logical processors answering the leaves `fill` gives each (by index).
std::shared_ptr<OsTopologyMachine> FourProcessors(bool amd,
                                                  const std::function<void(emu::EmulatedCpu&, int)>& fill) {
  auto m = std::make_shared<OsTopologyMachine>();
  for (int i = 0; i < 4; ++i) {
    emu::EmulatedCpu& cpu = m->AddCpu();
    if (amd) {
      cpu.SetCpuid(0, 0, {0xD, Str("Auth"), Str("cAMD"), Str("enti")});
      cpu.SetCpuid(1, 0, {0x00800F11, 0x00040800u | static_cast<uint32_t>(i) << 24, 0, 0x178BFBFF});
      cpu.SetCpuid(0x80000000, 0, {0x8000001E, 0, 0, 0});
      cpu.SetCpuid(0x80000001, 0, {0x00800F11, 0, 1u << 22, 0});
    } else {
      cpu.SetCpuid(0, 0, {0x1F, Str("Genu"), Str("ntel"), Str("ineI")});
      cpu.SetCpuid(1, 0, {0x00050654, 0x00040800u | static_cast<uint32_t>(i) << 24, 0, 0x178BFBFF});
      cpu.SetCpuid(0x80000000, 0, {0x80000001, 0, 0, 0});
    }
    fill(cpu, i);
  }
  return m;
}

// Package, core and thread count of every package, as the facade grouped them.
std::vector<std::vector<int>> Layout(CCPUInterface* cpu) {
  std::vector<std::vector<int>> out;
  for (int i = 0; i < cpu->processorCount; ++i) {
    CProcessor* p = cpu->GetProcessor(i);
    std::vector<int> cores;
    for (int c = 0; c < p->GetNumberOfCores(); ++c) cores.push_back(p->GetCore(c)->threads->count);
    out.push_back(cores);
  }
  return out;
}

TEST(TopologyLeaves, FollowTheKernelsRulesForEachVendor) {
  using Fill = std::function<void(emu::EmulatedCpu&, int)>;
  struct Case {
    const char* what;
    bool amd;
    Fill fill;
    std::vector<std::vector<int>> layout;  // threads per core, per package
  } cases[] = {
      {"AMD 0x8000001E: two cores of two threads (legacy leaves say one core of four)", true,
       [](emu::EmulatedCpu& c, int i) {
         c.SetCpuid(1, 0, {0x00800F11, 0x00040800u | static_cast<uint32_t>(i) << 24, 0, 0x178BFBFF});
         c.SetCpuid(0x80000008, 0, {0x3030, 0, 0x4003, 0});
         c.SetCpuid(0x8000001E, 0, {static_cast<uint32_t>(i), static_cast<uint32_t>(0x100 | i / 2), 0, 0});
       },
       {{2, 2}}},
      {"AMD ApicIdSize 0x80000008 beats the core count: two packages", true,
       [](emu::EmulatedCpu& c, int i) {
         // APIC ids 0, 1, 4, 5: one package by ApicIdSize 3, two by the
         // core count (4 -> 2 bits).
         const uint32_t apic = static_cast<uint32_t>((i / 2) << 2 | (i % 2));
         c.SetCpuid(1, 0, {0x00800F11, apic << 24 | 0x00040800u, 0, 0x178BFBFF});
         c.SetCpuid(0x80000001, 0, {0x00800F11, 0, 0, 0});  // no topology extensions
         c.SetCpuid(0x80000008, 0, {0x3030, 0, 0x3003, 0});
       },
       {{1, 1, 1, 1}}},
      {"Intel 0x1F: the die level lies above the core level", false,
       [](emu::EmulatedCpu& c, int i) {
         const uint32_t apic = static_cast<uint32_t>((i / 2) << 3 | (i % 2));
         c.SetCpuid(0x1F, 0, {1, 2, 0x100, apic});
         c.SetCpuid(0x1F, 1, {3, 4, 0x201, apic});
         c.SetCpuid(0x1F, 2, {4, 4, 0x502, apic});
         c.SetCpuid(0x1F, 3, {0, 0, 3, apic});
         c.SetCpuid(0xB, 0, {1, 2, 0x100, apic});
         c.SetCpuid(0xB, 1, {3, 4, 0x201, apic});
         c.SetCpuid(0xB, 2, {0, 0, 2, apic});
       },
       {{2, 2}}},
  };
  for (const Case& c : cases) {
    CpuTestBench bench(FourProcessors(c.amd, c.fill));
    ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000)) << c.what;
    EXPECT_EQ(Layout(bench.Sdk().cpuInterface), c.layout) << c.what;
  }
}

TEST(TopologyLeaves, TheKernelsViewWinsWhereTheLeavesContradictIt) {
  // A hypervisor's leaves: odd APIC ids, 254 logical processors per package,
  // one core, and an all-zero 0x8000001E although topology extensions are
  // advertised. The kernel knows one package of two cores of two threads.
  auto m = FourProcessors(true, [](emu::EmulatedCpu& c, int i) {
    const uint32_t apic[4] = {0x7D, 0x6A, 0x21, 0x3C};
    c.SetCpuid(1, 0, {0x00800F11, apic[i] << 24 | 0x00FE0800u, 0, 0x178BFBFF});
    c.SetCpuid(0x80000008, 0, {0x3030, 0, 0, 0});
    // Caches only in the legacy leaves: L1 data 48 KB 12-way, L2 1 MB 8-way,
    // L3 whose ways are "see leaf 0x8000001D" (code 9), and that leaf empty.
    c.SetCpuid(0x80000005, 0, {0xFF60FF40, 0xFF60FF40, 0x300C0140, 0x20080140});
    c.SetCpuid(0x80000006, 0, {0x40802040, 0x60804040, 0x04006140, 0x0FE09140});
  });
  m->kernel = {{0, 0, 0}, {0, 1, 2}, {0, 0, 1}, {0, 1, 3}};
  {
    CpuTestBench bench(m);
    ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
    CCPUInterface* cpu = bench.Sdk().cpuInterface;
    EXPECT_EQ(Layout(cpu), (std::vector<std::vector<int>>{{2, 2}}));
    CProcessor* p = cpu->GetProcessor(0);
    ASSERT_NE(p, nullptr);
    std::vector<int> firstCore;
    for (CCPUThread* t : Items(p->GetCore(0)->threads)) firstCore.push_back(t->affinityIndex);
    EXPECT_EQ(firstCore, (std::vector<int>{0, 2}));
    // The APIC ids are the kernel's too, not the leaves' odd ones.
    std::vector<int> apicIds;
    for (CCPUThread* t : Items(cpu->threads)) apicIds.push_back(t->apicId);
    EXPECT_EQ(apicIds, (std::vector<int>{0, 2, 1, 3}));
    // The level-3 cache from 0x80000006 is the package's one cache; its ways
    // are unknown rather than -1-way.
    EXPECT_EQ(p->GetNumberOfCaches(3, CACHE_UNIFIED), 1);
    CCacheDescriptor* l3 = p->FirstThread()->FindCache(3, CACHE_UNIFIED);
    ASSERT_NE(l3, nullptr);
    EXPECT_EQ(l3->ways, -1);
  }

  // Where the leaves agree with the kernel, the leaves' ids stay.
  auto agreeing = FourProcessors(true, [](emu::EmulatedCpu& c, int i) {
    c.SetCpuid(0x80000008, 0, {0x3030, 0, 0x2003, 0});
    c.SetCpuid(0x8000001E, 0, {static_cast<uint32_t>(8 + i), static_cast<uint32_t>(0x100 | i / 2), 0, 0});
  });
  agreeing->kernel = {{5, 10, 0}, {5, 10, 1}, {5, 11, 2}, {5, 11, 3}};
  {
    CpuTestBench second(agreeing);
    ASSERT_TRUE(second.Sdk().CreateCPUInterface(0x8000));
    EXPECT_EQ(second.Sdk().cpuInterface->GetProcessor(0)->packageId, 2);
    std::vector<int> leafApicIds;
    for (CCPUThread* t : Items(second.Sdk().cpuInterface->threads)) leafApicIds.push_back(t->apicId);
    EXPECT_EQ(leafApicIds, (std::vector<int>{8, 9, 10, 11}));
  }

  // A kernel that gives no APIC id, or the same one twice, leaves the
  // leaves' APIC ids where it corrects the topology.
  for (const std::vector<plat::Machine::KernelCpu>& kernel :
       {std::vector<plat::Machine::KernelCpu>{{0, 0, -1}, {0, 1, -1}, {0, 0, -1}, {0, 1, -1}},
        std::vector<plat::Machine::KernelCpu>{{0, 0, 4}, {0, 1, 4}, {0, 0, 5}, {0, 1, 6}}}) {
    m->kernel = kernel;
    CpuTestBench bench(m);
    ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
    EXPECT_EQ(Layout(bench.Sdk().cpuInterface), (std::vector<std::vector<int>>{{2, 2}}));
    std::vector<int> apicIds;
    for (CCPUThread* t : Items(bench.Sdk().cpuInterface->threads)) apicIds.push_back(t->apicId);
    EXPECT_EQ(apicIds, (std::vector<int>{0x7D, 0x6A, 0x21, 0x3C}));
  }
}

TEST(TopologyLeaves, OnlyTheProcessorsTheSystemListsAreEnumerated) {
  // Processor 1 is offline or outside the process's cpuset.
  auto m = FourProcessors(true, [](emu::EmulatedCpu& c, int i) {
    c.SetCpuid(0x80000008, 0, {0x3030, 0, 0x2003, 0});
    c.SetCpuid(0x8000001E, 0, {static_cast<uint32_t>(i), 0, 0, 0});
  });
  m->ids = {0, 2, 3};
  CpuTestBench bench(m);
  ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000));
  CCPUInterface* cpu = bench.Sdk().cpuInterface;
  EXPECT_EQ(cpu->logicalCount, 3);
  std::vector<int> affinity, apic;
  for (CCPUThread* t : Items(cpu->threads)) {
    affinity.push_back(t->affinityIndex);
    apic.push_back(t->apicId);
  }
  EXPECT_EQ(affinity, (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(apic, (std::vector<int>{0, 2, 3})) << "each thread identified on its own processor";
}

// ------------------------------------------------------------------ vendors and packages

TEST(VendorNames, UnknownAndSmallVendorsAreNamedFromTheirText) {
  struct Row {
    const char* vendor;
    const char* name;
    bool knowledge;
  } rows[] = {{"Vortex86 SoC", "DM&P Processor", true},
              {"Geode by NSC", "National Semiconductor Processor", false},
              {"HygonGenuine", "HygonGenuine Processor", false},
              {"UMC UMC UMC ", "UMC Processor", false}};
  for (const Row& r : rows) {
    emu::EmulatedMachine m(emu::TimeBase::Mode::Virtual);
    emu::EmulatedCpu& cpu = m.AddCpu();
    uint32_t w[3];
    std::memcpy(w, r.vendor, 12);
    cpu.SetCpuid(0, 0, {1, w[0], w[2], w[1]});
    cpu.SetCpuid(1, 0, {0x00000480, 0, 0, 0x10});
    std::shared_ptr<emu::EmulatedMachine> keep(&m, [](emu::EmulatedMachine*) {});
    plat::SetCurrentMachine(keep);
    CCPUThread t(0);
    EXPECT_EQ(t.Identify(), 1);
    EXPECT_STREQ(t.name, r.name) << r.vendor;
    EXPECT_EQ(t.vendorInfos != nullptr, r.knowledge) << r.vendor;
    plat::SetCurrentMachine(nullptr);
  }
}

TEST(PackageNames, CodesMapToSocketTexts) {
  struct Row {
    int code;
    const char* text;
  } rows[] = {{0x10001, "Socket 4 (273)"},  {0x10028, "Socket 1366 LGA"}, {0x1002D, "Socket 1155 LGA"},
              {0x10039, "Socket FS1 (905)"}, {0x1003A, ""},               {0x10040, "Socket 1150 LGA"},
              {0x10043, "Socket FP2 (904)"}, {0x10044, ""},               {0x20007, "Slot A"},
              {0x20008, ""},                 {-1, ""}};
  for (const Row& r : rows) EXPECT_STREQ(PackageName(r.code), r.text) << std::hex << r.code;
}

}  // namespace
