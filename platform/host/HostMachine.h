// The Linux host as the machine: the processor's own CPUID and time-stamp
// counter, the scheduler's affinity, the monotonic clock, and a driver
// service whose device performs requests with the kernel's port, MSR,
// physical-memory and PCI facilities.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "driver/DriverEndpoint.h"
#include "platform/ChipsetClock.h"
#include "platform/Machine.h"
#include "platform/host/HostHardwareAccess.h"

namespace drv {
class KmioDevice;
}

namespace plat {

// The facilities among I/O ports, MSRs and physical memory that are not
// available, named for someone who started the program without root (the
// kernel gives them to root only): "I/O ports, MSRs and physical memory".
// Empty when all three are available.
std::string RootOnlyFacilitiesMissing(const HostFacilities& facilities);

// "Installing" the driver on the host means making the kernel facilities
// reachable (loading the msr module when its device files are missing) and
// finding at least one of them usable. Nothing is unloaded on removal.
class HostDriverService : public drv::DriverService {
 public:
  explicit HostDriverService(HostAccessOptions options = {});
  ~HostDriverService() override;

  // Fails with kErrorAccessDenied when the process is not privileged enough
  // (not root, or a facility refused with EACCES/EPERM), else kErrorNoDevice,
  // when none of ports, MSRs, physical memory or writable PCI configuration
  // space is usable.
  bool Install(uint32_t* error) override;
  bool IsInstalled() override;
  // The one device of this service; it lives as long as the service so that
  // kept physical mappings survive between acquisitions of the channel.
  drv::DriverDevice* OpenDevice(uint32_t* error) override;
  void CloseDevice(drv::DriverDevice* device) override;
  bool Uninstall(bool stop, bool remove, uint32_t* error) override;
  std::string Describe() override;

  HostHardwareAccess& Hardware() { return hw_; }

 private:
  std::string LoadMsrModule();

  std::mutex mutex_;
  HostHardwareAccess hw_;
  std::unique_ptr<drv::KmioDevice> device_;  // declared after hw_: destroyed first
  bool installed_ = false;
  std::string moduleResult_;  // what loading the msr module gave, when it was tried
};

class HostMachine : public Machine {
 public:
  explicit HostMachine(HostAccessOptions options = {});

  std::string Name() const override { return "host"; }
  bool IsEmulated() const override { return false; }

  int ProcessorCount() override;
  int CurrentProcessor() override;
  CpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) override;
  uint64_t ReadTsc() override;
  bool SetThreadAffinity(uint64_t mask) override;
  uint64_t GetThreadAffinity() override;
  // pid 0 is this process. The system mask holds every online processor.
  bool GetProcessAffinity(int pid, uint64_t* processMask, uint64_t* systemMask) override;
  // Sets the mask on every thread of the process.
  bool SetProcessAffinity(int pid, uint64_t mask) override;
  // /sys/devices/system/cpu/online within the process's affinity (cpusets).
  std::vector<int> ProcessorIds() override;
  // /sys/devices/system/cpu/cpuN/topology, the APIC id from /proc/cpuinfo
  // (read once).
  bool KernelTopology(int cpu, KernelCpu* ids) override;

  void Sleep(uint32_t ms) override;
  void SleepMicroseconds(uint32_t us) override;
  void StallMicroseconds(uint32_t us) override;
  uint64_t TickCount() override;
  uint64_t PerformanceCounter() override;  // nanoseconds of CLOCK_MONOTONIC
  uint64_t PerformanceFrequency() override { return 1000000000ull; }

  uint64_t TotalPhysicalMemory() override;

  // i2c-dev of the kernel driver bound to that PCI function, if any.
  std::shared_ptr<SmbusAdapter> KernelSmbusAdapter(uint32_t bus, uint32_t device, uint32_t function) override;
  // From /sys/firmware/acpi/tables and /sys/firmware/dmi/tables (under the
  // options' root directory).
  bool AcpiTable(const std::string& signature, size_t limit, std::vector<uint8_t>* out) override;
  bool SmbiosTables(size_t limit, std::vector<uint8_t>* entryPoint, std::vector<uint8_t>* table) override;

  drv::DriverService& DriverService() override { return service_; }
  // The kernel's list under /sys/class/power_supply.
  std::vector<PowerSupply> PowerSupplies() override { return ReadPowerSupplies("/sys/class/power_supply"); }
  HostDriverService& HostService() { return service_; }

  // Linux offers no public route to the chipset's clock firmware: the
  // integrated clock library and the clock-control component are absent.
  std::unique_ptr<IntegratedClockLibrary> LoadIntegratedClockLibrary() override { return nullptr; }
  std::unique_ptr<GpuManagementLibrary> LoadGpuManagementLibrary() override;
  std::vector<std::shared_ptr<SmbusAdapter>> GraphicsI2CAdapters(uint32_t bus, uint32_t device,
                                                                uint32_t function) override;
  bool GraphicsAttribute(uint32_t bus, uint32_t device, uint32_t function, const std::string& name,
                         std::string* text) override;
  std::unique_ptr<ClockControlComponent> CreateClockControlComponent() override { return nullptr; }

 private:
  std::string root_;  // prefix of every operating-system path, "" on a real run
  HostDriverService service_;
  std::once_flag apicIdsRead_;
  std::map<int, int> kernelApicIds_;  // logical processor -> APIC id
};

// Makes the host the machine a process gets when it selects none.
void InstallHostMachineFactory();

}  // namespace plat
