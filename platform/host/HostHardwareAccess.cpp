#include "platform/host/HostHardwareAccess.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define TORVIK_HOST_X86 1
#else
#define TORVIK_HOST_X86 0
#endif

namespace plat {

namespace {

std::string Reason(const std::string& what, int error) {
  if (error == ENOENT) return what + " missing";
  return what + ": " + std::strerror(error);
}

bool IsPermissionError(int error) { return error == EACCES || error == EPERM; }

// Opens read-write, or read-only when only writing is refused. `writable`
// tells which; `error` receives the errno of the first failure.
int OpenRw(const std::string& path, bool* writable, int* error) {
  *error = 0;
  *writable = false;
  int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd >= 0) {
    *writable = true;
    return fd;
  }
  *error = errno;
  if (!IsPermissionError(*error) && *error != EROFS) return -1;
  fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) *error = errno;
  return fd;
}

// Full transfers only: device files may return less than asked.
bool PreadAll(int fd, void* buffer, size_t length, uint64_t offset) {
  auto* p = static_cast<uint8_t*>(buffer);
  while (length > 0) {
    ssize_t n = pread(fd, p, length, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    offset += static_cast<uint64_t>(n);
    length -= static_cast<size_t>(n);
  }
  return true;
}

bool PwriteAll(int fd, const void* buffer, size_t length, uint64_t offset) {
  const auto* p = static_cast<const uint8_t*>(buffer);
  while (length > 0) {
    ssize_t n = pwrite(fd, p, length, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    offset += static_cast<uint64_t>(n);
    length -= static_cast<size_t>(n);
  }
  return true;
}

// A range of a file offset (physical address, port) must fit in off_t.
bool FitsOffset(uint64_t offset, uint64_t length) {
  constexpr uint64_t kMax = static_cast<uint64_t>(INT64_MAX);
  return offset <= kMax && length <= kMax - offset;
}

#if TORVIK_HOST_X86
// iopl is a property of the thread on current kernels: every thread that
// executes in/out raises its own level first.
thread_local bool t_ioplRaised = false;

bool RaiseIopl(int* error) {
  if (t_ioplRaised) return true;
  if (iopl(3) == 0) {
    t_ioplRaised = true;
    return true;
  }
  if (error) *error = errno;
  return false;
}

uint32_t NativeIn(uint16_t port, int width) {
  if (width == 1) {
    uint8_t v;
    asm volatile("inb %w1, %b0" : "=a"(v) : "Nd"(port));
    return v;
  }
  if (width == 2) {
    uint16_t v;
    asm volatile("inw %w1, %w0" : "=a"(v) : "Nd"(port));
    return v;
  }
  uint32_t v;
  asm volatile("inl %w1, %0" : "=a"(v) : "Nd"(port));
  return v;
}

void NativeOut(uint16_t port, int width, uint32_t value) {
  if (width == 1)
    asm volatile("outb %b0, %w1" : : "a"(static_cast<uint8_t>(value)), "Nd"(port));
  else if (width == 2)
    asm volatile("outw %w0, %w1" : : "a"(static_cast<uint16_t>(value)), "Nd"(port));
  else
    asm volatile("outl %0, %w1" : : "a"(value), "Nd"(port));
}
#else
bool RaiseIopl(int* error) {
  if (error) *error = ENOSYS;
  return false;
}
uint32_t NativeIn(uint16_t, int) { return 0; }
void NativeOut(uint16_t, int, uint32_t) {}
#endif

std::string Line(const char* name, const FacilityState& f) {
  return std::string(name) + (f.available ? ": available: " : ": not available: ") + f.detail + "\n";
}

}  // namespace

HostHardwareAccess::HostHardwareAccess(HostAccessOptions options) : options_(std::move(options)) {}

HostHardwareAccess::~HostHardwareAccess() {
  {
    std::lock_guard<std::mutex> g(mappingsMutex_);
    for (auto& [handle, m] : mappings_)
      if (m.base) munmap(m.base, m.size);
    mappings_.clear();
  }
  {
    std::lock_guard<std::mutex> g(barsMutex_);
    for (BarMap& b : bars_)
      if (b.base) munmap(b.base, b.size);
  }
  CloseAll();
}

void HostHardwareAccess::CloseAll() {
  if (portFd_ >= 0) close(portFd_);
  if (memFd_ >= 0) close(memFd_);
  portFd_ = memFd_ = -1;
  std::lock_guard<std::mutex> g(msrMutex_);
  for (auto& [cpu, fd] : msrFds_) close(fd);
  msrFds_.clear();
  // Callers hold stateMutex_ exclusively or are the destructor: no
  // configuration read is using these.
  std::lock_guard<std::mutex> p(pciFdsMutex_);
  for (auto& [index, fd] : pciReadFds_) close(fd);
  for (int fd : pciRetiredFds_) close(fd);
  pciReadFds_.clear();
  pciRetiredFds_.clear();
}

void HostHardwareAccess::Probe() {
  std::unique_lock<std::shared_mutex> l(stateMutex_);
  ProbeLocked();
}

void HostHardwareAccess::EnsureProbed() {
  {
    std::shared_lock<std::shared_mutex> l(stateMutex_);
    if (probed_) return;
  }
  std::unique_lock<std::shared_mutex> l(stateMutex_);
  if (!probed_) ProbeLocked();
}

void HostHardwareAccess::ProbeLocked() {
  CloseAll();
  facilities_ = HostFacilities{};
  HostFacilities& f = facilities_;
  claims_ = ReadIoPorts(options_.root);
  bool writable = false;
  int error = 0;

  // Ports. /dev/port moves one byte per file offset, so a 16- or 32-bit
  // access through it becomes separate byte accesses; the in/out
  // instructions (iopl) give exact widths.
  const std::string portPath = Path("/dev/port");
  portFd_ = OpenRw(portPath, &writable, &error);
  const int portError = portFd_ < 0 ? error : 0;
  f.portDevice = portFd_ >= 0;
  int ioplError = 0;
  std::string ioplText;
  if (!options_.useIopl || !options_.root.empty() || !TORVIK_HOST_X86) {
    ioplText = "iopl not used";
    ioplError = ENOSYS;
  } else if (RaiseIopl(&ioplError)) {
    f.nativePorts = true;
    ioplText = "iopl";
  } else {
    ioplText = Reason("iopl", ioplError);
  }
  f.ports.available = f.portDevice || f.nativePorts;
  if (f.nativePorts && f.portDevice) {
    f.ports.detail = portPath + " (bytes), iopl (16/32-bit)";
  } else if (f.nativePorts) {
    f.ports.detail = Reason(portPath, portError) + ", iopl";
  } else if (f.portDevice) {
    f.ports.detail = portPath + " byte by byte (16/32-bit writes refused), " + ioplText;
  } else {
    f.ports.detail = Reason(portPath, portError) + ", " + ioplText;
    f.ports.error = IsPermissionError(ioplError) ? ioplError : portError;
  }

  // MSRs: one device file per logical processor, from the msr module.
  const std::string msrPath = Path("/dev/cpu/0/msr");
  int msrFd = OpenRw(msrPath, &writable, &error);
  if (msrFd >= 0) {
    f.msr.available = true;
    f.msrWritable = writable;
    f.msr.detail = Path("/dev/cpu/N/msr");
    f.msr.detail += writable ? " (read-write)" : " (read-only: " + Reason(msrPath, error) + ")";
    std::lock_guard<std::mutex> g(msrMutex_);
    msrFds_[0] = msrFd;
  } else {
    f.msr.detail = Reason(msrPath, error);
    f.msr.error = error;
  }

  // Physical memory.
  const std::string memPath = Path("/dev/mem");
  memFd_ = OpenRw(memPath, &writable, &error);
  if (memFd_ >= 0) {
    f.physical.available = true;
    f.physicalWritable = writable;
    f.physical.detail = memPath + (writable ? " (read-write)" : " (read-only)");
  } else {
    f.physical.detail = Reason(memPath, error);
    f.physical.error = error;
  }

  // PCI configuration space: sysfs, else mechanism #1 with exact-width ports.
  const std::string pciPath = Path("/sys/bus/pci/devices");
  if (DIR* dir = opendir(pciPath.c_str())) {
    f.pciSysfs = true;
    f.pci.available = true;
    std::string first;
    while (dirent* e = readdir(dir)) {
      if (e->d_name[0] != '.') {
        first = e->d_name;
        break;
      }
    }
    closedir(dir);
    if (first.empty()) {
      f.pci.detail = pciPath + " (no devices)";
    } else {
      const std::string config = pciPath + "/" + first + "/config";
      int fd = open(config.c_str(), O_RDWR | O_CLOEXEC);
      if (fd >= 0) {
        f.pciWritable = true;
        close(fd);
        f.pci.detail = pciPath + " (read-write)";
      } else {
        f.pciWriteError = errno;
        f.pci.detail = pciPath + " (read-only: " + Reason(config, errno) + ")";
      }
    }
  } else {
    // Ports 0xCF8/0xCFC belong to the kernel, which serialises its own
    // configuration cycles on them: without sysfs there is no access.
    const int dirError = errno;
    f.pci.detail = Reason(pciPath, dirError) + " (configuration space only through sysfs)";
    f.pci.error = dirError;
  }

  // System management interrupts: out to 0xB2 needs the port instructions.
  f.smi.available = f.nativePorts;
  f.smi.detail = f.nativePorts ? "out to port 0xB2 with iopl" : "needs iopl (" + ioplText + ")";
  if (!f.nativePorts) f.smi.error = ioplError;

  probed_ = true;
}

HostFacilities HostHardwareAccess::Facilities() {
  EnsureProbed();
  std::shared_lock<std::shared_mutex> l(stateMutex_);
  return facilities_;
}

std::string HostHardwareAccess::Describe() {
  const HostFacilities f = Facilities();
  std::string text = Line("ports", f.ports) + Line("MSR", f.msr) + Line("physical memory", f.physical) +
                     Line("PCI config", f.pci) + Line("SMI", f.smi);
  // The route each bus takes where the kernel has a driver of its own.
  text += std::string("PCI config route: ") +
          (f.pciSysfs ? "sysfs, also for the port mechanism 0xCF8/0xCFC" : "none (no sysfs)") + "\n";
  for (const std::string& line : SmbusRoutes(options_.root)) text += line + "\n";
  std::string held;
  bool superIo = false;
  {
    std::shared_lock<std::shared_mutex> l(stateMutex_);
    for (const IoClaim& c : claims_) {
      if (!KernelPortOwner(std::vector<IoClaim>{c}, c.first, c.last)) continue;
      char range[24];
      std::snprintf(range, sizeof(range), " %04x-%04x", c.first, c.last);
      held += (held.empty() ? "" : ", ") + c.name + range;
    }
    superIo = KernelPortOwner(claims_, 0x2E, 0x2F) || KernelPortOwner(claims_, 0x4E, 0x4F);
  }
  text += "ports held by kernel drivers (refused): " + (held.empty() ? std::string("none") : held) +
          (superIo ? "; Super I/O configuration ports 0x2E/0x4E too" : "") + "\n";
  return text;
}

// ---------------------------------------------------------------- ports

bool HostHardwareAccess::PortAccess(uint16_t port, int width, uint32_t* value, bool write) {
  if (width != 1 && width != 2 && width != 4) return false;
  if (static_cast<uint32_t>(port) + static_cast<uint32_t>(width) > 0x10000) return false;
  EnsureProbed();
  std::shared_lock<std::shared_mutex> l(stateMutex_);
  const uint32_t last = static_cast<uint32_t>(port) + static_cast<uint32_t>(width) - 1;
  if (port <= 0xCFF && last >= 0xCF8) return ConfigPortAccess(port, width, value, write);
  // A port a kernel driver claimed is the kernel's: refused, never shared.
  if (KernelPortOwner(claims_, port, last)) return false;
  if (!facilities_.ports.available) return false;

  const bool native = facilities_.nativePorts && (width != 1 || portFd_ < 0);
  if (native) {
    if (!RaiseIopl(nullptr)) return false;
    if (write)
      NativeOut(port, width, *value);
    else
      *value = NativeIn(port, width);
    return true;
  }
  if (portFd_ < 0) return false;
  if (write) {
    // Through /dev/port a wider write would reach port+1.. as separate byte
    // writes (a dword to 0xCF8 writes 0xCF9, the reset control register).
    if (width != 1) return false;
    const uint8_t byte = static_cast<uint8_t>(*value);
    return PwriteAll(portFd_, &byte, 1, port);
  }
  uint8_t bytes[4] = {};
  if (!PreadAll(portFd_, bytes, static_cast<size_t>(width), port)) return false;
  uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = v << 8 | bytes[i];
  *value = v;
  return true;
}

bool HostHardwareAccess::PortRead(uint16_t port, int width, uint32_t* value) {
  uint32_t v = 0;
  if (!PortAccess(port, width, &v, false)) return false;
  *value = v;
  return true;
}

bool HostHardwareAccess::PortWrite(uint16_t port, int width, uint32_t value) {
  return PortAccess(port, width, &value, true);
}

// ---------------------------------------------------------------- MSRs

int HostHardwareAccess::MsrFd(int cpu) {
  std::lock_guard<std::mutex> g(msrMutex_);
  auto it = msrFds_.find(cpu);
  if (it != msrFds_.end()) return it->second;
  const std::string path = Path(("/dev/cpu/" + std::to_string(cpu) + "/msr").c_str());
  bool writable = false;
  int error = 0;
  int fd = OpenRw(path, &writable, &error);
  if (fd >= 0) msrFds_[cpu] = fd;
  return fd;
}

bool HostHardwareAccess::MsrAccess(uint32_t index, uint64_t* value, bool write) {
  EnsureProbed();
  std::shared_lock<std::shared_mutex> l(stateMutex_);
  if (!facilities_.msr.available) return false;
  if (write && !facilities_.msrWritable) return false;

  // The access goes to the processor the thread runs on now; keep the
  // thread there until it is done, then give back its own affinity.
  const int cpu = sched_getcpu();
  if (cpu < 0) return false;
  cpu_set_t previous;
  CPU_ZERO(&previous);
  bool pinned = false;
  if (sched_getaffinity(0, sizeof(previous), &previous) == 0) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    pinned = sched_setaffinity(0, sizeof(one), &one) == 0;
  }
  bool ok = false;
  const int fd = MsrFd(cpu);
  if (fd >= 0) {
    uint64_t v = write ? *value : 0;
    ok = write ? PwriteAll(fd, &v, sizeof(v), index) : PreadAll(fd, &v, sizeof(v), index);
    if (ok && !write) *value = v;
  }
  if (pinned) sched_setaffinity(0, sizeof(previous), &previous);
  return ok;
}

