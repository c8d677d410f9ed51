#include "emu/EmulatedMachine.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "driver/DriverProtocol.h"
#include "emu/EmulatedDriverService.h"
#include "emu/chips/IntegratedClockComponents.h"

namespace emu {

namespace {
constexpr uint64_t kPageSize = 4096;

std::atomic<uint64_t> g_machineSerial{1};
// Thread affinity per machine, by machine serial number.
thread_local std::unordered_map<uint64_t, uint64_t> t_threadAffinity;

uint64_t AllMask(size_t n) { return n >= 64 ? ~0ull : (1ull << n) - 1; }
}  // namespace



EmulatedMachine::EmulatedMachine(TimeBase::Mode mode, std::string boardName)
    : boardName_(std::move(boardName)),
      serial_(g_machineSerial++),
      time_(mode),
      service_(std::make_unique<EmulatedDriverService>(*this)) {}

EmulatedMachine::~EmulatedMachine() { service_.reset(); }

drv::DriverService& EmulatedMachine::DriverService() { return *service_; }
EmulatedDriverService& EmulatedMachine::Service() { return *service_; }

// ------------------------------------------------------------ building

void EmulatedMachine::AddPortDevice(uint16_t first, uint16_t count, std::shared_ptr<PortDevice> device) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  ports_.push_back({first, count, std::move(device)});
}

PciFunction& EmulatedMachine::AddPciFunction(std::unique_ptr<PciFunction> function) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  pci_.push_back(std::move(function));
  return *pci_.back();
}

PciFunction* EmulatedMachine::FindPciFunction(uint32_t bus, uint32_t device, uint32_t function) {
  for (auto& f : pci_)
    if (f->Bus() == bus && f->Device() == device && f->Function() == function) return f.get();
  return nullptr;
}

void EmulatedMachine::AddRam(uint64_t base, uint64_t size) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  ram_.push_back({base, size});
}

void EmulatedMachine::LoadPhysical(uint64_t address, const void* data, size_t length) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < length; ++i)
    if (uint8_t* b = RamByte(address + i, true)) *b = p[i];
}

void EmulatedMachine::AddMmio(uint64_t base, uint64_t size, std::shared_ptr<MmioDevice> device) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  mmio_.push_back({base, size, std::move(device)});
}

EmulatedCpu& EmulatedMachine::AddCpu() {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  cpus_.push_back(std::make_unique<EmulatedCpu>());
  cpus_.back()->index = static_cast<int>(cpus_.size()) - 1;
  return *cpus_.back();
}

void EmulatedMachine::SetBclkMHz(double mhz) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  bclkMHz_ = mhz;
  for (auto& l : clockListeners_) l();
}

std::unique_ptr<plat::IntegratedClockLibrary> EmulatedMachine::LoadIntegratedClockLibrary() {
  if (!integratedClock_ || clockSeries_ != 6) return nullptr;
  return std::make_unique<EmulatedClockLibrary>(integratedClock_);
}

std::unique_ptr<plat::ClockControlComponent> EmulatedMachine::CreateClockControlComponent() {
  if (!integratedClock_ || clockSeries_ != 7) return nullptr;
  return std::make_unique<EmulatedClockControl>(integratedClock_);
}

void EmulatedMachine::SetPcieMHz(double mhz) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  pcieMHz_ = mhz;
  for (auto& l : clockListeners_) l();
}

// ------------------------------------------------------------ processors

int EmulatedMachine::CurrentProcessor() {
  uint64_t all = AllMask(cpus_.size());
  uint64_t mask = GetThreadAffinity() & all;
  // The own process's mask without asking the system for our pid: this runs
  // on every MSR and CPUID access.
  uint64_t process = ownProcessAffinity_ ? ownProcessAffinity_ : all;
  if (mask & process) mask &= process;
  if (!mask) return 0;
  return __builtin_ctzll(mask);
}

EmulatedCpu* EmulatedMachine::CurrentCpu() {
  if (cpus_.empty()) return nullptr;
  int i = CurrentProcessor();
  return i < static_cast<int>(cpus_.size()) ? cpus_[i].get() : nullptr;
}

