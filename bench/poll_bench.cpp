// Full polling cycles on the emulated board (virtual time): per cycle, the
// CPU time and how long the SDK lock is held, for the whole cycle and for
// the monitoring-chip refresh alone.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "poll/PollCore.h"
#include "driver/CKMDriver.h"
#include "machines/MachineSelect.h"
#include "platform/Machine.h"
#include "platform/NamedMutex.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/core/SdkStartup.h"

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

struct Board {
  CKMDriver driver;
  QUARNSDK* sdk = nullptr;
  bool Start(benchmark::State& state) {
    plat::SetLockNamespace("torvik-poll-bench");
    std::string error;
    if (!machines::SelectMachine("emulated", &error, emu::TimeBase::Mode::Virtual)) {
      state.SkipWithError(error.c_str());
      return false;
    }
    uint32_t code = 0, version = 0;
    if (StartDriverChannel(driver, "/tmp", &code, &version) != DriverStartResult::Ok) {
      state.SkipWithError("driver channel");
      return false;
    }
    sdk = QUARNSDK::GetInstance();
    sdk->SetDriver(&driver);
    CreateSdkInterfaces(*sdk, driver, {});
    return true;
  }
  ~Board() {
    if (sdk) ShutdownSdk(&driver);
    plat::SetCurrentMachine(nullptr);
  }
};

void BM_PollCycle(benchmark::State& state) {
  Board board;
  if (!board.Start(state)) return;
  CPollCore poll(board.sdk, &board.driver);
  double cpuSeconds = 0, lockSeconds = 0;
  uint64_t longestStretchNs = 0;
  for (auto _ : state) {
    plat::CurrentMachine().Sleep(1000);  // the thread's pause, in virtual time
    const double c0 = CpuSeconds();
    poll.PollHardware(50);
    cpuSeconds += CpuSeconds() - c0;
    lockSeconds += poll.LastLockHeldNs() * 1e-9;
    longestStretchNs = std::max(longestStretchNs, poll.LastLockStretchNs());
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["cpu_ms_per_cycle"] = cpuSeconds * 1e3 / n;
  state.counters["sdk_lock_ms_per_cycle"] = lockSeconds * 1e3 / n;
  state.counters["longest_lock_stretch_ms"] = static_cast<double>(longestStretchNs) * 1e-6;
}
BENCHMARK(BM_PollCycle)->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_MonitorRefreshAlone(benchmark::State& state) {
  Board board;
  if (!board.Start(state)) return;
  double cpuSeconds = 0;
  bool present = false;
  for (auto _ : state) {
    uint32_t status = 0;
    const double c0 = CpuSeconds();
    board.sdk->Lock(&status, 50);
    present = CPollCore::RefreshHardwareMonitor(*board.sdk);
    board.sdk->Unlock();
    cpuSeconds += CpuSeconds() - c0;
  }
  state.counters["cpu_ms_per_cycle"] = cpuSeconds * 1e3 / static_cast<double>(state.iterations());
  state.counters["monitor_present"] = present ? 1 : 0;
}
BENCHMARK(BM_MonitorRefreshAlone)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace

BENCHMARK_MAIN();