bool HostHardwareAccess::MsrRead(uint32_t index, uint64_t* value) { return MsrAccess(index, value, false); }

bool HostHardwareAccess::MsrWrite(uint32_t index, uint64_t value) { return MsrAccess(index, &value, true); }

// ---------------------------------------------------------------- physical memory

namespace {

// Device memory: one load or store of the access's own width when it is 1,
// 2 or 4 bytes and aligned, else byte by byte; never wider or repeated.
void DeviceCopy(volatile uint8_t* device, uint8_t* memory, uint32_t length, bool toDevice) {
  const uintptr_t at = reinterpret_cast<uintptr_t>(device);
  if (length == 4 && !(at & 3)) {
    auto* d = reinterpret_cast<volatile uint32_t*>(device);
    uint32_t v;
    if (toDevice) {
      std::memcpy(&v, memory, 4);
      *d = v;
    } else {
      v = *d;
      std::memcpy(memory, &v, 4);
    }
    return;
  }
  if (length == 2 && !(at & 1)) {
    auto* d = reinterpret_cast<volatile uint16_t*>(device);
    uint16_t v;
    if (toDevice) {
      std::memcpy(&v, memory, 2);
      *d = v;
    } else {
      v = *d;
      std::memcpy(memory, &v, 2);
    }
    return;
  }
  for (uint32_t i = 0; i < length; ++i) {
    if (toDevice) device[i] = memory[i];
    else memory[i] = device[i];
  }
}

}  // namespace

