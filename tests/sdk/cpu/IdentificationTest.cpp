// Identification and topology of the emulated processors, and the topology
// rules on hand-made thread lists.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/IntelNaming.h"
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

// ------------------------------------------------------------------ topology rules

class TopologyTest : public ::testing::Test {
 protected:
  void SetUp() override { QUARNSDK::GetInstance(); }
  void TearDown() override {
    delete cpu;
    QUARNSDK::ReleaseInstance();
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
