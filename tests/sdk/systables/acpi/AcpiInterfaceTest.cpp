// The ACPI table reader on the emulated firmware, its board exceptions and
// the table handlers on hand-made tables.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "emu/chips/Hpet.h"
#include "platform/host/HostMachine.h"
#include "sdk/access/CIOSpace.h"
#include "sdk/cpu/Timers.h"
#include "sdk/systables/CACPIInterface.h"
#include "tests/sdk/cpu/CpuTestBench.h"

namespace {

int CountTimers(QUARNSDK& sdk, int type) { return sdk.FindTimers(type, nullptr); }

TEST(AcpiPhysicalPath, FindsThePmTimerAndTheHpetOfTheBoard) {
  CpuTestBench bench("brenmor-x58");
  ASSERT_TRUE(bench.Sdk().CreateACPIInterface(0x27F0AF90, 0, 0x7FFFFFFF));
  CACPIInterface* acpi = bench.Sdk().acpiInterface;
  ASSERT_NE(acpi, nullptr);
  ASSERT_NE(acpi->rsdp, nullptr);
  EXPECT_EQ(std::memcmp(acpi->rsdp, "RSD PTR ", 8), 0);
  EXPECT_EQ(std::memcmp(acpi->rsdt, "RSDT", 4), 0);
  EXPECT_EQ(acpi->GetPm1aEventBlock(), 0x400);
  EXPECT_EQ(acpi->GetFacsAddress(), static_cast<int32_t>(emu::kAcpiRegionBase + 0x500));

  auto* pm = static_cast<CACPITimer*>(bench.Sdk().FindTimer(TIMER_ACPI));
  ASSERT_NE(pm, nullptr);
  EXPECT_EQ(acpi->acpiTimer, pm);
  EXPECT_EQ(pm->port, 0x408u);
  EXPECT_EQ(pm->wrap, 16777215.0);

  CTimer* hpet = bench.Sdk().FindTimer(TIMER_HPET);
  ASSERT_NE(hpet, nullptr);
  // The period register, not the nominal 14318620 Hz.
  EXPECT_DOUBLE_EQ(hpet->frequency, 1e15 / emu::Hpet::kPeriodFs);
  EXPECT_NE(bench.Sdk().FindIOSpace(0, 0xFED00000, IOSPACE_MEMORY), nullptr);

  // Both run on the machine's time base: 10 ms of virtual time.
  double p0 = pm->Read(), h0 = hpet->Read();
  bench.machine->Sleep(10);
  double p1 = pm->Read(), h1 = hpet->Read();
  EXPECT_NEAR(pm->Elapsed(p0, p1) / pm->frequency, 0.010, 0.0002);
  EXPECT_NEAR((h1 - h0) / hpet->frequency, 0.010, 0.0002);
}

struct FirmwareCase {
  const char* what;
  int32_t boardHash;
  emu::AcpiFirmware firmware;
  bool rsdpRead;
  int acpiTimers, hpetTimers;
};

class AcpiFirmwareTest : public ::testing::TestWithParam<FirmwareCase> {};

TEST_P(AcpiFirmwareTest, CreatesOnlyTheTimersTheTablesAndBoardAllow) {
  const FirmwareCase& c = GetParam();
  CpuTestBench bench(emu::NehalemBloomfieldI7_920(), c.firmware);
  EXPECT_EQ(bench.Sdk().CreateACPIInterface(c.boardHash, 0, 0x7FFFFFFF), 1) << c.what;
  EXPECT_EQ(bench.Sdk().acpiInterface->rsdp != nullptr, c.rsdpRead) << c.what;
  EXPECT_EQ(CountTimers(bench.Sdk(), TIMER_ACPI), c.acpiTimers) << c.what;
  EXPECT_EQ(CountTimers(bench.Sdk(), TIMER_HPET), c.hpetTimers) << c.what;
}

emu::AcpiFirmware Firmware(bool pmTimer, bool hpetInIo) {
  emu::AcpiFirmware f;
  f.pmTimer = pmTimer;
  f.hpetInIoSpace = hpetInIo;
  return f;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AcpiFirmwareTest,
    ::testing::Values(FirmwareCase{"complete tables", 0x27F0AF90, Firmware(true, false), true, 1, 1},
                      FirmwareCase{"PM timer block 0", 0x27F0AF90, Firmware(false, false), true, 0, 1},
                      FirmwareCase{"HPET in I/O space", 0x27F0AF90, Firmware(true, true), true, 1, 0},
                      FirmwareCase{"board without PM timer A", static_cast<int32_t>(0x8014E67A),
                                   Firmware(true, false), true, 0, 1},
                      FirmwareCase{"board without PM timer B", static_cast<int32_t>(0xA758B28A),
                                   Firmware(true, false), true, 0, 1},
                      FirmwareCase{"board without tables A", 0x35580, Firmware(true, false), false, 0, 0},
                      FirmwareCase{"board without tables B", 0x5685A0, Firmware(true, false), false, 0, 0}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(AcpiMask, BitFourteenAllowsThePmTimer) {
  CpuTestBench bench(emu::NehalemBloomfieldI7_920());
  ASSERT_TRUE(bench.Sdk().CreateACPIInterface(0, 0, 0x7FFFBFFF));
  EXPECT_EQ(bench.Sdk().FindTimer(TIMER_ACPI), nullptr);
  EXPECT_NE(bench.Sdk().FindTimer(TIMER_HPET), nullptr);
}

// ------------------------------------------------------------------ firmware-table path on the host

std::vector<uint8_t> Fadt(uint8_t revision, uint32_t length, uint32_t pmTimer) {
  std::vector<uint8_t> t(length, 0);
  std::memcpy(t.data(), "FACP", 4);
  std::memcpy(t.data() + 4, &length, 4);
  t[8] = revision;
  uint32_t facs = 0x7FF00000, pm1a = 0x1800;
  std::memcpy(t.data() + 36, &facs, 4);
  std::memcpy(t.data() + 56, &pm1a, 4);
  std::memcpy(t.data() + 76, &pmTimer, 4);
  return t;
}

class AcpiFirmwareTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The host machine under a scratch root: its operating-system copy of the
    // tables is whatever the test writes there.
    root = std::filesystem::temp_directory_path() / ("torvik-acpi-" + std::to_string(getpid()));
    dir = root / "sys/firmware/acpi/tables";
    std::filesystem::create_directories(dir);
    plat::HostAccessOptions options;
    options.root = root.string();
    plat::SetCurrentMachine(std::make_shared<plat::HostMachine>(options));
  }
  void TearDown() override {
    std::filesystem::remove_all(root);
    QUARNSDK::ReleaseInstance();
    plat::SetCurrentMachine(nullptr);
  }
  void Write(const char* name, const std::vector<uint8_t>& bytes) {
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  std::filesystem::path root, dir;
};

TEST_F(AcpiFirmwareTablesTest, ReadsTheOperatingSystemsCopyOfTheTables) {
  Write("FACP", Fadt(4, 276, 0x1808));
  std::vector<uint8_t> tamg(120, 0);
  std::memcpy(tamg.data(), "TAMG", 4);
  std::memcpy(tamg.data() + 60, "ESDT-vendor-record", 18);
  Write("TAMG", tamg);
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  ASSERT_TRUE(sdk->CreateACPIInterface(0, 0, 0x7FFFFFFF));
  CACPIInterface* acpi = sdk->acpiInterface;
  EXPECT_EQ(acpi->GetFacsAddress(), 0x7FF00000);
  EXPECT_EQ(acpi->GetPm1aEventBlock(), 0x1800);
  ASSERT_NE(acpi->GetVendorRecord(), nullptr);
  EXPECT_EQ(std::memcmp(acpi->GetVendorRecord(), "ESDT-vendor-record", 18), 0);
  // Without port access the timer's first reading fails: it is not kept.
  EXPECT_EQ(sdk->FindTimer(TIMER_ACPI), nullptr);
  EXPECT_EQ(acpi->rsdp, nullptr);
}

TEST_F(AcpiFirmwareTablesTest, LongModernFadtIsLeftAlone) {
  Write("FACP", Fadt(6, 300, 0x1808));
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  ASSERT_TRUE(sdk->CreateACPIInterface(0, 0, 0x7FFFFFFF));
  EXPECT_EQ(sdk->acpiInterface->GetFacsAddress(), -1);
  EXPECT_EQ(sdk->acpiInterface->GetPm1aEventBlock(), -1);
}

TEST_F(AcpiFirmwareTablesTest, OnlyRegularFilesAreTables) {
  // A table name that is a directory, a link or a FIFO is not read (and a
  // FIFO never blocks the start-up).
  std::filesystem::create_directory(dir / "FACP");
  Write("elsewhere", Fadt(4, 276, 0x1808));
  std::filesystem::create_symlink(dir / "elsewhere", dir / "RSDT");
  ASSERT_EQ(mkfifo((dir / "HPET").c_str(), 0600), 0);
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  EXPECT_EQ(sdk->CreateACPIInterface(0, 0, 0x7FFFFFFF), 1);
  EXPECT_EQ(sdk->acpiInterface->GetFacsAddress(), -1);
  EXPECT_EQ(sdk->acpiInterface->rsdt, nullptr);
}

TEST_F(AcpiFirmwareTablesTest, ShortTablesAreIgnored) {
  Write("FACP", std::vector<uint8_t>{'F', 'A', 'C', 'P', 8, 0, 0, 0});
  Write("HPET", std::vector<uint8_t>{'H', 'P', 'E', 'T'});
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  EXPECT_EQ(sdk->CreateACPIInterface(0, 0, 0x7FFFFFFF), 1);
  EXPECT_EQ(sdk->acpiInterface->GetFacsAddress(), -1);
  EXPECT_EQ(sdk->FindTimer(TIMER_HPET), nullptr);
}

}  // namespace
