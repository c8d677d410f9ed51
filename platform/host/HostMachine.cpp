#include "platform/host/HostMachine.h"

#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "driver/DriverProtocol.h"
#include "platform/ProcessList.h"
#include "driver/KmioDevice.h"
#include "platform/GraphicsDevices.h"
#include "platform/host/KernelBuses.h"
#include "platform/host/KernelCpuInfo.h"
#include "platform/host/NvmlLibrary.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

extern char** environ;

namespace plat {

namespace {

cpu_set_t ToSet(uint64_t mask) {
  cpu_set_t set;
  CPU_ZERO(&set);
  for (int i = 0; i < 64; ++i)
    if (mask >> i & 1) CPU_SET(i, &set);
  return set;
}

uint64_t ToMask(const cpu_set_t& set) {
  uint64_t mask = 0;
  for (int i = 0; i < 64; ++i)
    if (CPU_ISSET(i, &set)) mask |= uint64_t{1} << i;
  return mask;
}

// "0-3,5,7-8" as the kernel writes CPU lists.
uint64_t ParseCpuList(const char* text) {
  uint64_t mask = 0;
  const char* p = text;
  while (*p) {
    char* end = nullptr;
    long first = std::strtol(p, &end, 10);
    if (end == p) break;
    long last = first;
    p = end;
    if (*p == '-') {
      last = std::strtol(p + 1, &end, 10);
      p = end;
    }
    for (long i = first; i <= last && i < 64; ++i)
      if (i >= 0) mask |= uint64_t{1} << i;
    if (*p != ',') break;
    ++p;
  }
  return mask;
}

uint64_t NowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

}  // namespace

// ---------------------------------------------------------------- driver service

HostDriverService::HostDriverService(HostAccessOptions options) : hw_(std::move(options)) {}

HostDriverService::~HostDriverService() = default;

std::string HostDriverService::LoadMsrModule() {
  std::string program = hw_.Options().modprobe;
  if (program.empty()) {
    for (const char* candidate : {"/sbin/modprobe", "/usr/sbin/modprobe", "/bin/modprobe", "/usr/bin/modprobe"}) {
      if (access(candidate, X_OK) == 0) {
        program = candidate;
        break;
      }
    }
    if (program.empty()) return "modprobe msr: modprobe not found";
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  char arg0[] = "modprobe";
  char arg1[] = "msr";
  char* argv[] = {arg0, arg1, nullptr};
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return "modprobe msr: " + program + ": " + std::strerror(rc);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return std::string("modprobe msr: ") + std::strerror(errno);
  }
  if (WIFEXITED(status))
    return WEXITSTATUS(status) == 0 ? "modprobe msr: done"
                                    : "modprobe msr: exit status " + std::to_string(WEXITSTATUS(status));
  return "modprobe msr: killed by signal " + std::to_string(WTERMSIG(status));
}

bool HostDriverService::Install(uint32_t* error) {
  uint32_t dummy = 0;
  if (!error) error = &dummy;
  std::lock_guard<std::mutex> g(mutex_);
  const std::string msrPath = hw_.Options().root + "/dev/cpu/0/msr";
  if (access(msrPath.c_str(), F_OK) != 0) moduleResult_ = LoadMsrModule();
  hw_.Probe();
  const HostFacilities f = hw_.Facilities();
  if (!f.ports.available && !f.msr.available && !f.physical.available && !f.pciWritable) {
    bool denied = geteuid() != 0;
    for (int e : {f.ports.error, f.msr.error, f.physical.error, f.pci.error, f.pciWriteError})
      denied = denied || e == EACCES || e == EPERM;
    *error = denied ? drv::kErrorAccessDenied : drv::kErrorNoDevice;
    installed_ = false;
    return false;
  }
  installed_ = true;
  *error = drv::kErrorSuccess;
  return true;
}

bool HostDriverService::IsInstalled() {
  std::lock_guard<std::mutex> g(mutex_);
  return installed_;
}

drv::DriverDevice* HostDriverService::OpenDevice(uint32_t* error) {
  uint32_t dummy = 0;
  if (!error) error = &dummy;
  std::lock_guard<std::mutex> g(mutex_);
  if (!installed_) {
    *error = drv::kErrorFileNotFound;
    return nullptr;
  }
  if (!device_) device_ = std::make_unique<drv::KmioDevice>(hw_);
  *error = drv::kErrorSuccess;
  return device_.get();
}

void HostDriverService::CloseDevice(drv::DriverDevice*) {
  // The device stays with the service; closing a handle changes nothing.
}

bool HostDriverService::Uninstall(bool stop, bool remove, uint32_t* error) {
  std::lock_guard<std::mutex> g(mutex_);
  installed_ = false;
  // A stopped driver keeps no mappings.
  if (stop && device_) device_->ReleaseAllMappings();
  if (error) *error = drv::kErrorSuccess;
  return true;
}

std::string RootOnlyFacilitiesMissing(const HostFacilities& f) {
  std::vector<std::string> names;
  if (!f.ports.available) names.push_back("I/O ports (/dev/port, iopl)");
  if (!f.msr.available) names.push_back("MSRs (/dev/cpu/N/msr)");
  if (!f.physical.available) names.push_back("physical memory (/dev/mem)");
  std::string text;
  for (size_t i = 0; i < names.size(); ++i)
    text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return text;
}

std::string HostDriverService::Describe() {
  std::string text = hw_.Describe();
  // Run without root, the reason is nearly always that, whatever errno the
  // device files gave: say so, naming what is missing.
  if (geteuid() != 0) {
    const std::string missing = RootOnlyFacilitiesMissing(hw_.Facilities());
    if (!missing.empty())
      text += "root: needed for " + missing + "; this process runs as uid " + std::to_string(geteuid()) + "\n";
  }
  std::lock_guard<std::mutex> g(mutex_);
  if (!moduleResult_.empty()) text += "msr module: " + moduleResult_ + "\n";
  text += std::string("driver: ") + (installed_ ? "installed" : "not installed") + "\n";
  return text;
}

// ---------------------------------------------------------------- machine

HostMachine::HostMachine(HostAccessOptions options) : root_(options.root), service_(std::move(options)) {}

namespace {

// Reads a regular file of at most `limit` bytes; anything else (a
// directory, a device, a FIFO, a link) is not a firmware table.
bool ReadTableFile(const std::string& path, size_t limit, std::vector<uint8_t>* out) {
  int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) {
    out->assign(limit, 0);
    size_t n = 0;
    while (n < limit) {
      ssize_t r = read(fd, out->data() + n, limit - n);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      n += static_cast<size_t>(r);
    }
    out->resize(n);
    ok = n > 0;
  }
  close(fd);
  return ok;
}

}  // namespace

