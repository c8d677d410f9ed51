// The controller-state commands on a bare machine with the bridge that
// hides a function: Save/Enable/Restore touch only their bit, the hidden
// function is found by the rescan after an enable, and Restore puts back
// (or, for the root-complex bits, leaves cleared) what was there.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "emu/Devices.h"
#include "emu/EmulatedMachine.h"
#include "emu/PciFunction.h"
#include "sdk/access/AMD_K10_ECS_Status.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/access/Intel_82801_SMBusControllerStatus.h"
#include "sdk/access/Intel_LPC_ThermalControllerStatus.h"
#include "sdk/access/SiS_96x_SMBusControllerStatus.h"
#include "tests/sdk/smbus/hosts/HostFake.h"

namespace {

using hosttest::Clock;

// A bridge whose register `reg` has a bit that hides `target`.
class HidingBridge : public emu::PciFunction {
 public:
  HidingBridge(uint8_t dev, uint16_t vendor, uint16_t device, uint32_t reg, uint32_t bit)
      : PciFunction(0, dev, 0, vendor, device, 0x06010000, 0x80), reg_(reg), bit_(bit) {
    SetWritable(reg, 4, 0xFF);
  }
  uint32_t ConfigRead(uint32_t offset, int width) override {
    if (offset == 0) ++idReads;
    return PciFunction::ConfigRead(offset, width);
  }
  void ConfigWrite(uint32_t offset, int width, uint32_t value) override {
    PciFunction::ConfigWrite(offset, width, value);
    if ((offset & ~3u) == reg_) {
      ++writes;
      if (target) target->hidden = Get32(reg_) & bit_;
    }
  }
  emu::PciFunction* target = nullptr;
  int writes = 0;
  int idReads = 0;

 private:
  uint32_t reg_, bit_;
};

struct CommandCase {
  const char* name;
  uint16_t vendor, device;
  uint32_t reg, bit;
  bool enableSets;   // AMD: Enable sets the bit (and does not rescan)
  std::function<CCommand*(CPCIDevice*)> make;
};

class Commands : public ::testing::TestWithParam<CommandCase> {
 protected:
  void Build(bool bitSet) {
    const CommandCase& c = GetParam();
    auto b = std::make_unique<HidingBridge>(31, c.vendor, c.device, c.reg, c.enableSets ? 0 : c.bit);
    bridge = b.get();
    const uint32_t others = 0x00A50005u & ~c.bit;
    bridge->Set32(c.reg, others | (bitSet ? c.bit : 0));
    env.machine->AddPciFunction(std::move(b));
    hidden = &env.machine->AddPciFunction(std::make_unique<emu::PciFunction>(0, 31, 3, c.vendor, 0x7777, 0x0C050000));
    hidden->hidden = !c.enableSets && bitSet;
    bridge->target = c.enableSets ? nullptr : hidden;
    ASSERT_TRUE(env.Start());
    ASSERT_TRUE(env.Sdk().CreatePCIInterface());
    pci = env.Sdk().pciInterface;
    pci->ScanBus();
    device = pci->FindPCIDevice(0, 31, 0);
    ASSERT_NE(device, nullptr);
    command.reset(c.make(device));
  }
  uint32_t Reg() const { return bridge->Get32(GetParam().reg); }
  uint32_t Others() const { return 0x00A50005u & ~GetParam().bit; }

