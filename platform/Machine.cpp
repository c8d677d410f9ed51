#include "platform/Machine.h"

#include "platform/ChipsetClock.h"
#include "platform/GraphicsDevices.h"
#include "platform/SmbusAdapter.h"

#include <cstdlib>
#include <cstdio>
#include <atomic>
#include <mutex>

namespace plat {

namespace {
std::mutex g_mutex;
std::shared_ptr<Machine> g_machine;
std::atomic<Machine*> g_raw{nullptr};
MachineFactory g_factory = nullptr;
}  // namespace

std::shared_ptr<Machine> CurrentMachinePtr() {
  std::lock_guard<std::mutex> g(g_mutex);
  if (!g_machine) {
    if (!g_factory) {
      std::fprintf(stderr, "no machine selected\n");
      std::abort();
    }
    g_machine = g_factory();
    g_raw.store(g_machine.get());
  }
  return g_machine;
}

std::vector<int> Machine::ProcessorIds() {
  std::vector<int> ids;
  const int n = ProcessorCount();
  for (int i = 0; i < n; ++i) ids.push_back(i);
  return ids;
}

Machine& CurrentMachine() {
  if (Machine* m = g_raw.load(std::memory_order_acquire)) return *m;
  return *CurrentMachinePtr();
}

void SetCurrentMachine(std::shared_ptr<Machine> machine) {
  std::lock_guard<std::mutex> g(g_mutex);
  g_machine = std::move(machine);
  g_raw.store(g_machine.get());
}

void SetDefaultMachineFactory(MachineFactory factory) {
  std::lock_guard<std::mutex> g(g_mutex);
  g_factory = factory;
}

std::unique_ptr<IntegratedClockLibrary> Machine::LoadIntegratedClockLibrary() { return nullptr; }
std::unique_ptr<ClockControlComponent> Machine::CreateClockControlComponent() { return nullptr; }
std::unique_ptr<GpuManagementLibrary> Machine::LoadGpuManagementLibrary() { return nullptr; }
std::vector<std::shared_ptr<SmbusAdapter>> Machine::GraphicsI2CAdapters(uint32_t, uint32_t, uint32_t) { return {}; }
bool Machine::GraphicsAttribute(uint32_t, uint32_t, uint32_t, const std::string&, std::string*) { return false; }

}  // namespace plat
