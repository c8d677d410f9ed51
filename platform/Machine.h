// The machine the program runs on: the real host or an emulated board.
//
// What the SDK needs from the processor and the operating system rather than
// from the driver channel (CPUID, the time-stamp counter, affinity, sleeping,
// tick and performance counters, installed memory, the firmware tables the
// kernel exports) and the driver service behind the driver channel comes from
// the selected machine. SDK code never asks which machine it is on; only the
// user interface shows it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/PowerSupplies.h"

namespace drv {
class DriverService;
}

namespace plat {
class SmbusAdapter;
}

namespace plat {

class IntegratedClockLibrary;
class ClockControlComponent;
class GpuManagementLibrary;

struct CpuidRegs {
  uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

class Machine {
 public:
  virtual ~Machine() = default;

  // "host" or "emulated:<board>".
  virtual std::string Name() const = 0;
  virtual bool IsEmulated() const = 0;

  // Processors. Masks are bit i = logical processor i.
  virtual int ProcessorCount() = 0;
  virtual int CurrentProcessor() = 0;
  virtual CpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) = 0;  // on the current processor
  virtual uint64_t ReadTsc() = 0;                                 // on the current processor
  virtual bool SetThreadAffinity(uint64_t mask) = 0;              // calling thread
  virtual uint64_t GetThreadAffinity() = 0;
  virtual bool GetProcessAffinity(int pid, uint64_t* processMask, uint64_t* systemMask) = 0;
  // Every thread of process `pid` (0 = this one); on failure errno says why
  // (ESRCH gone, EPERM another user's, EINVAL no usable processor).
  virtual bool SetProcessAffinity(int pid, uint64_t mask) = 0;
  // The logical processors that are online and that this process may run
  // on, ascending (the set may be sparse). By default 0 .. count - 1.
  virtual std::vector<int> ProcessorIds();
  // The operating system's view of one logical processor.
  struct KernelCpu {
    int package = -1;
    int core = -1;
    int apicId = -1;  // -1 where the system does not publish it
  };
  // The operating system's package, core and APIC id of logical processor
  // `cpu`; false where it does not publish its topology.
  virtual bool KernelTopology(int /*cpu*/, KernelCpu* /*ids*/) { return false; }

  // Time.
  virtual void Sleep(uint32_t ms) = 0;
  // Gives the processor up for `us` microseconds (Sleep below a millisecond).
  virtual void SleepMicroseconds(uint32_t us) = 0;
  // Waits `us` microseconds without giving the processor up.
  virtual void StallMicroseconds(uint32_t us) = 0;
  virtual uint64_t TickCount() = 0;  // milliseconds
  virtual uint64_t PerformanceCounter() = 0;
  virtual uint64_t PerformanceFrequency() = 0;

  // Installed physical memory in bytes as the operating system reports it.
  virtual uint64_t TotalPhysicalMemory() = 0;

  // Firmware tables as the operating system exports them: the ACPI table
  // with a four-character signature ("FACP", "HPET", ...), and the SMBIOS
  // entry point and structure table. False where the operating system has no
  // copy; callers then look in the firmware's own memory through the driver
  // channel. At most `limit` bytes are returned.
  virtual bool AcpiTable(const std::string& signature, size_t limit, std::vector<uint8_t>* out) { return false; }
  virtual bool SmbiosTables(size_t limit, std::vector<uint8_t>* entryPoint, std::vector<uint8_t>* table) {
    return false;
  }

  // The service the driver channel installs, opens and removes.
  virtual drv::DriverService& DriverService() = 0;
  // The adapter through which the operating system's own driver runs the
  // SMBus host at this PCI function, when such a driver is bound to it; the
  // host's registers are then not the program's to drive. Null otherwise.
  virtual std::shared_ptr<SmbusAdapter> KernelSmbusAdapter(uint32_t bus, uint32_t device, uint32_t function) {
    (void)bus, (void)device, (void)function;
    return nullptr;
  }

  // Batteries and power supplies the operating system reports; none on a
  // machine without them.
  virtual std::vector<PowerSupply> PowerSupplies() { return {}; }

  // The chipset's integrated clock components (ChipsetClock.h); null when
  // the machine offers no route to them.
  virtual std::unique_ptr<IntegratedClockLibrary> LoadIntegratedClockLibrary();
  virtual std::unique_ptr<ClockControlComponent> CreateClockControlComponent();

  // Graphics (GraphicsDevices.h). The graphics driver's management library,
  // null when it is not installed or does not start.
  virtual std::unique_ptr<GpuManagementLibrary> LoadGpuManagementLibrary();
  // The I2C adapters the graphics driver registered for the adapter at this
  // PCI function, in the driver's order (the card's I2C ports); none when no
  // driver is bound or i2c-dev is missing.
  virtual std::vector<std::shared_ptr<SmbusAdapter>> GraphicsI2CAdapters(uint32_t bus, uint32_t device,
                                                                        uint32_t function);
  // One attribute file of the graphics driver for that adapter ("gpu_busy_percent",
  // or "hwmon/temp1_input" for its hardware-monitor directory), as text; false
  // when the driver offers no such file.
  virtual bool GraphicsAttribute(uint32_t bus, uint32_t device, uint32_t function, const std::string& name,
                                 std::string* text);
};

// The machine of this process. Until one is set, the host.
Machine& CurrentMachine();
std::shared_ptr<Machine> CurrentMachinePtr();
void SetCurrentMachine(std::shared_ptr<Machine> machine);

// Factory for the host machine; installed by the host library so that the
// core platform library does not depend on it.
using MachineFactory = std::shared_ptr<Machine> (*)();
void SetDefaultMachineFactory(MachineFactory factory);

}  // namespace plat
