// Cost of single hardware operations through the driver channel, and of the
// SDK start-up, on the emulated board (virtual time).
#include <benchmark/benchmark.h>

#include "driver/CKMDriver.h"
#include "machines/MachineSelect.h"
#include "platform/NamedMutex.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/core/SdkStartup.h"

namespace {

struct Channel {
  Channel() {
    plat::SetLockNamespace("torvik-bench");
    std::string err;
    machines::SelectMachine("emulated", &err, emu::TimeBase::Mode::Virtual);
    uint32_t e = 0;
    driver.Open("/tmp", &e, true);
    driver.Acquire(&e, 2000);
  }
  ~Channel() {
    driver.Release();
    driver.Close(false, false);
  }
  CKMDriver driver;
};

void BM_ReadPort8(benchmark::State& state) {
  Channel c;
  uint8_t v;
  for (auto _ : state) benchmark::DoNotOptimize(c.driver.ReadPort8(0x408, &v));
}
BENCHMARK(BM_ReadPort8);

void BM_ReadMSR(benchmark::State& state) {
  Channel c;
  uint32_t hi, lo;
  for (auto _ : state) benchmark::DoNotOptimize(c.driver.ReadMSR(0x10, &hi, &lo));
}
BENCHMARK(BM_ReadMSR);

void BM_ReadPCIConfigDword(benchmark::State& state) {
  Channel c;
  uint32_t v;
  for (auto _ : state) benchmark::DoNotOptimize(c.driver.ReadPCIConfig(0, 0x1F, 3, 0, 4, &v));
}
BENCHMARK(BM_ReadPCIConfigDword);

void BM_AcquireRelease(benchmark::State& state) {
  Channel c;
  c.driver.Release();
  uint32_t e;
  for (auto _ : state) {
    c.driver.Acquire(&e, 2000);
    c.driver.Release();
  }
  c.driver.Acquire(&e, 2000);
}
BENCHMARK(BM_AcquireRelease);

void BM_SdkStartup(benchmark::State& state) {
  plat::SetLockNamespace("torvik-bench");
  for (auto _ : state) {
    std::string err;
    machines::SelectMachine("emulated", &err, emu::TimeBase::Mode::Virtual);
    CKMDriver driver;
    uint32_t e = 0;
    StartDriverChannel(driver, "/tmp", &e, nullptr);
    CreateSdkInterfaces(*QUARNSDK::GetInstance(), driver);
    ShutdownSdk(&driver);
  }
}
BENCHMARK(BM_SdkStartup)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
