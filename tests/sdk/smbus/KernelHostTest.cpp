// An SMBus host that the operating system's driver runs: detection hands it
// to the kernel's adapter and never prepares or drives its registers.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/SmbusAdapter.h"
#include "sdk/access/CIOSpace.h"
#include "sdk/access/Kernel_SMBusRegisterSpace.h"
#include "tests/sdk/smbus/IchBench.h"

namespace {

using smbustest::IchBench;

// One slave at 0x50 with byte registers; everything else is not answered.
class FakeAdapter : public plat::SmbusAdapter {
 public:
  std::string Route() const override { return "fake"; }
  bool ReadByte(uint8_t slave, uint8_t command, uint8_t* value) override {
    if (slave != 0x50) return false;
    *value = regs[command];
    return true;
  }
  bool ReadWord(uint8_t slave, uint8_t command, uint16_t* value) override {
    if (slave != 0x50) return false;
    *value = static_cast<uint16_t>(regs[static_cast<uint8_t>(command + 1)] << 8 | regs[command]);
    return true;
  }
  bool WriteByte(uint8_t slave, uint8_t command, uint8_t value) override {
    if (slave != 0x50) return false;
    regs[command] = value;
    return true;
  }
  bool WriteWord(uint8_t slave, uint8_t command, uint16_t value) override {
    if (slave != 0x50) return false;
    regs[command] = static_cast<uint8_t>(value);
    regs[static_cast<uint8_t>(command + 1)] = static_cast<uint8_t>(value >> 8);
    return true;
  }
  int ReadBlock(uint8_t slave, uint8_t, uint8_t* buffer) override {
    if (slave != 0x50) return -1;
    for (int i = 0; i < 3; ++i) buffer[i] = static_cast<uint8_t>(0xB0 + i);
    return 3;
  }
  int WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) override {
    if (slave != 0x50) return -1;
    for (int i = 0; i < count; ++i) regs[static_cast<uint8_t>(command + i)] = buffer[i];
    return count;
  }
  std::map<uint8_t, uint8_t> regs;
};

// The emulated board, except that a kernel driver is bound to 00:1f.3.
class KernelBoundMachine : public plat::Machine {
 public:
  KernelBoundMachine(std::shared_ptr<plat::Machine> inner, std::shared_ptr<FakeAdapter> adapter)
      : inner_(std::move(inner)), adapter_(std::move(adapter)) {}
  std::string Name() const override { return inner_->Name(); }
  bool IsEmulated() const override { return inner_->IsEmulated(); }
  int ProcessorCount() override { return inner_->ProcessorCount(); }
  int CurrentProcessor() override { return inner_->CurrentProcessor(); }
  plat::CpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) override { return inner_->Cpuid(leaf, subleaf); }
  uint64_t ReadTsc() override { return inner_->ReadTsc(); }
  bool SetThreadAffinity(uint64_t mask) override { return inner_->SetThreadAffinity(mask); }
  uint64_t GetThreadAffinity() override { return inner_->GetThreadAffinity(); }
  bool GetProcessAffinity(int pid, uint64_t* p, uint64_t* s) override { return inner_->GetProcessAffinity(pid, p, s); }
  bool SetProcessAffinity(int pid, uint64_t mask) override { return inner_->SetProcessAffinity(pid, mask); }
  void Sleep(uint32_t ms) override { inner_->Sleep(ms); }
  void SleepMicroseconds(uint32_t us) override { inner_->SleepMicroseconds(us); }
  void StallMicroseconds(uint32_t us) override { inner_->StallMicroseconds(us); }
  uint64_t TickCount() override { return inner_->TickCount(); }
  uint64_t PerformanceCounter() override { return inner_->PerformanceCounter(); }
  uint64_t PerformanceFrequency() override { return inner_->PerformanceFrequency(); }
  uint64_t TotalPhysicalMemory() override { return inner_->TotalPhysicalMemory(); }
  drv::DriverService& DriverService() override { return inner_->DriverService(); }
  bool AcpiTable(const std::string& signature, size_t limit, std::vector<uint8_t>* out) override {
    return inner_->AcpiTable(signature, limit, out);
  }
  bool SmbiosTables(size_t limit, std::vector<uint8_t>* entryPoint, std::vector<uint8_t>* table) override {
    return inner_->SmbiosTables(limit, entryPoint, table);
  }
  std::shared_ptr<plat::SmbusAdapter> KernelSmbusAdapter(uint32_t bus, uint32_t device, uint32_t function) override {
    if (bus == 0 && device == 0x1F && function == 3) return adapter_;
    return nullptr;
  }

 private:
  std::shared_ptr<plat::Machine> inner_;
  std::shared_ptr<FakeAdapter> adapter_;
};

