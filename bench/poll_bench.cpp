// Full polling cycles on the emulated board: per cycle, the CPU time and how
// long the SDK lock is held, for the whole cycle and for the monitoring-chip
// refresh alone (virtual time), and the whole cycle on real time, where the
// clock measurement's windows really pass, as a share of one core at the
// poll thread's one-second period.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

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
  bool Start(benchmark::State& state, emu::TimeBase::Mode mode = emu::TimeBase::Mode::Virtual) {
    plat::SetLockNamespace("torvik-poll-bench");
    std::string error;
    if (!machines::SelectMachine("emulated", &error, mode)) {
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

// Real time: the poll thread sleeps about a second between cycles; the pause
// here is shorter (it costs no CPU), the cost is reported per cycle and as
// the share of one core it takes at one cycle per second.
void BM_PollCycleRealTime(benchmark::State& state) {
  Board board;
  if (!board.Start(state, emu::TimeBase::Mode::Real)) return;
  CPollCore poll(board.sdk, &board.driver);
  double cpuSeconds = 0;
  uint64_t longestStretchNs = 0;
  for (auto _ : state) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const double c0 = CpuSeconds();
    const auto w0 = std::chrono::steady_clock::now();
    poll.PollHardware(50);
    const auto w1 = std::chrono::steady_clock::now();
    cpuSeconds += CpuSeconds() - c0;
    state.SetIterationTime(std::chrono::duration<double>(w1 - w0).count());
    longestStretchNs = std::max(longestStretchNs, poll.LastLockStretchNs());
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["cpu_ms_per_cycle"] = cpuSeconds * 1e3 / n;
  state.counters["core_pct_at_1s_period"] = cpuSeconds * 1e3 / n / 1000.0 * 100.0;
  state.counters["longest_lock_stretch_ms"] = static_cast<double>(longestStretchNs) * 1e-6;
}
BENCHMARK(BM_PollCycleRealTime)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

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