uint8_t* HostHardwareAccess::BarPointer(uint64_t address, uint32_t length, bool write) {
  std::lock_guard<std::mutex> g(barsMutex_);
  if (!barsRead_) {
    barsRead_ = true;
    for (PciBarWindow& w : ReadDisplayBarWindows(options_.root)) bars_.push_back({std::move(w)});
  }
  for (BarMap& b : bars_) {
    if (address < b.window.start || address + length - 1 > b.window.end) continue;
    if (!b.base && !b.failed) {
      const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
      const size_t size = ((b.window.end - b.window.start + 1) + page - 1) & ~(page - 1);
      int fd = open(b.window.file.c_str(), O_RDWR | O_CLOEXEC);
      bool rw = fd >= 0;
      if (fd < 0) fd = open(b.window.file.c_str(), O_RDONLY | O_CLOEXEC);
      void* p = fd >= 0 ? mmap(nullptr, size, PROT_READ | (rw ? PROT_WRITE : 0), MAP_SHARED, fd, 0) : MAP_FAILED;
      if (fd >= 0) close(fd);
      if (p == MAP_FAILED) {
        b.failed = true;
      } else {
        b.base = static_cast<uint8_t*>(p);
        b.size = size;
        b.writable = rw;
      }
    }
    if (!b.base || (write && !b.writable)) return nullptr;
    return b.base + (address - b.window.start);
  }
  return nullptr;
}

