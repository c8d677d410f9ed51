#include "platform/host/NvmlLibrary.h"

#include <dlfcn.h>

#include <cstdint>

namespace plat {

namespace {

// NVML's published types (nvml.h): results are 0 on success; devices are
// opaque handles; the PCI record is nvmlPciInfo_t of the _v3 entry point.
using NvmlReturn = int;
using NvmlDevice = void*;
struct NvmlPciInfo {
  char busIdLegacy[16];
  unsigned domain, bus, device, pciDeviceId, pciSubSystemId;
  char busId[32];
};
struct NvmlUtilization {
  unsigned gpu, memory;
};
struct NvmlMemory {
  unsigned long long total, free, used;
};
constexpr int kTemperatureGpu = 0;  // NVML_TEMPERATURE_GPU
constexpr int kMaxDevices = 64;

class Nvml : public GpuManagementLibrary {
 public:
  ~Nvml() override {
    if (shutdown_ && started_) shutdown_();
    if (handle_) dlclose(handle_);
  }

  bool Load(const std::string& name) {
    handle_ = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) return false;
    bool ok = Take(init_, "nvmlInit_v2") && Take(shutdown_, "nvmlShutdown") && Take(count_, "nvmlDeviceGetCount_v2") &&
              Take(byIndex_, "nvmlDeviceGetHandleByIndex_v2") && Take(pci_, "nvmlDeviceGetPciInfo_v3") &&
              Take(temperature_, "nvmlDeviceGetTemperature") && Take(fan_, "nvmlDeviceGetFanSpeed") &&
              Take(utilization_, "nvmlDeviceGetUtilizationRates") && Take(clock_, "nvmlDeviceGetClockInfo") &&
              Take(maxClock_, "nvmlDeviceGetMaxClockInfo") &&
              Take(defaultClock_, "nvmlDeviceGetDefaultApplicationsClock") && Take(memory_, "nvmlDeviceGetMemoryInfo") &&
              Take(setClocks_, "nvmlDeviceSetApplicationsClocks");
    if (!ok || init_() != 0) return false;
    started_ = true;
    return true;
  }

  int DeviceCount() override {
    unsigned n = 0;
    if (count_(&n) != 0) return 0;
    return n > kMaxDevices ? kMaxDevices : static_cast<int>(n);
  }
  bool GetLocation(int index, Location* out) override {
    NvmlDevice d = nullptr;
    NvmlPciInfo info{};
    if (!Device(index, &d) || pci_(d, &info) != 0) return false;
    *out = {info.domain, info.bus, info.device, info.pciDeviceId, info.pciSubSystemId};
    return true;
  }
  bool Temperature(int index, unsigned* celsius) override {
    NvmlDevice d = nullptr;
    return Device(index, &d) && temperature_(d, kTemperatureGpu, celsius) == 0;
  }
  bool FanPercent(int index, unsigned* percent) override {
    NvmlDevice d = nullptr;
    return Device(index, &d) && fan_(d, percent) == 0;
  }
  bool Utilization(int index, unsigned* percent) override {
    NvmlDevice d = nullptr;
    NvmlUtilization u{};
    if (!Device(index, &d) || utilization_(d, &u) != 0) return false;
    *percent = u.gpu;
    return true;
  }
  bool ClockMHz(int index, Clock clock, unsigned* mhz) override {
    NvmlDevice d = nullptr;
    return Device(index, &d) && clock_(d, clock, mhz) == 0;
  }
  bool MaxClockMHz(int index, Clock clock, unsigned* mhz) override {
    NvmlDevice d = nullptr;
    return Device(index, &d) && maxClock_(d, clock, mhz) == 0;
  }
  bool DefaultClockMHz(int index, Clock clock, unsigned* mhz) override {
    NvmlDevice d = nullptr;
    return Device(index, &d) && defaultClock_(d, clock, mhz) == 0;
  }
  bool MemoryTotal(int index, uint64_t* bytes) override {
    NvmlDevice d = nullptr;
    NvmlMemory m{};
    if (!Device(index, &d) || memory_(d, &m) != 0) return false;
    *bytes = m.total;
    return true;
  }
  bool SetApplicationClocks(int index, unsigned memoryMHz, unsigned graphicsMHz) override {
    NvmlDevice d = nullptr;
    return Device(index, &d) && setClocks_(d, memoryMHz, graphicsMHz) == 0;
  }

 private:
  template <typename F>
  bool Take(F& fn, const char* symbol) {
    fn = reinterpret_cast<F>(dlsym(handle_, symbol));
    return fn != nullptr;
  }
  bool Device(int index, NvmlDevice* d) {
    return index >= 0 && index < kMaxDevices && byIndex_(static_cast<unsigned>(index), d) == 0;
  }

  void* handle_ = nullptr;
  bool started_ = false;
  NvmlReturn (*init_)() = nullptr;
  NvmlReturn (*shutdown_)() = nullptr;
  NvmlReturn (*count_)(unsigned*) = nullptr;
  NvmlReturn (*byIndex_)(unsigned, NvmlDevice*) = nullptr;
  NvmlReturn (*pci_)(NvmlDevice, NvmlPciInfo*) = nullptr;
  NvmlReturn (*temperature_)(NvmlDevice, int, unsigned*) = nullptr;
  NvmlReturn (*fan_)(NvmlDevice, unsigned*) = nullptr;
  NvmlReturn (*utilization_)(NvmlDevice, NvmlUtilization*) = nullptr;
  NvmlReturn (*clock_)(NvmlDevice, int, unsigned*) = nullptr;
  NvmlReturn (*maxClock_)(NvmlDevice, int, unsigned*) = nullptr;
  NvmlReturn (*defaultClock_)(NvmlDevice, int, unsigned*) = nullptr;
  NvmlReturn (*memory_)(NvmlDevice, NvmlMemory*) = nullptr;
  NvmlReturn (*setClocks_)(NvmlDevice, unsigned, unsigned) = nullptr;
};

}  // namespace

std::unique_ptr<GpuManagementLibrary> LoadNvml(const std::string& libraryName) {
  auto nvml = std::make_unique<Nvml>();
  if (!nvml->Load(libraryName)) return nullptr;
  return nvml;
}

}  // namespace plat
