// Start-up of the real binaries, timed side by side with the tools users
// know: `torvikctl --machine host pci` against `lspci -n`, `torvikctl dmi
// --from-dump` against `dmidecode --from-dump` on the same file, `torvikctl
// --machine emulated status` on its own, and the window of `torviktune` on the
// emulated X58 board. Each benchmark reports wall milliseconds per run and,
// for the pairs, the ratio ours / theirs (1.0 or less: no slower).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"
#include "emu/firmware/SmbiosTable.h"

extern char** environ;

namespace {

// Runs argv with output to /dev/null; wall seconds, or -1 when it did not
// run or did not exit 0. With `marker`, the program's standard output is
// read instead, and the time is taken when a line containing the marker
// arrives (the window shown), not when the program has exited.
double Run(const std::vector<std::string>& args, const char* marker = nullptr) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int pipeFds[2] = {-1, -1};
  if (marker && pipe2(pipeFds, O_CLOEXEC) != 0) return -1.0;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (marker)
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (marker) close(pipeFds[1]);
  if (rc != 0) {
    if (marker) close(pipeFds[0]);
    return -1.0;
  }
  auto t1 = std::chrono::steady_clock::now();
  bool seen = !marker;
  if (marker) {
    std::string out;
    char buffer[256];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof(buffer))) > 0) {
      out.append(buffer, static_cast<size_t>(n));
      if (!seen && out.find(marker) != std::string::npos) {
        t1 = std::chrono::steady_clock::now();
        seen = true;
      }
    }
    close(pipeFds[0]);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!marker) t1 = std::chrono::steady_clock::now();
  if (!seen || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1.0;
  return std::chrono::duration<double>(t1 - t0).count();
}

bool Available(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Times ours and theirs alternately; reports both and their ratio.
void Pair(benchmark::State& state, const std::vector<std::string>& ours, const std::vector<std::string>& theirs) {
  if (!Available(theirs[0].c_str())) {
    state.SkipWithError((theirs[0] + " is not installed").c_str());
    return;
  }
  double oursTotal = 0, theirsTotal = 0;
  for (auto _ : state) {
    const double a = Run(ours), b = Run(theirs);
    if (a < 0 || b < 0) {
      state.SkipWithError(a < 0 ? "torvikctl failed" : "the reference tool failed");
      return;
    }
    oursTotal += a;
    theirsTotal += b;
    state.SetIterationTime(a);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = oursTotal / n * 1e3;
  state.counters["theirs_ms"] = theirsTotal / n * 1e3;
  state.counters["ratio"] = oursTotal / theirsTotal;
}

void Alone(benchmark::State& state, const std::vector<std::string>& command, double targetMs,
           const char* marker = nullptr) {
  double total = 0;
  for (auto _ : state) {
    const double a = Run(command, marker);
    if (a < 0) {
      state.SkipWithError((command[0] + " failed").c_str());
      return;
    }
    total += a;
    state.SetIterationTime(a);
  }
  state.counters["wall_ms"] = total / static_cast<double>(state.iterations()) * 1e3;
  state.counters["target_ms"] = targetMs;
}

void BM_HostPciAgainstLspci(benchmark::State& state) {
  Pair(state, {TORVIKCTL, "--machine", "host", "pci"}, {"lspci", "-n"});
}
BENCHMARK(BM_HostPciAgainstLspci)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_DmiFromDumpAgainstDmidecode(benchmark::State& state) {
  // The emulated X58 board's SMBIOS table in dmidecode's --dump-bin layout.
  std::string error;
  auto machine = emu::BuildBoard("brenmor-x58", emu::TimeBase::Mode::Virtual, &error);
  if (!machine) {
    state.SkipWithError(error.c_str());
    return;
  }
  const std::vector<uint8_t> dump = emu::BuildSmbiosDump(
      emu::BoardSmbios(*machine, "Intel(R) Core(TM) i7 CPU         920  @ 2.67GHz", 133, 2666, 4, 6144));
  const std::string path = "/tmp/torvik-startup-dmi-" + std::to_string(getpid()) + ".bin";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(dump.data()), static_cast<std::streamsize>(dump.size()));
  Pair(state, {TORVIKCTL, "dmi", "--from-dump", path}, {"dmidecode", "--from-dump", path});
  std::remove(path.c_str());
}
BENCHMARK(BM_DmiFromDumpAgainstDmidecode)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_EmulatedStatus(benchmark::State& state) {
  Alone(state, {TORVIKCTL, "--machine", "emulated", "status"}, 150);
}
BENCHMARK(BM_EmulatedStatus)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

#ifdef TORVIKTUNE
void BM_WindowShownOnEmulatedX58(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // From the launch to the program's "window shown" line: what a user
  // waits for, without the teardown after it.
  Alone(state, {TORVIKTUNE, "--machine", "emulated:brenmor-x58", "--startup-time"}, 500, "window shown");
}
BENCHMARK(BM_WindowShownOnEmulatedX58)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
#endif

}  // namespace

BENCHMARK_MAIN();