  testsupport::EmulatedSdk env;
  HidingBridge* bridge = nullptr;
  emu::PciFunction* hidden = nullptr;
  CPCIInterface* pci = nullptr;
  CPCIDevice* device = nullptr;
  std::unique_ptr<CCommand> command;
};

TEST_P(Commands, EnableChangesOnlyTheBitAndRestorePutsItBack) {
  const CommandCase& c = GetParam();
  Build(!c.enableSets);
  ASSERT_FALSE(HasFailure());
  if (!c.enableSets) {
    EXPECT_EQ(pci->FindPCIDevice(0, 31, 3), nullptr) << "hidden at the start";
  }
  EXPECT_NE(command->Save(), 0);
  EXPECT_EQ(bridge->writes, 0) << "Save only reads";

  const int idReads = bridge->idReads;
  Clock clock(*env.machine);
  EXPECT_NE(command->Enable(), 0);
  EXPECT_EQ(Reg(), Others() | (c.enableSets ? c.bit : 0));
  if (c.enableSets) {
    EXPECT_EQ(bridge->idReads, idReads) << "no rescan";
  } else {
    EXPECT_GE(clock.Ms(), 10u) << "the function is given 10 ms to appear";
    EXPECT_NE(pci->FindPCIDevice(0, 31, 3), nullptr) << "found by the rescan";
  }

  // Something else changes another bit of the register meanwhile.
  bridge->Set32(c.reg, Reg() ^ 0x100);
  EXPECT_NE(command->Restore(), 0);
  EXPECT_EQ(Reg(), (Others() ^ 0x100) | (c.enableSets ? 0 : c.bit)) << "only the bit goes back";
}

TEST_P(Commands, BitAlreadyInItsWantedStateIsLeftAlone) {
  const CommandCase& c = GetParam();
  Build(c.enableSets);
  ASSERT_FALSE(HasFailure());
  EXPECT_NE(command->Save(), 0);
  const int idReads = bridge->idReads;
  EXPECT_NE(command->Enable(), 0);
  EXPECT_EQ(Reg(), Others() | (c.enableSets ? c.bit : 0));
  if (!c.enableSets) {
    EXPECT_EQ(bridge->writes, 0);
    EXPECT_EQ(bridge->idReads, idReads) << "nothing to rescan for";
  }
  EXPECT_NE(command->Restore(), 0);
  EXPECT_EQ(Reg(), Others() | (c.enableSets ? c.bit : 0));
}

TEST_P(Commands, WithoutSaveNothingIsWritten) {
  Build(!GetParam().enableSets);
  ASSERT_FALSE(HasFailure());
  const uint32_t before = Reg();
  EXPECT_NE(command->Enable(), 0);
  EXPECT_NE(command->Restore(), 0);
  EXPECT_EQ(Reg(), before);
  EXPECT_EQ(bridge->writes, 0);
}

INSTANTIATE_TEST_SUITE_P(
    All, Commands,
    ::testing::Values(CommandCase{"Intel82801", 0x8086, 0x24D0, 0xF0, 1u << 19, false,
                                  [](CPCIDevice* d) { return new Intel_82801_SMBusControllerStatus(d); }},
                      CommandCase{"SiS96x", 0x1039, 0x0008, 0x74, 1u << 28, false,
                                  [](CPCIDevice* d) { return new SiS_96x_SMBusControllerStatus(d); }},
                      CommandCase{"AmdK10Ecs", 0x1022, 0x1200, 0x8C, 1u << 14, true,
                                  [](CPCIDevice* d) { return new AMD_K10_ECS_Status(d); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the thermal device's disable bit in the root complex block

constexpr uint32_t kRcba = 0xFED1C000;

class RootComplex : public emu::MmioDevice {
 public:
  bool MmioRead(uint64_t offset, int width, uint32_t* value) override {
    *value = offset == 0x3418 && width == 4 ? fd : 0;
    return true;
  }
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override {
    if (offset == 0x3418 && width == 4) {
      fd = value;
      ++writes;
      if (thermal) thermal->hidden = fd & (1u << 24);
    }
    return true;
  }
  uint32_t fd = 0;
  int writes = 0;
  emu::PciFunction* thermal = nullptr;
};

struct ThermalBench {
  explicit ThermalBench(uint32_t fd) {
    auto lpc = std::make_unique<emu::PciFunction>(0, 31, 0, 0x8086, 0x1D41, 0x06010000, 0x80);
    lpc->Set32(0xF0, kRcba | 1);
    env.machine->AddPciFunction(std::move(lpc));
    thermal = &env.machine->AddPciFunction(std::make_unique<emu::PciFunction>(0, 31, 6, 0x8086, 0x1D24, 0x11800000));
    rc->fd = fd;
    rc->thermal = thermal;
    thermal->hidden = fd & (1u << 24);
    env.machine->AddMmio(kRcba, 0x4000, rc);
  }
  bool Start() {
    if (!env.Start() || !env.Sdk().CreatePCIInterface()) return false;
    env.Sdk().pciInterface->ScanBus();
    device = env.Sdk().pciInterface->FindPCIDevice(0, 31, 0);
    return device != nullptr;
  }
  testsupport::EmulatedSdk env;
  std::shared_ptr<RootComplex> rc = std::make_shared<RootComplex>();
  emu::PciFunction* thermal = nullptr;
  CPCIDevice* device = nullptr;
};

TEST(LpcThermalCommand, ClearsOnlyBit24AndLeavesItCleared) {
  ThermalBench b((1u << 24) | (1u << 3) | 0x1);
  ASSERT_TRUE(b.Start());
  EXPECT_EQ(b.env.Sdk().pciInterface->FindPCIDevice(0, 31, 6), nullptr);
  Intel_LPC_ThermalControllerStatus command(b.device);
  EXPECT_NE(command.Save(), 0);
  EXPECT_EQ(b.rc->writes, 0);
  Clock clock(*b.env.machine);
  EXPECT_NE(command.Enable(), 0);
  EXPECT_EQ(b.rc->fd, (1u << 3) | 0x1u) << "the SMBus disable bit and the rest stay";
  EXPECT_GE(clock.Ms(), 10u);
  EXPECT_NE(b.env.Sdk().pciInterface->FindPCIDevice(0, 31, 6), nullptr) << "found by the rescan";
  EXPECT_NE(command.Restore(), 0);
  EXPECT_EQ(b.rc->fd, (1u << 3) | 0x1u) << "not set back";
}

TEST(LpcThermalCommand, VisibleDeviceIsNotTouched) {
  ThermalBench b(1u << 3);
  ASSERT_TRUE(b.Start());
  Intel_LPC_ThermalControllerStatus command(b.device);
  EXPECT_NE(command.Save(), 0);
  EXPECT_NE(command.Enable(), 0);
  EXPECT_NE(command.Restore(), 0);
  EXPECT_EQ(b.rc->writes, 0);
  EXPECT_EQ(b.rc->fd, 1u << 3);
}

}  // namespace