bool HostHardwareAccess::PhysicalRead(uint64_t address, void* buffer, uint32_t length) {
  if (!buffer || length == 0 || !FitsOffset(address, length)) return false;
  if (uint8_t* bar = BarPointer(address, length, false)) {
    DeviceCopy(bar, static_cast<uint8_t*>(buffer), length, false);
    return true;
  }
  EnsureProbed();
  std::shared_lock<std::shared_mutex> l(stateMutex_);
  if (memFd_ < 0) return false;
  return PreadAll(memFd_, buffer, length, address);
}

bool HostHardwareAccess::PhysicalWrite(uint64_t address, const void* buffer, uint32_t length) {
  if (!buffer || length == 0 || !FitsOffset(address, length)) return false;
  if (uint8_t* bar = BarPointer(address, length, true)) {
    DeviceCopy(bar, const_cast<uint8_t*>(static_cast<const uint8_t*>(buffer)), length, true);
    return true;
  }
  EnsureProbed();
  std::shared_lock<std::shared_mutex> l(stateMutex_);
  if (memFd_ < 0 || !facilities_.physicalWritable) return false;
  return PwriteAll(memFd_, buffer, length, address);
}

uint64_t HostHardwareAccess::PhysicalMap(uint64_t address, uint32_t length) {
  if (length == 0 || !FitsOffset(address, length)) return 0;
  if (uint8_t* bar = BarPointer(address, length, false)) {
    // Inside a BAR mapping that lives as long as this object.
    const uint64_t handle = reinterpret_cast<uintptr_t>(bar);
    std::lock_guard<std::mutex> g(mappingsMutex_);
    mappings_[handle] = Mapping{nullptr, 0, length};
    return handle;
  }
  EnsureProbed();
  std::shared_lock<std::shared_mutex> l(stateMutex_);
  if (memFd_ < 0) return 0;
  const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  const uint64_t base = address & ~(page - 1);
  const uint64_t size = (address - base + length + page - 1) & ~(page - 1);
  const int prot = PROT_READ | (facilities_.physicalWritable ? PROT_WRITE : 0);
  void* p = mmap(nullptr, size, prot, MAP_SHARED, memFd_, static_cast<off_t>(base));
  if (p == MAP_FAILED) return 0;
  const uint64_t handle = reinterpret_cast<uintptr_t>(p) + (address - base);
  std::lock_guard<std::mutex> g(mappingsMutex_);
  mappings_[handle] = Mapping{p, size, length};
  return handle;
}

