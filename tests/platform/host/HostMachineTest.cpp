#include "platform/host/HostMachine.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/host/KernelCpuInfo.h"
#include "tests/platform/host/FakeHostTree.h"

namespace {

// "key : value" lines of /proc/cpuinfo, per processor.
std::vector<std::map<std::string, std::string>> CpuInfo() {
  std::vector<std::map<std::string, std::string>> cpus;
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  std::map<std::string, std::string> current;
  while (std::getline(in, line)) {
    if (line.empty()) {
      if (!current.empty()) cpus.push_back(current);
      current.clear();
      continue;
    }
    auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string key = line.substr(0, colon), value = line.substr(colon + 1);
    while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
    while (!value.empty() && value.front() == ' ') value.erase(0, 1);
    current[key] = value;
  }
  if (!current.empty()) cpus.push_back(current);
  return cpus;
}

std::vector<int> CpusOf(uint64_t mask) {
  std::vector<int> cpus;
  for (int i = 0; i < 64; ++i)
    if (mask >> i & 1) cpus.push_back(i);
  return cpus;
}

class HostMachineTest : public ::testing::Test {
 protected:
  void SetUp() override { original_ = machine_.GetThreadAffinity(); }
  void TearDown() override { machine_.SetThreadAffinity(original_); }

  plat::HostMachine machine_;
  uint64_t original_ = 0;
};

TEST_F(HostMachineTest, IdentifiesItselfAsTheHost) {
  EXPECT_EQ(machine_.Name(), "host");
  EXPECT_FALSE(machine_.IsEmulated());
  EXPECT_EQ(machine_.ProcessorCount(), static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN)));

  plat::SetCurrentMachine(nullptr);
  plat::InstallHostMachineFactory();
  EXPECT_EQ(plat::CurrentMachine().Name(), "host");
  EXPECT_FALSE(plat::CurrentMachine().IsEmulated());
  plat::SetCurrentMachine(nullptr);
}

TEST_F(HostMachineTest, CpuidAgreesWithProcCpuinfo) {
  const auto cpus = CpuInfo();
  if (cpus.empty() || !cpus[0].count("vendor_id")) GTEST_SKIP() << "/proc/cpuinfo has no x86 processor entries";

  const plat::CpuidRegs leaf0 = machine_.Cpuid(0, 0);
  char vendor[13] = {};
  std::memcpy(vendor + 0, &leaf0.ebx, 4);
  std::memcpy(vendor + 4, &leaf0.edx, 4);
  std::memcpy(vendor + 8, &leaf0.ecx, 4);
  EXPECT_EQ(std::string(vendor), cpus[0].at("vendor_id"));
  ASSERT_GE(leaf0.eax, 1u);

  // Family and model as the kernel derives them from leaf 1 EAX.
  const uint32_t sig = machine_.Cpuid(1, 0).eax;
  uint32_t family = sig >> 8 & 0xF;
  if (family == 0xF) family += sig >> 20 & 0xFF;
  uint32_t model = sig >> 4 & 0xF;
  if (family >= 6) model += (sig >> 16 & 0xF) << 4;
  EXPECT_EQ(std::to_string(family), cpus[0].at("cpu family"));
  EXPECT_EQ(std::to_string(model), cpus[0].at("model"));
}

TEST_F(HostMachineTest, PinningMovesTheThread) {
  for (int cpu : CpusOf(original_)) {
    SCOPED_TRACE("cpu " + std::to_string(cpu));
    ASSERT_TRUE(machine_.SetThreadAffinity(uint64_t{1} << cpu));
    EXPECT_EQ(machine_.GetThreadAffinity(), uint64_t{1} << cpu);
    EXPECT_EQ(machine_.CurrentProcessor(), cpu);
  }
}

TEST_F(HostMachineTest, ImpossibleThreadMasksAreRefusedAndChangeNothing) {
  EXPECT_FALSE(machine_.SetThreadAffinity(0));
  EXPECT_EQ(machine_.GetThreadAffinity(), original_);
  if (machine_.ProcessorCount() < 64) {
    EXPECT_FALSE(machine_.SetThreadAffinity(uint64_t{1} << 63));
    EXPECT_EQ(machine_.GetThreadAffinity(), original_);
  }
}

TEST_F(HostMachineTest, ProcessAffinityReachesEveryThread) {
  uint64_t processMask = 0, systemMask = 0;
  ASSERT_TRUE(machine_.GetProcessAffinity(0, &processMask, &systemMask));
  EXPECT_EQ(processMask & ~systemMask, 0u);
  const uint64_t target = uint64_t{1} << CpusOf(processMask).back();

  // A second thread that exists before the mask is set.
  std::mutex m;
  std::condition_variable cv;
  bool stop = false;
  std::thread helper([&] {
    std::unique_lock<std::mutex> l(m);
    cv.wait(l, [&] { return stop; });
  });

  ASSERT_TRUE(machine_.SetProcessAffinity(getpid(), target));
  int threads = 0;
  DIR* dir = opendir("/proc/self/task");
  ASSERT_NE(dir, nullptr);
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.') continue;
    cpu_set_t set;
    CPU_ZERO(&set);
    ASSERT_EQ(sched_getaffinity(std::atoi(e->d_name), sizeof(set), &set), 0);
    EXPECT_EQ(CPU_COUNT(&set), 1) << "thread " << e->d_name;
    EXPECT_TRUE(CPU_ISSET(CpusOf(target).back(), &set)) << "thread " << e->d_name;
    ++threads;
  }
  closedir(dir);
  EXPECT_GE(threads, 2);
  uint64_t after = 0;
  ASSERT_TRUE(machine_.GetProcessAffinity(0, &after, nullptr));
  EXPECT_EQ(after, target);

  EXPECT_TRUE(machine_.SetProcessAffinity(0, processMask));
  {
    std::lock_guard<std::mutex> l(m);
    stop = true;
  }
  cv.notify_all();
  helper.join();
}