plat::CpuidRegs EmulatedMachine::Cpuid(uint32_t leaf, uint32_t subleaf) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  EmulatedCpu* cpu = CurrentCpu();
  return cpu ? cpu->Cpuid(leaf, subleaf) : plat::CpuidRegs{};
}

uint64_t EmulatedMachine::ReadTsc() {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  // The instruction takes a few cycles: a loop that waits on the counter
  // alone still sees virtual time pass.
  time_.Advance(cost.tscNs);
  EmulatedCpu* cpu = CurrentCpu();
  uint64_t v = 0;
  if (cpu) cpu->ReadMsr(0x10, &v);
  return v;
}

bool EmulatedMachine::SetThreadAffinity(uint64_t mask) {
  mask &= AllMask(cpus_.size());
  if (!mask) return false;
  t_threadAffinity[serial_] = mask;
  return true;
}

uint64_t EmulatedMachine::GetThreadAffinity() {
  auto it = t_threadAffinity.find(serial_);
  return it == t_threadAffinity.end() ? AllMask(cpus_.size()) : it->second;
}

bool EmulatedMachine::GetProcessAffinity(int pid, uint64_t* processMask, uint64_t* systemMask) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  if (pid == 0) pid = getpid();
  if (pid != getpid() && kill(pid, 0) != 0) return false;
  auto it = processAffinity_.find(pid);
  *systemMask = AllMask(cpus_.size());
  *processMask = it == processAffinity_.end() ? *systemMask : it->second;
  return true;
}

bool EmulatedMachine::SetProcessAffinity(int pid, uint64_t mask) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  if (pid == 0) pid = getpid();
  mask &= AllMask(cpus_.size());
  if (!mask) {
    errno = EINVAL;
    return false;
  }
  if (pid != getpid() && kill(pid, 0) != 0) return false;  // errno from kill
  processAffinity_[pid] = mask;
  if (pid == getpid()) ownProcessAffinity_ = mask;
  return true;
}

// ------------------------------------------------------------ ports

bool EmulatedMachine::Mechanism1(uint16_t port, int width, uint32_t* value, bool write) {
  if (port >= drv::kPciConfigAddressPort && port < drv::kPciConfigDataPort) {
    if (width != 4 || port != drv::kPciConfigAddressPort) {
      // Byte and word accesses to 0xCF8 are ordinary I/O, not the address latch.
      if (!write) *value = width == 1 ? 0xFF : 0xFFFF;
      return true;
    }
    if (write)
      cf8_ = *value;
    else
      *value = cf8_;
    return true;
  }
  // 0xCFC..0xCFF: the data window.
  uint32_t offset = (cf8_ & 0xFC) + (port - drv::kPciConfigDataPort);
  uint32_t bus = (cf8_ >> 16) & 0xFF, dev = (cf8_ >> 11) & 0x1F, fn = (cf8_ >> 8) & 7;
  if (!(cf8_ & 0x80000000u)) {
    if (!write) *value = width == 4 ? 0xFFFFFFFF : width == 2 ? 0xFFFF : 0xFF;
    return true;
  }
  if (write)
    RawPciWrite(bus, dev, fn, offset, width, *value);
  else
    *value = RawPciRead(bus, dev, fn, offset, width);
  return true;
}

bool EmulatedMachine::PortAccess(uint16_t port, int width, uint32_t* value, bool write) {
  if (port >= drv::kPciConfigAddressPort && port < drv::kPciConfigDataPort + 4) return Mechanism1(port, width, value, write);
  if (port == 0xB2 && write && smiHandler_) {
    uint32_t regs[4] = {*value, 0, 0, 0};
    smiHandler_(regs);
    return true;
  }
  for (auto& r : ports_) {
    if (port >= r.first && port < r.first + r.count) return write ? r.device->PortWrite(port - r.first, width, *value)
                                                                  : r.device->PortRead(port - r.first, width, value);
  }
  // Nothing decodes the port: reads float high, writes vanish.
  if (!write) *value = width == 4 ? 0xFFFFFFFF : width == 2 ? 0xFFFF : 0xFF;
  return true;
}

bool EmulatedMachine::RawPortRead(uint16_t port, int width, uint32_t* value) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  return PortAccess(port, width, value, false);
}

bool EmulatedMachine::RawPortWrite(uint16_t port, int width, uint32_t value) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  return PortAccess(port, width, &value, true);
}

