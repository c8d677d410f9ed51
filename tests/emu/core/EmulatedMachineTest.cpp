// The emulated machine: one time base for every counter, coupled clocks,
// buses that behave like real ones when nothing answers, and injected faults.
#include <gtest/gtest.h>

#include <thread>

#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"
#include "boardid/BoardHash.h"

namespace {

std::shared_ptr<emu::EmulatedMachine> X58() {
  std::string err;
  return emu::BuildBoard("brenmor-x58", emu::TimeBase::Mode::Virtual, &err);
}

TEST(EmulatedMachineTest, CountersFollowTheTimeBaseAndContinueAcrossARateChange) {
  auto m = X58();
  uint64_t tsc0 = 0, tsc1 = 0, tsc2 = 0;
  ASSERT_TRUE(m->MsrRead(0x10, &tsc0));
  m->Sleep(1000);
  ASSERT_TRUE(m->MsrRead(0x10, &tsc1));
  // 20 × the clock generator's bus clock, 24 MHz × 50 / 9.
  EXPECT_NEAR(static_cast<double>(tsc1 - tsc0), 20 * 24.0 * 50 / 9 * 1e6, 1e4);
  m->SetBclkMHz(160.0);  // the clock generator moved BCLK
  uint64_t atChange = 0;
  ASSERT_TRUE(m->MsrRead(0x10, &atChange));
  EXPECT_NEAR(static_cast<double>(atChange - tsc1), 0.0, 1e4) << "no jump at the change";
  m->Sleep(1000);
  ASSERT_TRUE(m->MsrRead(0x10, &tsc2));
  EXPECT_NEAR(static_cast<double>(tsc2 - atChange), 3200e6, 1e4);

  uint32_t t0 = 0, t1 = 0;
  ASSERT_TRUE(m->PortRead(0x408, 4, &t0));
  m->Sleep(1);
  ASSERT_TRUE(m->PortRead(0x408, 4, &t1));
  EXPECT_NEAR(static_cast<double>((t1 - t0) & 0xFFFFFF), 3579.5, 8.0);  // plus the reads' own cost
  EXPECT_EQ(t0 & 0xFF000000u, 0u) << "24-bit timer";
}

TEST(EmulatedMachineTest, AbsentThingsBehaveLikeRealBuses) {
  auto m = X58();
  uint32_t v = 0;
  EXPECT_TRUE(m->PortRead(0x2E0, 1, &v));
  EXPECT_EQ(v, 0xFFu);
  EXPECT_TRUE(m->PortRead(0x2E0, 4, &v));
  EXPECT_EQ(v, 0xFFFFFFFFu);
  uint64_t msr = 0;
  EXPECT_FALSE(m->MsrRead(0xDEAD, &msr)) << "unimplemented MSR";
  uint8_t buf[4] = {};
  EXPECT_TRUE(m->PhysicalRead(0xFEE00000, buf, 4));
  EXPECT_EQ(buf[0], 0xFF);
  EXPECT_TRUE(m->PhysicalRead(0x2000, buf, 4));
  EXPECT_EQ(buf[0], 0x00) << "untouched RAM reads zero";
  uint8_t cfg[4];
  EXPECT_EQ(m->PciConfigRead(0, 3, 0, 0, cfg, 4), 4u);
  EXPECT_EQ(cfg[0], 0xFF);
}

TEST(EmulatedMachineTest, PciThroughPortsMatchesTheConfigurationPath) {
  auto m = X58();
  uint32_t viaPorts = 0, viaConfig = 0;
  ASSERT_TRUE(m->PortWrite(0xCF8, 4, 0x80000000u | 0x1F << 11 | 0 << 8 | 0x40));
  ASSERT_TRUE(m->PortRead(0xCFC, 4, &viaPorts));
  ASSERT_EQ(m->PciConfigRead(0, 0x1F, 0, 0x40, &viaConfig, 4), 4u);
  EXPECT_EQ(viaPorts, viaConfig);
  EXPECT_EQ(viaPorts, 0x401u);
  // Identification registers are read-only; the device-specific area is not.
  uint32_t id = 0x11112222;
  m->PciConfigWrite(0, 0x1F, 0, 0, &id, 4);
  m->PciConfigRead(0, 0x1F, 0, 0, &id, 4);
  EXPECT_EQ(id, 0x3A168086u);
  m->FindPciFunction(0, 0x1F, 0)->hidden = true;
  m->PciConfigRead(0, 0x1F, 0, 0, &id, 4);
  EXPECT_EQ(id, 0xFFFFFFFFu) << "a hidden function does not answer";
}

TEST(EmulatedMachineTest, FaultsFireTheirCountThenStop) {
  auto m = X58();
  m->Faults().Add({emu::AccessKind::Pci, emu::kAnyAddress, true, false, emu::FaultRule::Action::Fail, 0, 2});
  uint32_t v = 0;
  EXPECT_EQ(m->PciConfigRead(0, 0, 0, 0, &v, 4), 0u);
  EXPECT_EQ(m->PciConfigRead(0, 0, 0, 0, &v, 4), 0u);
  EXPECT_EQ(m->PciConfigRead(0, 0, 0, 0, &v, 4), 4u);
  m->Faults().Add({emu::AccessKind::Msr, 0x1A0, true, false, emu::FaultRule::Action::Override, 0x4000000000ull});
  uint64_t misc = 0;
  EXPECT_TRUE(m->MsrRead(0x1A0, &misc));
  EXPECT_EQ(misc, 0x4000000000ull);
}

TEST(EmulatedMachineTest, ProcessorsTopologyAndAffinity) {
  auto m = X58();
  ASSERT_EQ(m->ProcessorCount(), 8);
  struct Row {
    int cpu;
    uint32_t apic;
  } rows[] = {{0, 0}, {1, 2}, {3, 6}, {4, 1}, {7, 7}};
  for (const Row& r : rows) {
    ASSERT_TRUE(m->SetThreadAffinity(1ull << r.cpu));
    EXPECT_EQ(m->CurrentProcessor(), r.cpu);
    EXPECT_EQ(m->Cpuid(1, 0).ebx >> 24, r.apic) << r.cpu;
    EXPECT_EQ(m->Cpuid(0xB, 0).edx, r.apic);
  }
  EXPECT_FALSE(m->SetThreadAffinity(1ull << 8)) << "no such processor";
  // Affinity is per thread.
  int other = -1;
  std::thread([&] { other = m->CurrentProcessor(); }).join();
  EXPECT_EQ(other, 0);
  plat::CpuidRegs brand = m->Cpuid(0x80000002, 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&brand), 16), "Intel(R) Core(TM");
}

TEST(EmulatedMachineTest, EveryBoardCarriesAProductThatHashesToItsId) {
  for (const emu::BoardDescription* b : emu::Boards()) {
    EXPECT_EQ(sdk::BoardHash(b->product), b->boardId) << b->name;
    std::string err;
    EXPECT_TRUE(emu::BuildBoard(b->name, emu::TimeBase::Mode::Virtual, &err)) << b->name << ": " << err;
  }
  std::string err;
  EXPECT_FALSE(emu::BuildBoard("no-such-board", emu::TimeBase::Mode::Virtual, &err));
  EXPECT_NE(err.find("brenmor-x58"), std::string::npos) << "the error lists the boards";
}

}  // namespace
