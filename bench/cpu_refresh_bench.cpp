// One processor refresh of the emulated six-core package on the real-time
// time base: how long it takes, how long it holds the hardware lock (in all
// and in its longest stretch: the measurement windows run without it), the
// CPU time it costs, and how far the measured core clocks are from the
// emulated BCLK x ratio.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "driver/CKMDriver.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/chips/AcpiPmBlock.h"
#include "emu/firmware/AcpiTables.h"
#include "platform/Machine.h"
#include "platform/NamedMutex.h"
#include "sdk/core/HardwareLock.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/core/SdkStartup.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CProcessor.h"

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// state.range(0) threads spin beside the refreshes (0: an idle machine;
// 2: both cores of the build machine busy).
void BM_CpuRefreshSixCoreRealTime(benchmark::State& state) {
  std::atomic<bool> stop{false};
  std::vector<std::thread> load;
  for (int64_t i = 0; i < state.range(0); ++i)
    load.emplace_back([&stop] {
      volatile uint64_t x = 0;
      while (!stop.load(std::memory_order_relaxed)) x = x + 1;
    });
  plat::SetLockNamespace("torvik-bench");
  const emu::CpuDescription& cpu = emu::WestmereGulftownI7_980X();
  auto machine = std::make_shared<emu::EmulatedMachine>(emu::TimeBase::Mode::Real, "bench-gulftown");
  machine->AddRam(0x00000000, 0x000A0000);
  machine->AddRam(0x000E0000, 0x00020000);
  machine->AddPortDevice(0x400, emu::AcpiPmBlock::kSize, std::make_shared<emu::AcpiPmBlock>(machine->Time()));
  emu::InstallAcpiFirmware(*machine);
  emu::AddProcessors(*machine, cpu);
  plat::SetCurrentMachine(machine);
  CKMDriver driver;
  uint32_t error = 0, version = 0;
  if (StartDriverChannel(driver, "/tmp", &error, &version) != DriverStartResult::Ok) {
    state.SkipWithError("driver channel");
    stop = true;
    for (auto& t : load) t.join();
    return;
  }
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  sdk->SetDriver(&driver);
  {
    HardwareLock startup(nullptr, &driver, 0);
    sdk->CreateACPIInterface(0, 0, 0x7FFFFFFF);
    sdk->CreateCPUInterface(0x8000);
  }
  CCPUInterface* interface = sdk->cpuInterface;
  const double truth = cpu.bclkMHz * emu::ActiveRatio(*machine, 0);
  double worstError = 0, cpuSeconds = 0, heldSeconds = 0;
  uint64_t longestStretchNs = 0;
  for (auto _ : state) {
    const double c0 = CpuSeconds();
    auto t0 = std::chrono::steady_clock::now();
    {
      HardwareLock lock(sdk, &driver, 100);
      interface->Refresh();
      lock.Unlock();
      heldSeconds += static_cast<double>(lock.TotalHeldNs()) * 1e-9;
      longestStretchNs = std::max(longestStretchNs, lock.LongestStretchNs());
    }
    auto t1 = std::chrono::steady_clock::now();
    cpuSeconds += CpuSeconds() - c0;
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    CProcessor* p = interface->GetProcessor(0);
    for (int i = 0; i < p->GetNumberOfCores(); ++i)
      worstError = std::max(worstError, std::fabs(p->GetCore(i)->measuredClock - truth) / truth);
  }
  state.counters["cpu_ms_per_refresh"] = cpuSeconds * 1e3 / static_cast<double>(state.iterations());
  state.counters["lock_held_ms_per_refresh"] = heldSeconds * 1e3 / static_cast<double>(state.iterations());
  state.counters["longest_lock_stretch_ms"] = static_cast<double>(longestStretchNs) * 1e-6;
  state.counters["worst_clock_error_pct"] = worstError * 100;
  stop = true;
  for (auto& t : load) t.join();
  QUARNSDK::ReleaseInstance();
  driver.Close(true, true);
  plat::SetCurrentMachine(nullptr);
}
BENCHMARK(BM_CpuRefreshSixCoreRealTime)->Arg(0)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

BENCHMARK_MAIN();