bool EmulatedMachine::PortRead(uint16_t port, int width, uint32_t* value) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  time_.Advance(cost.portNs);
  FaultRule f;
  if (faults_.Match(AccessKind::Port, port, false, &f)) {
    if (f.action == FaultRule::Action::Fail) return false;
    *value = static_cast<uint32_t>(f.value);
    return true;
  }
  return PortAccess(port, width, value, false);
}

bool EmulatedMachine::PortWrite(uint16_t port, int width, uint32_t value) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  time_.Advance(cost.portNs);
  if (faults_.Match(AccessKind::Port, port, true, nullptr)) return false;
  return PortAccess(port, width, &value, true);
}

// ------------------------------------------------------------ MSRs

bool EmulatedMachine::MsrRead(uint32_t index, uint64_t* value) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  time_.Advance(cost.msrNs);
  FaultRule f;
  if (faults_.Match(AccessKind::Msr, index, false, &f)) {
    if (f.action == FaultRule::Action::Fail) return false;
    *value = f.value;
    return true;
  }
  EmulatedCpu* cpu = CurrentCpu();
  return cpu && cpu->ReadMsr(index, value);
}

bool EmulatedMachine::MsrWrite(uint32_t index, uint64_t value) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  time_.Advance(cost.msrNs);
  if (faults_.Match(AccessKind::Msr, index, true, nullptr)) return false;
  EmulatedCpu* cpu = CurrentCpu();
  return cpu && cpu->WriteMsr(index, value);
}

// ------------------------------------------------------------ physical memory

uint8_t* EmulatedMachine::RamByte(uint64_t address, bool create) {
  bool inRam = false;
  for (auto& r : ram_)
    if (address >= r.base && address - r.base < r.size) inRam = true;
  if (!inRam) return nullptr;
  uint64_t page = address / kPageSize;
  auto it = pages_.find(page);
  if (it == pages_.end()) {
    static uint8_t zero = 0;
    if (!create) {
      zero = 0;
      return &zero;
    }
    auto mem = std::make_unique<uint8_t[]>(kPageSize);
    std::memset(mem.get(), 0, kPageSize);
    it = pages_.emplace(page, std::move(mem)).first;
  }
  return &it->second[address % kPageSize];
}

bool EmulatedMachine::MemoryPiece(uint64_t address, int width, uint32_t* value, bool write) {
  for (auto& m : mmio_) {
    if (address >= m.base && address - m.base < m.size)
      return write ? m.device->MmioWrite(address - m.base, width, *value)
                   : m.device->MmioRead(address - m.base, width, value);
  }
  uint32_t v = 0;
  for (int i = 0; i < width; ++i) {
    uint8_t* b = RamByte(address + i, write);
    if (write) {
      if (b) *b = static_cast<uint8_t>(*value >> (8 * i));
    } else {
      v |= static_cast<uint32_t>(b ? *b : 0xFF) << (8 * i);
    }
  }
  if (!write) *value = v;
  return true;
}

bool EmulatedMachine::RawPhysicalRead(uint64_t address, void* buffer, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  auto* out = static_cast<uint8_t*>(buffer);
  uint32_t done = 0;
  while (done < length) {
    uint64_t a = address + done;
    int width = (a % 4 == 0 && length - done >= 4) ? 4 : (a % 2 == 0 && length - done >= 2) ? 2 : 1;
    uint32_t v = 0;
    if (!MemoryPiece(a, width, &v, false)) return false;
    std::memcpy(out + done, &v, width);
    done += width;
  }
  return true;
}

bool EmulatedMachine::RawPhysicalWrite(uint64_t address, const void* buffer, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  const auto* in = static_cast<const uint8_t*>(buffer);
  uint32_t done = 0;
  while (done < length) {
    uint64_t a = address + done;
    int width = (a % 4 == 0 && length - done >= 4) ? 4 : (a % 2 == 0 && length - done >= 2) ? 2 : 1;
    uint32_t v = 0;
    std::memcpy(&v, in + done, width);
    if (!MemoryPiece(a, width, &v, true)) return false;
    done += width;
  }
  return true;
}