bool HostHardwareAccess::PhysicalReadMapped(uint64_t handle, uint32_t offset, void* buffer, uint32_t length) {
  if (!buffer || length == 0) return false;
  std::lock_guard<std::mutex> g(mappingsMutex_);
  auto it = mappings_.find(handle);
  if (it == mappings_.end()) return false;
  if (static_cast<uint64_t>(offset) + length > it->second.length) return false;
  const uintptr_t source = static_cast<uintptr_t>(handle) + offset;
  auto* dest = static_cast<uint8_t*>(buffer);
  // Device memory: every location is read exactly once, dword-wide when the
  // range allows it, never with wider or repeated loads.
  if ((source & 3) == 0 && (length & 3) == 0) {
    const volatile uint32_t* s = reinterpret_cast<const volatile uint32_t*>(source);
    for (uint32_t i = 0; i < length / 4; ++i) {
      const uint32_t v = s[i];
      std::memcpy(dest + 4 * i, &v, 4);
    }
  } else {
    const volatile uint8_t* s = reinterpret_cast<const volatile uint8_t*>(source);
    for (uint32_t i = 0; i < length; ++i) dest[i] = s[i];
  }
  return true;
}

void HostHardwareAccess::PhysicalUnmap(uint64_t handle, uint32_t length) {
  std::lock_guard<std::mutex> g(mappingsMutex_);
  auto it = mappings_.find(handle);
  if (it == mappings_.end()) return;
  if (it->second.base) munmap(it->second.base, it->second.size);
  mappings_.erase(it);
}