TEST(KernelHost, BoundHostGoesThroughTheKernelAndItsRegistersStayUntouched) {
  IchBench b;
  auto adapter = std::make_shared<FakeAdapter>();
  plat::SetCurrentMachine(std::make_shared<KernelBoundMachine>(b.env.machine, adapter));
  ASSERT_TRUE(b.env.Start());
  uint32_t hostc = 0;
  ASSERT_TRUE(b.env.driver.ReadPCIConfigByPorts(0, 0x1F, 3, 0x40, &hostc));
  ASSERT_TRUE(b.env.Sdk().CreatePCIInterface());
  b.env.Sdk().pciInterface->ScanBus();
  // No register sequence may run: every port access fails meanwhile.
  b.env.machine->Faults().Add({emu::AccessKind::Port, emu::kAnyAddress, true, true, emu::FaultRule::Action::Fail,
                               0, -1, ""});
  ASSERT_TRUE(b.env.Sdk().CreateSMBusInterface());
  b.env.machine->Faults().Clear();

  std::vector<CSMBusRegisterSpace*> hosts;
  for (CRegisterSpace* r : Items(b.env.Sdk().GetRegisterSpaces()))
    if (r->kind == REGSPACE_SMBUS) hosts.push_back(static_cast<CSMBusRegisterSpace*>(r));
  ASSERT_EQ(hosts.size(), 1u);
  EXPECT_STREQ(hosts[0]->ClassName(), "Kernel_SMBusRegisterSpace");
  uint32_t after = 0;
  ASSERT_TRUE(b.env.driver.ReadPCIConfigByPorts(0, 0x1F, 3, 0x40, &after));
  EXPECT_EQ(after, hostc) << "the host configuration is the kernel driver's";

  // Transactions and their failures are the kernel's answers.
  CSMBusRegisterSpace* host = hosts[0];
  EXPECT_EQ(host->LockedWriteByte(0x50, 0x10, 0x42), 1);
  EXPECT_EQ(host->LockedWriteWord(0x50, 0x20, 0x34, 0x12), 1);
  uint8_t v = 0, lo = 0, hi = 0;
  EXPECT_EQ(host->LockedReadByte(0x50, 0x10, &v), 1);
  EXPECT_EQ(v, 0x42);
  EXPECT_EQ(host->LockedReadWord(0x50, 0x20, &lo, &hi), 1);
  EXPECT_EQ(hi << 8 | lo, 0x1234);
  const uint8_t block[2] = {7, 8};
  EXPECT_EQ(host->LockedWriteBlock(0x50, 0x30, block, 2), 2);
  EXPECT_EQ(adapter->regs[0x31], 8);
  EXPECT_EQ(host->LockedWriteByte(0x51, 0x10, 0x42), 0);
  EXPECT_EQ(host->LockedWriteBlock(0x51, 0x30, block, 2), -1);
  v = 0x99;
  EXPECT_EQ(host->LockedReadByte(0x51, 0x10, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(b.slave->Get(0x10), 0) << "the emulated host itself never ran";
}

}  // namespace