bool EmulatedMachine::PhysicalRead(uint64_t address, void* buffer, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  time_.Advance(cost.memoryNs * ((length + 3) / 4));
  FaultRule f;
  if (faults_.Match(AccessKind::Memory, address, false, &f)) {
    if (f.action == FaultRule::Action::Fail) return false;
    std::memset(buffer, 0, length);
    std::memcpy(buffer, &f.value, length < 8 ? length : 8);
    return true;
  }
  return RawPhysicalRead(address, buffer, length);
}

bool EmulatedMachine::PhysicalWrite(uint64_t address, const void* buffer, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  time_.Advance(cost.memoryNs * ((length + 3) / 4));
  if (faults_.Match(AccessKind::Memory, address, true, nullptr)) return false;
  return RawPhysicalWrite(address, buffer, length);
}

uint64_t EmulatedMachine::PhysicalMap(uint64_t address, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  uint64_t handle = nextMapping_;
  nextMapping_ += 0x1000;
  mappings_[handle] = {address, length};
  return handle;
}

bool EmulatedMachine::PhysicalReadMapped(uint64_t handle, uint32_t offset, void* buffer, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  auto it = mappings_.find(handle);
  if (it == mappings_.end() || offset > it->second.length || length > it->second.length - offset) return false;
  return PhysicalRead(it->second.address + offset, buffer, length);
}

void EmulatedMachine::PhysicalUnmap(uint64_t handle, uint32_t) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  mappings_.erase(handle);
}

// ------------------------------------------------------------ PCI

uint32_t EmulatedMachine::RawPciRead(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, int width) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  PciFunction* f = FindPciFunction(bus, device, function);
  if (!f) return width == 4 ? 0xFFFFFFFF : width == 2 ? 0xFFFF : 0xFF;
  return f->ConfigRead(offset, width);
}

void EmulatedMachine::RawPciWrite(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, int width,
                                  uint32_t value) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  if (PciFunction* f = FindPciFunction(bus, device, function)) f->ConfigWrite(offset, width, value);
}

uint32_t EmulatedMachine::PciConfigRead(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset,
                                        void* buffer, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  time_.Advance(cost.pciNs);
  const uint64_t key = (static_cast<uint64_t>(bus) << 8 | device << 3 | function) << 12 | offset;
  FaultRule f;
  if (faults_.Match(AccessKind::Pci, key, false, &f)) {
    if (f.action == FaultRule::Action::Fail) return 0;
    std::memset(buffer, 0, length);
    std::memcpy(buffer, &f.value, length < 8 ? length : 8);
    return length;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  // A function that is not there: the whole read gives all ones, like the
  // bus's master abort; the transfer itself succeeds.
  for (uint32_t i = 0; i < length;) {
    uint32_t o = offset + i;
    int width = (o % 4 == 0 && length - i >= 4) ? 4 : (o % 2 == 0 && length - i >= 2) ? 2 : 1;
    uint32_t v = RawPciRead(bus, device, function, o, width);
    std::memcpy(out + i, &v, width);
    i += width;
  }
  return length;
}

uint32_t EmulatedMachine::PciConfigWrite(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset,
                                         const void* buffer, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  time_.Advance(cost.pciNs);
  const uint64_t key = (static_cast<uint64_t>(bus) << 8 | device << 3 | function) << 12 | offset;
  if (faults_.Match(AccessKind::Pci, key, true, nullptr)) return 0;
  const auto* in = static_cast<const uint8_t*>(buffer);
  for (uint32_t i = 0; i < length;) {
    uint32_t o = offset + i;
    int width = (o % 4 == 0 && length - i >= 4) ? 4 : (o % 2 == 0 && length - i >= 2) ? 2 : 1;
    uint32_t v = 0;
    std::memcpy(&v, in + i, width);
    RawPciWrite(bus, device, function, o, width, v);
    i += width;
  }
  return length;
}

bool EmulatedMachine::CallSmi(uint32_t regs[4]) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  // The SMI port write is the trigger; a board without a handler leaves the
  // registers as they were, which the channel reads as "nothing happened".
  if (smiHandler_) smiHandler_(regs);
  uint32_t al = regs[0] & 0xFF;
  PortAccess(0x84, 1, &al, true);
  return true;
}

}  // namespace emu
