// An emulated board behind the same driver endpoint as the real machine.
// The machine holds the rooms of the board, each its own class: the port
// bus (PortBus), PCI configuration space (PciBus, also reached through
// 0xCF8/0xCFC), physical memory with RAM and memory-mapped chips
// (PhysicalMemory) and the reference clocks (ClockModel); the SMBus
// segments are the south bridge's (emu/smbus/SmbusBus). Itself it is the
// logical processors with CPUID and MSRs, the one time base, the one lock
// every room takes, and the driver endpoint that charges each access its
// virtual time and applies the injected faults before a room sees it.
// Boards are assembled by their build functions (emu/boards/) through the
// rooms; the assembly calls below forward to them. The SDK cannot tell the
// machine from hardware.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "driver/HardwareAccess.h"
#include "emu/ClockModel.h"
#include "emu/Devices.h"
#include "emu/EmulatedCpu.h"
#include "emu/Faults.h"
#include "emu/PciBus.h"
#include "emu/PciFunction.h"
#include "emu/PhysicalMemory.h"
#include "emu/PortBus.h"
#include "emu/TimeBase.h"
#include "platform/Machine.h"

namespace emu {

struct BoardDescription;
class EmulatedDriverService;
class IntegratedClock;

class EmulatedMachine : public plat::Machine, public drv::HardwareAccess {
 public:
  explicit EmulatedMachine(TimeBase::Mode mode, std::string boardName = "bare");
  ~EmulatedMachine() override;

  // ---- the rooms
  TimeBase& Time() { return time_; }
  FaultInjector& Faults() { return faults_; }
  PortBus& Ports() { return ports_; }
  PciBus& Pci() { return pci_; }
  PhysicalMemory& Memory() { return memory_; }
  ClockModel& Clocks() { return clocks_; }

  // ---- assembling the board (forwarded to the rooms)
  void AddPortDevice(uint16_t first, uint16_t count, std::shared_ptr<PortDevice> device) {
    ports_.Add(first, count, std::move(device));
  }
  PciFunction& AddPciFunction(std::unique_ptr<PciFunction> function) { return pci_.Add(std::move(function)); }
  PciFunction* FindPciFunction(uint32_t bus, uint32_t device, uint32_t function) {
    return pci_.Find(bus, device, function);
  }
  const std::vector<std::unique_ptr<PciFunction>>& PciFunctions() const { return pci_.Functions(); }
  void AddRam(uint64_t base, uint64_t size) { memory_.AddRam(base, size); }
  // Writes into RAM directly (firmware tables, set-up); bypasses faults.
  void LoadPhysical(uint64_t address, const void* data, size_t length) { memory_.Load(address, data, length); }
  void AddMmio(uint64_t base, uint64_t size, std::shared_ptr<MmioDevice> device) {
    memory_.AddMmio(base, size, std::move(device));
  }
  EmulatedCpu& AddCpu();
  std::vector<std::unique_ptr<EmulatedCpu>>& Cpus() { return cpus_; }
  void SetInstalledMemory(uint64_t bytes) { installedMemory_ = bytes; }
  void SetBoard(const BoardDescription* board) { board_ = board; }
  const BoardDescription* Board() const { return board_; }

  // Reference clocks of the board; listeners (processor counters, chips)
  // follow a change at once.
  double BclkMHz() const { return clocks_.BclkMHz(); }
  double PcieMHz() const { return clocks_.PcieMHz(); }
  void SetBclkMHz(double mhz) { clocks_.SetBclkMHz(mhz); }
  void SetPcieMHz(double mhz) { clocks_.SetPcieMHz(mhz); }
  void AddClockListener(std::function<void()> listener) { clocks_.AddListener(std::move(listener)); }
  // The chipset's integrated clock and the series (6 or 7) whose component
  // reaches it.
  void SetIntegratedClock(std::shared_ptr<IntegratedClock> clock, int series) {
    clocks_.SetIntegratedClock(std::move(clock), series);
  }
  std::shared_ptr<IntegratedClock> GetIntegratedClock() const { return clocks_.GetIntegratedClock(); }

  // A handler for software SMIs written to port 0xB2.
  void SetSmiHandler(std::function<bool(uint32_t regs[4])> handler) { ports_.SetSmiHandler(std::move(handler)); }

  // Virtual time each kind of access costs (virtual mode only).
  struct AccessCost {
    uint64_t portNs = 1000, msrNs = 200, pciNs = 1000, memoryNs = 100, tscNs = 20;
  } cost;

  // The whole machine is one lock: chips, counters, the rooms and the
  // access path.
  std::recursive_mutex& Lock() { return mutex_; }

