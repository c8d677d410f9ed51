// An emulated board behind the same driver endpoint as the real machine:
// port space, PCI functions (also through 0xCF8/0xCFC), physical memory with
// RAM and memory-mapped chips, logical processors with CPUID and MSRs, one
// time base and fault injection. The SDK cannot tell it from hardware.
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
#include "emu/Devices.h"
#include "emu/EmulatedCpu.h"
#include "emu/Faults.h"
#include "emu/PciFunction.h"
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

  // ---- building the board
  TimeBase& Time() { return time_; }
  FaultInjector& Faults() { return faults_; }
  void AddPortDevice(uint16_t first, uint16_t count, std::shared_ptr<PortDevice> device);
  PciFunction& AddPciFunction(std::unique_ptr<PciFunction> function);
  PciFunction* FindPciFunction(uint32_t bus, uint32_t device, uint32_t function);
  const std::vector<std::unique_ptr<PciFunction>>& PciFunctions() const { return pci_; }
  void AddRam(uint64_t base, uint64_t size);
  // Writes into RAM directly (firmware tables, set-up); bypasses faults.
  void LoadPhysical(uint64_t address, const void* data, size_t length);
  void AddMmio(uint64_t base, uint64_t size, std::shared_ptr<MmioDevice> device);
  EmulatedCpu& AddCpu();
  std::vector<std::unique_ptr<EmulatedCpu>>& Cpus() { return cpus_; }
  void SetInstalledMemory(uint64_t bytes) { installedMemory_ = bytes; }
  void SetBoard(const BoardDescription* board) { board_ = board; }
  const BoardDescription* Board() const { return board_; }

  // Reference clocks of the board; listeners (processor counters, chips)
  // follow a change at once.
  double BclkMHz() const { return bclkMHz_; }
  double PcieMHz() const { return pcieMHz_; }
  void SetBclkMHz(double mhz);
  void SetPcieMHz(double mhz);
  void AddClockListener(std::function<void()> listener) { clockListeners_.push_back(std::move(listener)); }
  // The chipset's integrated clock and the series (6 or 7) whose component
  // reaches it.
  void SetIntegratedClock(std::shared_ptr<IntegratedClock> clock, int series) {
    integratedClock_ = std::move(clock);
    clockSeries_ = series;
  }
  std::shared_ptr<IntegratedClock> GetIntegratedClock() const { return integratedClock_; }

  // A handler for software SMIs written to port 0xB2.
  void SetSmiHandler(std::function<bool(uint32_t regs[4])> handler) { smiHandler_ = std::move(handler); }

  // Virtual time each kind of access costs (virtual mode only).
  struct AccessCost {
    uint64_t portNs = 1000, msrNs = 200, pciNs = 1000, memoryNs = 100, tscNs = 20;
  } cost;

  // The whole machine is one lock: chips, counters and the access path.
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
  bool RawPortRead(uint16_t port, int width, uint32_t* value);
  bool RawPortWrite(uint16_t port, int width, uint32_t value);
  uint32_t RawPciRead(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, int width);
  void RawPciWrite(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, int width, uint32_t value);
  bool RawPhysicalRead(uint64_t address, void* buffer, uint32_t length);
  bool RawPhysicalWrite(uint64_t address, const void* buffer, uint32_t length);

  // Number of mappings the driver keeps open (tests).
  size_t OpenMappings() const { return mappings_.size(); }

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
  struct PortRange {
    uint16_t first, count;
    std::shared_ptr<PortDevice> device;
  };
  struct MmioRange {
    uint64_t base, size;
    std::shared_ptr<MmioDevice> device;
  };
  struct RamRange {
    uint64_t base, size;
  };
  struct Mapping {
    uint64_t address;
    uint32_t length;
  };

  EmulatedCpu* CurrentCpu();
  bool PortAccess(uint16_t port, int width, uint32_t* value, bool write);
  bool MemoryPiece(uint64_t address, int width, uint32_t* value, bool write);
  uint8_t* RamByte(uint64_t address, bool create);
  bool Mechanism1(uint16_t port, int width, uint32_t* value, bool write);

  std::string boardName_;
  uint64_t serial_;
  const BoardDescription* board_ = nullptr;
  TimeBase time_;
  FaultInjector faults_;
  std::recursive_mutex mutex_;
  std::vector<PortRange> ports_;
  std::vector<std::unique_ptr<PciFunction>> pci_;
  std::map<std::tuple<uint32_t, uint32_t, uint32_t>, std::vector<std::shared_ptr<plat::SmbusAdapter>>> graphicsI2C_;
  std::vector<MmioRange> mmio_;
  std::vector<RamRange> ram_;
  std::map<uint64_t, std::unique_ptr<uint8_t[]>> pages_;
  std::vector<std::unique_ptr<EmulatedCpu>> cpus_;
  std::map<int, uint64_t> processAffinity_;
  uint64_t ownProcessAffinity_ = 0;  // 0 = all processors
  std::map<uint64_t, Mapping> mappings_;
  uint64_t nextMapping_ = 0x1000;
  uint32_t cf8_ = 0;
  double bclkMHz_ = 133.33;
  double pcieMHz_ = 100.0;
  std::vector<std::function<void()>> clockListeners_;
  std::shared_ptr<IntegratedClock> integratedClock_;
  int clockSeries_ = 0;
  std::function<bool(uint32_t regs[4])> smiHandler_;
  uint64_t installedMemory_ = 0;
  std::unique_ptr<EmulatedDriverService> service_;
};

}  // namespace emu
