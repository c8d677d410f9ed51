// The processors of the machine the tests run on, against /proc/cpuinfo.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "machines/MachineSelect.h"
#include "platform/Machine.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CProcessor.h"

namespace {

struct CpuinfoEntry {
  std::map<std::string, std::string> fields;
  std::string Get(const std::string& k) const {
    auto it = fields.find(k);
    return it == fields.end() ? "" : it->second;
  }
};

std::string Trim(std::string s) {
  size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

std::vector<CpuinfoEntry> ReadCpuinfo() {
  std::vector<CpuinfoEntry> out;
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  CpuinfoEntry cur;
  while (std::getline(in, line)) {
    if (Trim(line).empty()) {
      if (!cur.fields.empty()) out.push_back(cur);
      cur = {};
      continue;
    }
    size_t colon = line.find(':');
    if (colon != std::string::npos) cur.fields[Trim(line.substr(0, colon))] = Trim(line.substr(colon + 1));
  }
  if (!cur.fields.empty()) out.push_back(cur);
  return out;
}

class HostIdentityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(machines::SelectMachine("host", &error)) << error;
    cpuinfo = ReadCpuinfo();
    if (cpuinfo.empty() || cpuinfo[0].Get("vendor_id").empty()) GTEST_SKIP() << "no x86 /proc/cpuinfo";
  }
  void TearDown() override {
    QUARNSDK::ReleaseInstance();
    plat::SetCurrentMachine(nullptr);
  }
  std::vector<CpuinfoEntry> cpuinfo;
};

TEST_F(HostIdentityTest, AgreesWithTheKernelOnIdentityAndTopology) {
  // No driver channel: identification needs none; register values are
  // simply not available.
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  ASSERT_TRUE(sdk->CreateCPUInterface(0x8000));
  CCPUInterface* cpu = sdk->cpuInterface;
  ASSERT_EQ(cpu->logicalCount, static_cast<int>(cpuinfo.size()));
  ASSERT_EQ(cpu->threads->count, static_cast<int>(cpuinfo.size()));

  std::set<std::string> packages;
  std::map<std::string, std::set<std::string>> coresPerPackage;
  for (const auto& e : cpuinfo) {
    packages.insert(e.Get("physical id"));
    coresPerPackage[e.Get("physical id")].insert(e.Get("core id"));
  }
  EXPECT_EQ(cpu->processorCount, static_cast<int>(packages.size()));

  const CpuinfoEntry& first = cpuinfo[0];
  CProcessor* p = cpu->GetProcessor(0);
  ASSERT_NE(p, nullptr);
  CCPUThread* t = p->FirstThread();
  EXPECT_EQ(std::string(t->vendor), first.Get("vendor_id"));
  EXPECT_EQ(p->GetExtendedFamily(), std::stoi(first.Get("cpu family")));
  EXPECT_EQ(p->GetExtendedModel(), std::stoi(first.Get("model")));
  EXPECT_EQ(p->GetStepping(), std::stoi(first.Get("stepping")));
  // Cores and threads as the kernel counts them, hypervisor or not: where the
  // identification leaves contradict the kernel its topology is taken.
  EXPECT_EQ(p->GetNumberOfCores(), static_cast<int>(coresPerPackage[first.Get("physical id")].size()));
  std::set<std::string> siblings;
  for (const auto& e : cpuinfo)
    if (e.Get("physical id") == first.Get("physical id")) siblings.insert(e.Get("processor"));
  EXPECT_EQ(p->GetNumberOfThreads(), static_cast<int>(siblings.size()));
  // Some hypervisors show user space another brand string than the kernel
  // sees; only without one is the brand string an oracle.
  const bool hypervisor = (t->featuresECX >> 31) & 1;
  if (!hypervisor) {
    EXPECT_EQ(Trim(p->GetSpecification()), first.Get("model name"));
  }
  EXPECT_EQ(p->HasFeature(FEATURE_SSE2), first.Get("flags").find(" sse2") != std::string::npos ? 1 : 0);
  EXPECT_EQ(p->HasFeature(FEATURE_AVX2), first.Get("flags").find(" avx2") != std::string::npos ? 1 : 0);

  // Without model-specific registers nothing register-based has a value.
  for (CCPUThread* th : Items(cpu->threads)) {
    EXPECT_EQ(th->microcode, -1);
    EXPECT_EQ(th->coreTemperature, nullptr);
  }
  EXPECT_EQ(p->GetCoreMultiplier(0) > 0 || p->GetCoreMultiplier(0) == -1.0f, true);
}

}  // namespace