  // ---- plat::Machine
  std::string Name() const override { return "emulated:" + boardName_; }
  bool IsEmulated() const override { return true; }
  int ProcessorCount() override { return static_cast<int>(cpus_.size()); }
  int CurrentProcessor() override;
  plat::CpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) override;
  uint64_t ReadTsc() override;
  bool SetThreadAffinity(uint64_t mask) override;
  uint64_t GetThreadAffinity() override;
  bool GetProcessAffinity(int pid, uint64_t* processMask, uint64_t* systemMask) override;
  bool SetProcessAffinity(int pid, uint64_t mask) override;
  void Sleep(uint32_t ms) override { time_.Sleep(static_cast<uint64_t>(ms) * 1000000); }
  void SleepMicroseconds(uint32_t us) override { time_.Sleep(static_cast<uint64_t>(us) * 1000); }
  void StallMicroseconds(uint32_t us) override { time_.Stall(static_cast<uint64_t>(us) * 1000); }
  uint64_t TickCount() override { return time_.NowNs() / 1000000; }
  uint64_t PerformanceCounter() override { return time_.NowNs(); }
  uint64_t PerformanceFrequency() override { return 1000000000; }
  uint64_t TotalPhysicalMemory() override { return installedMemory_; }
  drv::DriverService& DriverService() override;
  // The batteries and power supplies the machine reports (a board's own
  // list; the desktop boards have none).
  std::vector<plat::PowerSupply> PowerSupplies() override { return powerSupplies; }
  std::vector<plat::PowerSupply> powerSupplies;
  EmulatedDriverService& Service();
  std::unique_ptr<plat::IntegratedClockLibrary> LoadIntegratedClockLibrary() override;
  std::unique_ptr<plat::ClockControlComponent> CreateClockControlComponent() override;

  // ---- drv::HardwareAccess
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
  // StallMicroseconds is shared with plat::Machine.

  // Accesses without fault injection or time cost (chip models, tests).
  bool RawPortRead(uint16_t port, int width, uint32_t* value) { return ports_.Access(port, width, value, false); }
  bool RawPortWrite(uint16_t port, int width, uint32_t value) { return ports_.Access(port, width, &value, true); }
  uint32_t RawPciRead(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, int width) {
    return pci_.Read(bus, device, function, offset, width);
  }
  void RawPciWrite(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, int width, uint32_t value) {
    pci_.Write(bus, device, function, offset, width, value);
  }
  bool RawPhysicalRead(uint64_t address, void* buffer, uint32_t length) {
    return memory_.Read(address, buffer, length);
  }
  bool RawPhysicalWrite(uint64_t address, const void* buffer, uint32_t length) {
    return memory_.Write(address, buffer, length);
  }

  // Number of mappings the driver keeps open (tests).
  size_t OpenMappings() const { return memory_.OpenMappings(); }

  // The I2C adapters a graphics driver registers for a card's PCI function
  // (as the host's kernel offers them through i2c-dev), in port order.
  void AddGraphicsI2CAdapters(uint32_t bus, uint32_t device, uint32_t function,
                              std::vector<std::shared_ptr<plat::SmbusAdapter>> adapters) {
    graphicsI2C_[{bus, device, function}] = std::move(adapters);
  }
  std::vector<std::shared_ptr<plat::SmbusAdapter>> GraphicsI2CAdapters(uint32_t bus, uint32_t device,
                                                                      uint32_t function) override {
    auto it = graphicsI2C_.find({bus, device, function});
    return it == graphicsI2C_.end() ? std::vector<std::shared_ptr<plat::SmbusAdapter>>{} : it->second;
  }

 private:
  EmulatedCpu* CurrentCpu();

  std::string boardName_;
  uint64_t serial_;
  const BoardDescription* board_ = nullptr;
  TimeBase time_;
  FaultInjector faults_;
  std::recursive_mutex mutex_;
  PciBus pci_{mutex_};
  PortBus ports_{mutex_, pci_};
  PhysicalMemory memory_{mutex_};
  ClockModel clocks_{mutex_};
  std::map<std::tuple<uint32_t, uint32_t, uint32_t>, std::vector<std::shared_ptr<plat::SmbusAdapter>>> graphicsI2C_;
  std::vector<std::unique_ptr<EmulatedCpu>> cpus_;
  std::map<int, uint64_t> processAffinity_;
  uint64_t ownProcessAffinity_ = 0;  // 0 = all processors
  uint64_t installedMemory_ = 0;
  std::unique_ptr<EmulatedDriverService> service_;
};

}  // namespace emu