TEST_F(HostMachineTest, ProcessAffinityOfAMissingProcessFails) {
  // Above the largest pid the kernel hands out (pid_max is at most 2^22).
  const int missing = 0x7FFFFFF0;
  uint64_t p = 0, s = 0;
  EXPECT_FALSE(machine_.GetProcessAffinity(missing, &p, &s));
  EXPECT_FALSE(machine_.SetProcessAffinity(missing, 1));
  EXPECT_FALSE(machine_.SetProcessAffinity(0, 0));
}

TEST_F(HostMachineTest, ClocksAdvanceWithSleepAndStall) {
  EXPECT_EQ(machine_.PerformanceFrequency(), 1000000000u);
  const uint64_t tick0 = machine_.TickCount(), pc0 = machine_.PerformanceCounter(), tsc0 = machine_.ReadTsc();
  machine_.Sleep(30);
  const uint64_t tick1 = machine_.TickCount(), pc1 = machine_.PerformanceCounter(), tsc1 = machine_.ReadTsc();
  EXPECT_GE(tick1 - tick0, 29u);  // millisecond truncation of the two readings
  EXPECT_GE(pc1 - pc0, 30000000u);
  EXPECT_LT(pc1 - pc0, 5000000000u);
  EXPECT_GT(tsc1, tsc0);

  machine_.StallMicroseconds(3000);
  EXPECT_GE(machine_.PerformanceCounter() - pc1, 3000000u);
}

TEST_F(HostMachineTest, TotalMemoryMatchesProcMeminfo) {
  std::ifstream in("/proc/meminfo");
  std::string key;
  unsigned long long kb = 0;
  while (in >> key) {
    if (key == "MemTotal:") {
      in >> kb;
      break;
    }
    in.ignore(1 << 10, '\n');
  }
  ASSERT_GT(kb, 0u);
  const double expected = static_cast<double>(kb) * 1024.0;
  EXPECT_NEAR(static_cast<double>(machine_.TotalPhysicalMemory()), expected, expected * 0.005);
}

// The kernel's view of each logical processor: package and core from sysfs,
// the APIC id from /proc/cpuinfo, whose blocks may come in any order and
// need not all carry one.
TEST(HostKernelTopology, PackageAndCoreFromSysfsApicIdFromCpuinfo) {
  torvik_test::FakeHostTree tree;
  auto put = [&](const std::string& path, const std::string& text) { tree.Put(path, 0, text.data(), text.size()); };
  const int ids[][3] = {{0, 0, 0}, {0, 1, 2}, {0, 0, 1}, {1, 4, 9}};  // package, core, APIC id
  for (int cpu = 0; cpu < 4; ++cpu) {
    const std::string dir = "/sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/topology/";
    put(dir + "physical_package_id", std::to_string(ids[cpu][0]) + "\n");
    put(dir + "core_id", std::to_string(ids[cpu][1]) + "\n");
  }
  std::string cpuinfo;
  for (int cpu : {2, 0, 1, 3})
    cpuinfo += "processor\t: " + std::to_string(cpu) + "\nvendor_id\t: AuthenticAMD\n" +
               (cpu == 3 ? "" : "apicid\t\t: " + std::to_string(ids[cpu][2]) + "\ninitial apicid\t: 77\n") + "\n";
  put("/proc/cpuinfo", cpuinfo);

  plat::HostMachine machine(tree.Options());
  for (int cpu = 0; cpu < 4; ++cpu) {
    SCOPED_TRACE(cpu);
    plat::Machine::KernelCpu k;
    ASSERT_TRUE(machine.KernelTopology(cpu, &k));
    EXPECT_EQ(k.package, ids[cpu][0]);
    EXPECT_EQ(k.core, ids[cpu][1]);
    EXPECT_EQ(k.apicId, cpu == 3 ? -1 : ids[cpu][2]);
  }
  plat::Machine::KernelCpu none;
  EXPECT_FALSE(machine.KernelTopology(4, &none));
  EXPECT_FALSE(machine.KernelTopology(-1, &none));

  // Only whole "processor" and "apicid" fields count.
  EXPECT_EQ(plat::ApicIdsFromCpuinfo("processor : 5\napicid: 12\n\nprocessors : 6\napicid : 13\n"
                                     "processor\t: 7\napicid\t: x\n\nprocessor : 8\napicid : -1\n"),
            (std::map<int, int>{{5, 12}}));
}

}  // namespace