// ---------------------------------------------------------------- PCI configuration

bool HostHardwareAccess::PciFunctionListed(uint32_t bus, uint32_t device, uint32_t function) {
  const size_t index = (bus & 0xFF) << 8 | (device & 0x1F) << 3 | (function & 7);
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t now = static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
  std::lock_guard<std::mutex> g(pciListMutex_);
  if (!pciListed_.empty() && (pciListed_[index] || now - pciListedAtNs_ < 1000000000ull)) return pciListed_[index];
  DIR* dir = opendir(Path("/sys/bus/pci/devices").c_str());
  if (!dir) return true;  // no list to go by: try the file itself
  pciListed_.assign(65536, false);
  while (dirent* e = readdir(dir)) {
    unsigned domain = 0, b = 0, d = 0, f = 0;
    char tail = 0;
    if (std::sscanf(e->d_name, "%x:%x:%x.%x%c", &domain, &b, &d, &f, &tail) != 4) continue;
    if (domain == 0 && b <= 0xFF && d <= 0x1F && f <= 7) pciListed_[b << 8 | d << 3 | f] = true;
  }
  closedir(dir);
  pciListedAtNs_ = now;
  return pciListed_[index];
}

int HostHardwareAccess::PciReadFd(size_t index, const char* path, bool reopen) {
  // Beyond this many functions the rest are opened per access, well inside
  // the usual limit of 1024 descriptors.
  constexpr size_t kMaxKept = 512;
  std::lock_guard<std::mutex> g(pciFdsMutex_);
  auto it = pciReadFds_.find(index);
  if (it != pciReadFds_.end()) {
    if (!reopen) return it->second;
    // Another thread may be reading through it: closed with the rest.
    pciRetiredFds_.push_back(it->second);
    pciReadFds_.erase(it);
  }
  if (pciReadFds_.size() >= kMaxKept) return -1;
  const int fd = open(Path(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) pciReadFds_.emplace(index, fd);
  return fd;
}

uint32_t HostHardwareAccess::PciSysfs(bool write, uint32_t bus, uint32_t device, uint32_t function, uint32_t offset,
                                      void* buffer, uint32_t length) {
  if (!PciFunctionListed(bus, device, function)) return 0;  // no such function
  char path[64];
  std::snprintf(path, sizeof(path), "/sys/bus/pci/devices/0000:%02x:%02x.%x/config", bus & 0xFF, device & 0x1F,
                function & 7);
  const size_t index = (bus & 0xFF) << 8 | (device & 0x1F) << 3 | (function & 7);
  auto* p = static_cast<uint8_t*>(buffer);
  // The file ends where the function's configuration space does (or where
  // an unprivileged reader may see): a short transfer is all there is.
  auto transfer = [&](int fd) -> ssize_t {
    uint32_t done = 0;
    while (done < length) {
      ssize_t n = write ? pwrite(fd, p + done, length - done, offset + done)
                        : pread(fd, p + done, length - done, offset + done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && done == 0) return -1;
      if (n <= 0) break;
      done += static_cast<uint32_t>(n);
    }
    return done;
  };
  // Through a descriptor of its own, closed again.
  auto once = [&](int flags) -> uint32_t {
    const int fd = open(Path(path).c_str(), flags | O_CLOEXEC);
    if (fd < 0) return 0;  // no such function
    const ssize_t done = transfer(fd);
    close(fd);
    return done < 0 ? 0 : static_cast<uint32_t>(done);
  };
  if (write) return once(O_WRONLY);
  int fd = PciReadFd(index, path, false);
  if (fd < 0) return once(O_RDONLY);  // over the limit of kept descriptors (or no such function)
  ssize_t done = transfer(fd);
  // A kept descriptor of a function that was removed (and perhaps added
  // again at the same address) fails: open the file afresh once.
  if (done < 0 && (fd = PciReadFd(index, path, true)) >= 0) done = transfer(fd);
  return done < 0 ? 0 : static_cast<uint32_t>(done);
}

bool HostHardwareAccess::ConfigPortAccess(uint16_t port, int width, uint32_t* value, bool write) {
  // Caller holds stateMutex_ shared.
  if (!facilities_.pciSysfs) return false;
  std::lock_guard<std::mutex> g(configPortsMutex_);
  if (port == 0xCF8 && width == 4) {
    if (write)
      configAddress_ = *value;
    else
      *value = configAddress_;
    return true;
  }
  // Anything else at 0xCF8-0xCFB (0xCF9 is the reset control register), or
  // an access that leaves the data window, is refused.
  if (port < 0xCFC || port + width > 0xD00) return false;
  const uint32_t a = configAddress_;
  if (!(a & 0x80000000u)) {
    // Mechanism disabled: reads float high, writes go nowhere.
    if (!write) *value = width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
    return true;
  }
  // Bits 27-24 carry register bits 11-8 (the extended format of AMD
  // processors), which sysfs reaches as well.
  const uint32_t reg = ((a >> 16) & 0xF00) | (a & 0xFC) | (port - 0xCFC);
  const uint32_t bus = (a >> 16) & 0xFF, device = (a >> 11) & 0x1F, function = (a >> 8) & 7;
  uint8_t bytes[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  if (write) {
    std::memcpy(bytes, value, 4);  // little-endian: the low bytes first
    return PciSysfs(true, bus, device, function, reg, bytes, static_cast<uint32_t>(width)) ==
           static_cast<uint32_t>(width);
  }
  // An absent function (no file) or the end of its visible space answers
  // all ones, as the bus does.
  uint8_t got[4];
  const uint32_t n = PciSysfs(false, bus, device, function, reg, got, static_cast<uint32_t>(width));
  std::memcpy(bytes, got, n);
  uint32_t v = 0;
  std::memcpy(&v, bytes, static_cast<size_t>(width));
  *value = v;
  return true;
}

uint32_t HostHardwareAccess::PciConfigRead(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset,
                                           void* buffer, uint32_t length) {
  if (!buffer || length == 0 || bus > 255 || device > 31 || function > 7 || offset >= 0x1000 ||
      length > 0x1000 - offset)
    return 0;
  EnsureProbed();
  std::shared_lock<std::shared_mutex> l(stateMutex_);
  if (!facilities_.pci.available) return 0;
  return facilities_.pciSysfs ? PciSysfs(false, bus, device, function, offset, buffer, length) : 0;
}

uint32_t HostHardwareAccess::PciConfigWrite(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset,
                                            const void* buffer, uint32_t length) {
  if (!buffer || length == 0 || bus > 255 || device > 31 || function > 7 || offset >= 0x1000 ||
      length > 0x1000 - offset)
    return 0;
  EnsureProbed();
  std::shared_lock<std::shared_mutex> l(stateMutex_);
  if (!facilities_.pci.available) return 0;
  void* data = const_cast<void*>(buffer);  // only read from
  return facilities_.pciSysfs ? PciSysfs(true, bus, device, function, offset, data, length) : 0;
}

// ---------------------------------------------------------------- SMI and timing

bool HostHardwareAccess::CallSmi(uint32_t regs[4]) {
  EnsureProbed();
  std::shared_lock<std::shared_mutex> l(stateMutex_);
  if (!facilities_.smi.available || !RaiseIopl(nullptr)) return false;
#if TORVIK_HOST_X86
  uint32_t a = regs[0], b = regs[1], c = regs[2], d = regs[3];
  // The handler sees the four registers as loaded and may change them; the
  // command byte (AL) goes to the APM control port and to the POST port.
  asm volatile(
      "outb %%al, $0xb2\n\t"
      "outb %%al, $0x84"
      : "+a"(a), "+b"(b), "+c"(c), "+d"(d)
      :
      : "memory", "esi", "edi");
  regs[0] = a;
  regs[1] = b;
  regs[2] = c;
  regs[3] = d;
  return true;
#else
  return false;
#endif
}

void HostHardwareAccess::StallMicroseconds(uint32_t us) {
  timespec start{}, now{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  const int64_t wait = static_cast<int64_t>(us) * 1000;
  do {
    clock_gettime(CLOCK_MONOTONIC, &now);
  } while ((now.tv_sec - start.tv_sec) * 1000000000LL + (now.tv_nsec - start.tv_nsec) < wait);
}

}  // namespace plat
