// Single hardware accesses on the Linux host, through the kernel's own
// facilities:
//
//   ports      /dev/port (one byte per file offset), or iopl(3) and the
//              in/out instructions
//   MSRs       /dev/cpu/N/msr of the processor the calling thread runs on
//   physical   /dev/mem (pread/pwrite, mmap for kept mappings); the memory
//              BARs of display adapters through their sysfs resourceN files
//   PCI config /sys/bus/pci/devices/0000:BB:DD.F/config only: the kernel
//              owns ports 0xCF8/0xCFC, so the configuration mechanism
//              through those ports is played on top of sysfs and never
//              reaches them
//   SMI        out to 0xB2 with iopl
//
// Ports that a kernel driver claimed (/proc/ioports: an SMBus host driver,
// a Super I/O monitor driver, which also owns the configuration ports
// 0x2E/0x4E) are refused instead of colliding with it.
//
// Kernels and virtual machines lack some of these (no msr module, lockdown,
// no /dev/mem, iopl compiled out). Each facility is detected once by Probe();
// what is missing stays missing: its accesses fail, they never invent a value.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "driver/HardwareAccess.h"
#include "platform/host/KernelBuses.h"
#include "platform/host/PciBarWindows.h"

namespace plat {

struct HostAccessOptions {
  // Prefix of every /dev and /sys path; empty for the real system. Under a
  // prefix, iopl and the port instructions are never used.
  std::string root;
  // Allow iopl(3) and the in/out instructions.
  bool useIopl = true;
  // The program that loads the msr module; empty = the usual locations of
  // modprobe.
  std::string modprobe;
};

struct FacilityState {
  bool available = false;
  std::string detail;  // how it is reached, or why it is not
  int error = 0;       // errno that made it unavailable (0 when available)
};

struct HostFacilities {
  FacilityState ports, msr, physical, pci, smi;
  bool nativePorts = false;   // iopl succeeded: exact 8/16/32-bit port accesses
  bool portDevice = false;    // /dev/port is open
  bool msrWritable = false;
  bool physicalWritable = false;
  bool pciSysfs = false;      // configuration space through sysfs
  bool pciWritable = false;
  int pciWriteError = 0;      // why sysfs configuration space is read-only
};

class HostHardwareAccess : public drv::HardwareAccess {
 public:
  explicit HostHardwareAccess(HostAccessOptions options = {});
  ~HostHardwareAccess() override;
  HostHardwareAccess(const HostHardwareAccess&) = delete;
  HostHardwareAccess& operator=(const HostHardwareAccess&) = delete;

  // Detects (again) what is reachable. Accesses probe on first use.
  void Probe();
  HostFacilities Facilities();
  // One line per facility: "<facility>: available: ..." or
  // "<facility>: not available: <reason>".
  std::string Describe();

  const HostAccessOptions& Options() const { return options_; }

  bool PortRead(uint16_t port, int width, uint32_t* value) override;
  bool PortWrite(uint16_t port, int width, uint32_t value) override;

  bool MsrRead(uint32_t index, uint64_t* value) override;
  bool MsrWrite(uint32_t index, uint64_t value) override;

  bool PhysicalRead(uint64_t address, void* buffer, uint32_t length) override;
  bool PhysicalWrite(uint64_t address, const void* buffer, uint32_t length) override;
  uint64_t PhysicalMap(uint64_t address, uint32_t length) override;
  bool PhysicalReadMapped(uint64_t handle, uint32_t offset, void* buffer, uint32_t length) override;
  void PhysicalUnmap(uint64_t handle, uint32_t length) override;

  uint32_t PciConfigRead(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, void* buffer,
                         uint32_t length) override;
  uint32_t PciConfigWrite(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, const void* buffer,
                          uint32_t length) override;

  bool CallSmi(uint32_t regs[4]) override;
  void StallMicroseconds(uint32_t us) override;

 private:
  struct Mapping {
    void* base = nullptr;  // page-aligned start of the mmap
    size_t size = 0;
    uint32_t length = 0;   // the caller's length from the handle on
  };

  struct BarMap {
    PciBarWindow window;
    uint8_t* base = nullptr;  // the whole region, mapped on first use
    size_t size = 0;
    bool writable = false;
    bool failed = false;
  };

  std::string Path(const char* path) const { return options_.root + path; }
  // A range inside a display adapter's BAR: its address in the mapping of
  // the BAR's sysfs resource file; null for any other range.
  uint8_t* BarPointer(uint64_t address, uint32_t length, bool write);
  void EnsureProbed();
  void ProbeLocked();
  void CloseAll();
  int MsrFd(int cpu);
  bool MsrAccess(uint32_t index, uint64_t* value, bool write);
  bool PortAccess(uint16_t port, int width, uint32_t* value, bool write);
  uint32_t PciSysfs(bool write, uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, void* buffer,
                    uint32_t length);
  // Ports 0xCF8-0xCFF: the address latch and the data window of
  // configuration mechanism #1, answered from sysfs.
  bool ConfigPortAccess(uint16_t port, int width, uint32_t* value, bool write);

  const HostAccessOptions options_;

  // Probe() holds it exclusively; accesses share it.
  std::shared_mutex stateMutex_;
  bool probed_ = false;
  HostFacilities facilities_;
  int portFd_ = -1;
  int memFd_ = -1;

  std::mutex msrMutex_;
  std::map<int, int> msrFds_;  // cpu -> fd (opened on first use)

  std::mutex barsMutex_;
  bool barsRead_ = false;
  std::vector<BarMap> bars_;

  std::mutex mappingsMutex_;
  std::map<uint64_t, Mapping> mappings_;  // handle -> mapping

  std::mutex configPortsMutex_;  // 0xCF8/0xCFC sequences
  uint32_t configAddress_ = 0;   // what was written to 0xCF8
  std::vector<IoClaim> claims_;  // /proc/ioports at the last probe

  // The functions sysfs lists, so that a bus scan does not open a file for
  // every absent function; listed again when a lookup misses and the list
  // is older than a second (hot-plugged functions).
  bool PciFunctionListed(uint32_t bus, uint32_t device, uint32_t function);
  std::mutex pciListMutex_;
  std::vector<bool> pciListed_;
  uint64_t pciListedAtNs_ = 0;

  // Read descriptors of the functions' config files, kept open: a bus scan
  // reads each function's header a dword at a time, and opening the file
  // for every dword costs more than the reads. -1 where none is open.
  int PciReadFd(size_t index, const char* path, bool reopen);
  std::mutex pciFdsMutex_;
  std::map<size_t, int> pciReadFds_;
  std::vector<int> pciRetiredFds_;  // replaced after a failed read
};

}  // namespace plat