bool HostMachine::AcpiTable(const std::string& signature, size_t limit, std::vector<uint8_t>* out) {
  if (signature.size() != 4 || signature.find('/') != std::string::npos) return false;
  return ReadTableFile(root_ + "/sys/firmware/acpi/tables/" + signature, limit, out);
}

bool HostMachine::SmbiosTables(size_t limit, std::vector<uint8_t>* entryPoint, std::vector<uint8_t>* table) {
  const std::string dir = root_ + "/sys/firmware/dmi/tables/";
  if (!ReadTableFile(dir + "DMI", limit, table)) return false;
  if (!ReadTableFile(dir + "smbios_entry_point", 64, entryPoint)) entryPoint->clear();
  return true;
}

int HostMachine::ProcessorCount() {
  long n = sysconf(_SC_NPROCESSORS_ONLN);
  if (n < 1) n = 1;
  return static_cast<int>(n > 64 ? 64 : n);
}

int HostMachine::CurrentProcessor() {
  int cpu = sched_getcpu();
  return cpu < 0 ? 0 : cpu;
}

CpuidRegs HostMachine::Cpuid(uint32_t leaf, uint32_t subleaf) {
  CpuidRegs r;
#if defined(__x86_64__) || defined(__i386__)
  __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
#endif
  return r;
}

uint64_t HostMachine::ReadTsc() {
#if defined(__x86_64__) || defined(__i386__)
  return __rdtsc();
#else
  return NowNs();
#endif
}

bool HostMachine::SetThreadAffinity(uint64_t mask) {
  if (mask == 0) return false;
  const cpu_set_t set = ToSet(mask);
  return sched_setaffinity(0, sizeof(set), &set) == 0;
}

uint64_t HostMachine::GetThreadAffinity() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof(set), &set) != 0) return 0;
  return ToMask(set);
}

bool HostMachine::GetProcessAffinity(int pid, uint64_t* processMask, uint64_t* systemMask) {
  if (pid == 0) pid = getpid();
  cpu_set_t set;
  CPU_ZERO(&set);
  // The process's mask is its main thread's.
  if (sched_getaffinity(pid, sizeof(set), &set) != 0) return false;
  uint64_t system = 0;
  if (FILE* f = std::fopen("/sys/devices/system/cpu/online", "r")) {
    char line[256] = {};
    if (std::fgets(line, sizeof(line), f)) system = ParseCpuList(line);
    std::fclose(f);
  }
  if (system == 0) {
    const int n = ProcessorCount();
    system = n >= 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1;
  }
  if (processMask) *processMask = ToMask(set);
  if (systemMask) *systemMask = system;
  return true;
}

