#include "emu/EmulatedMachine.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "emu/EmulatedDriverService.h"
#include "emu/chips/IntegratedClockComponents.h"

namespace emu {

namespace {

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

EmulatedCpu& EmulatedMachine::AddCpu() {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  cpus_.push_back(std::make_unique<EmulatedCpu>());
  cpus_.back()->index = static_cast<int>(cpus_.size()) - 1;
  return *cpus_.back();
}

std::unique_ptr<plat::IntegratedClockLibrary> EmulatedMachine::LoadIntegratedClockLibrary() {
  return clocks_.LoadIntegratedClockLibrary();
}

std::unique_ptr<plat::ClockControlComponent> EmulatedMachine::CreateClockControlComponent() {
  return clocks_.CreateClockControlComponent();
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

bool EmulatedMachine::PortRead(uint16_t port, int width, uint32_t* value) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  time_.Advance(cost.portNs);
  FaultRule f;
  if (faults_.Match(AccessKind::Port, port, false, &f)) {
    if (f.action == FaultRule::Action::Fail) return false;
    *value = static_cast<uint32_t>(f.value);
    return true;
  }
  return ports_.Access(port, width, value, false);
}

bool EmulatedMachine::PortWrite(uint16_t port, int width, uint32_t value) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  time_.Advance(cost.portNs);
  if (faults_.Match(AccessKind::Port, port, true, nullptr)) return false;
  return ports_.Access(port, width, &value, true);
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
  return memory_.Read(address, buffer, length);
}

bool EmulatedMachine::PhysicalWrite(uint64_t address, const void* buffer, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  time_.Advance(cost.memoryNs * ((length + 3) / 4));
  if (faults_.Match(AccessKind::Memory, address, true, nullptr)) return false;
  return memory_.Write(address, buffer, length);
}

uint64_t EmulatedMachine::PhysicalMap(uint64_t address, uint32_t length) { return memory_.Map(address, length); }

bool EmulatedMachine::PhysicalReadMapped(uint64_t handle, uint32_t offset, void* buffer, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  uint64_t address = 0;
  return memory_.Resolve(handle, offset, length, &address) && PhysicalRead(address, buffer, length);
}

void EmulatedMachine::PhysicalUnmap(uint64_t handle, uint32_t) { memory_.Unmap(handle); }

// ------------------------------------------------------------ PCI

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
  // A function that is not there: the whole read gives all ones, like the
  // bus's master abort; the transfer itself succeeds.
  pci_.ReadRange(bus, device, function, offset, buffer, length);
  return length;
}

uint32_t EmulatedMachine::PciConfigWrite(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset,
                                         const void* buffer, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  time_.Advance(cost.pciNs);
  const uint64_t key = (static_cast<uint64_t>(bus) << 8 | device << 3 | function) << 12 | offset;
  if (faults_.Match(AccessKind::Pci, key, true, nullptr)) return 0;
  pci_.WriteRange(bus, device, function, offset, buffer, length);
  return length;
}

bool EmulatedMachine::CallSmi(uint32_t regs[4]) {
  std::lock_guard<std::recursive_mutex> g(mutex_);
  // The SMI port write is the trigger; a board without a handler leaves the
  // registers as they were, which the channel reads as "nothing happened".
  ports_.SoftwareSmi(regs);
  return true;
}

}  // namespace emu