bool HostMachine::SetProcessAffinity(int pid, uint64_t mask) {
  if (pid == 0) pid = getpid();
  int error = 0;
  if (SetAffinityOfAllThreads(pid, mask, &error)) return true;
  errno = error;
  return false;
}

std::vector<int> HostMachine::ProcessorIds() {
  uint64_t allowed = 0, online = 0;
  std::vector<int> ids;
  if (!GetProcessAffinity(0, &allowed, &online)) return Machine::ProcessorIds();
  for (int i = 0; i < 64; ++i)
    if ((allowed & online) >> i & 1) ids.push_back(i);
  if (ids.empty()) return Machine::ProcessorIds();
  return ids;
}

namespace {

bool ReadSysInt(const std::string& path, int* value) {
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return false;
  long v = -1;
  const bool ok = std::fscanf(f, "%ld", &v) == 1;
  std::fclose(f);
  if (!ok || v < 0 || v > 0x7FFFFFFF) return false;
  *value = static_cast<int>(v);
  return true;
}

}  // namespace

bool HostMachine::KernelTopology(int cpu, KernelCpu* ids) {
  if (cpu < 0) return false;
  const std::string dir = root_ + "/sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/topology/";
  int p = 0, c = 0;
  if (!ReadSysInt(dir + "physical_package_id", &p) || !ReadSysInt(dir + "core_id", &c)) return false;
  std::call_once(apicIdsRead_, [this] { kernelApicIds_ = ApicIdsFromCpuinfo(ReadCpuinfo(root_)); });
  const auto apic = kernelApicIds_.find(cpu);
  ids->package = p;
  ids->core = c;
  ids->apicId = apic == kernelApicIds_.end() ? -1 : apic->second;
  return true;
}

void HostMachine::Sleep(uint32_t ms) {
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

void HostMachine::SleepMicroseconds(uint32_t us) {
  timespec ts{static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

void HostMachine::StallMicroseconds(uint32_t us) {
  const uint64_t end = NowNs() + static_cast<uint64_t>(us) * 1000;
  while (NowNs() < end) {
  }
}

uint64_t HostMachine::TickCount() { return NowNs() / 1000000; }

uint64_t HostMachine::PerformanceCounter() { return NowNs(); }

std::shared_ptr<SmbusAdapter> HostMachine::KernelSmbusAdapter(uint32_t bus, uint32_t device, uint32_t function) {
  return FindKernelSmbusAdapter(service_.Hardware().Options().root, bus, device, function);
}

std::unique_ptr<GpuManagementLibrary> HostMachine::LoadGpuManagementLibrary() {
  // Under a test root the system's library is not this machine's.
  if (!service_.Hardware().Options().root.empty()) return nullptr;
  return LoadNvml();
}

std::vector<std::shared_ptr<SmbusAdapter>> HostMachine::GraphicsI2CAdapters(uint32_t bus, uint32_t device,
                                                                           uint32_t function) {
  return FindGraphicsI2CAdapters(service_.Hardware().Options().root, bus, device, function);
}

bool HostMachine::GraphicsAttribute(uint32_t bus, uint32_t device, uint32_t function, const std::string& name,
                                    std::string* text) {
  return ReadGraphicsAttribute(service_.Hardware().Options().root, bus, device, function, name, text);
}

uint64_t HostMachine::TotalPhysicalMemory() {
  struct sysinfo info {};
  if (sysinfo(&info) == 0 && info.totalram > 0)
    return static_cast<uint64_t>(info.totalram) * (info.mem_unit ? info.mem_unit : 1);
  uint64_t total = 0;
  if (FILE* f = std::fopen("/proc/meminfo", "r")) {
    char line[256];
    unsigned long long kb = 0;
    while (std::fgets(line, sizeof(line), f))
      if (std::sscanf(line, "MemTotal: %llu kB", &kb) == 1) {
        total = kb * 1024;
        break;
      }
    std::fclose(f);
  }
  return total;
}

void InstallHostMachineFactory() {
  SetDefaultMachineFactory([]() -> std::shared_ptr<Machine> { return std::make_shared<HostMachine>(); });
}

}  // namespace plat
