// The driver channel on an emulated board: lifecycle, the contracts of the
// hardware operations, and the configuration mechanism through ports.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "driver/CKMDriver.h"
#include "emu/BoardDescription.h"
#include "emu/EmulatedDriverService.h"
#include "emu/EmulatedMachine.h"
#include "platform/Machine.h"

namespace {

class ChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    machine = emu::BuildBoard("brenmor-x58", emu::TimeBase::Mode::Virtual, &err);
    ASSERT_TRUE(machine) << err;
    plat::SetCurrentMachine(machine);
    uint32_t error = 0;
    ASSERT_TRUE(driver.Open("/tmp", &error, true)) << error;
  }
  void TearDown() override { driver.Close(true, true); }

  // Virtual time moves with every hardware access: unchanged time means no request reached the board.
  uint64_t Now() { return machine->Time().NowNs(); }

  std::shared_ptr<emu::EmulatedMachine> machine;
  CKMDriver driver;
};

TEST_F(ChannelTest, OpenInstallsOnceAndLaterAcquisitionsOpenTheDevice) {
  emu::EmulatedDriverService& service = machine->Service();
  EXPECT_EQ(service.installCount, 1);
  uint32_t error = 0, version = 0;
  ASSERT_TRUE(driver.Acquire(&error, 2000));
  EXPECT_TRUE(driver.GetVersion(&version));
  EXPECT_EQ(version, 0x135u);
  driver.Release();
  EXPECT_EQ(service.installCount, 1) << "a running service is opened, not installed again";
  EXPECT_EQ(service.openDevices, 0) << "Release closes the device";

  // The service disappears between two acquisitions: the next one installs it again.
  service.Uninstall(true, true, &error);
  ASSERT_TRUE(driver.Acquire(&error, 2000));
  EXPECT_EQ(service.installCount, 2);
  driver.Release();
}

TEST_F(ChannelTest, OperationsWithoutTheChannelFailWithoutARequest) {
  uint8_t b = 0x5C;
  uint32_t hi = 7, lo = 7;
  uint64_t t = Now();
  EXPECT_FALSE(driver.ReadPort8(0x80, &b));
  EXPECT_EQ(b, 0x5C) << "output untouched without a channel";
  EXPECT_FALSE(driver.ReadMSR(0x10, &hi, &lo));
  EXPECT_EQ(hi, 7u);
  EXPECT_FALSE(driver.WritePort8(0x80, 1));
  EXPECT_FALSE(driver.WritePCIConfigByPorts(0, 0, 0, 0x40, 1));
  // Every output keeps what the caller had in it.
  uint32_t version = 7, config = 7, raw = 7;
  uint8_t intel = 7, nvidia = 7;
  EXPECT_FALSE(driver.GetVersion(&version));
  EXPECT_FALSE(driver.ReadPCIConfigByPorts(0, 0, 0, 0, &config));
  EXPECT_FALSE(driver.ReadPCIConfigByPortsRaw(0x80000000u, &raw));
  EXPECT_EQ(driver.SMBusReadByteIntel(0x500, 0x50, 0, &intel), 2);
  EXPECT_EQ(driver.SMBusReadByteNVIDIA(0x500, 0x50, 0, &nvidia), 2);
  EXPECT_EQ(version + config + raw + intel + nvidia, 35u);
  EXPECT_EQ(Now(), t);
}

TEST_F(ChannelTest, FailedRequestsGiveAllOnes) {
  uint32_t error = 0;
  ASSERT_TRUE(driver.Acquire(&error, 2000));
  machine->Faults().Add({emu::AccessKind::Port, 0x80, true, false, emu::FaultRule::Action::Fail});
  uint8_t b = 0;
  EXPECT_FALSE(driver.ReadPort8(0x80, &b));
  EXPECT_EQ(b, 0xFF);
  // An MSR that reads all ones counts as a failed read.
  machine->Faults().Add(
      {emu::AccessKind::Msr, 0x1AD, true, false, emu::FaultRule::Action::Override, 0xFFFFFFFFFFFFFFFFull});
  uint32_t hi = 0, lo = 0;
  EXPECT_FALSE(driver.ReadMSR(0x1AD, &hi, &lo));
  EXPECT_TRUE(driver.ReadMSR(0xCE, &hi, &lo));
  EXPECT_EQ(lo & 0xFF00, 20u << 8);
  uint8_t buf[4] = {1, 2, 3, 4};
  uint64_t t = Now();
  EXPECT_FALSE(driver.ReadPhysical(0, 0xF0000, 0, buf)) << "length 0 is refused";
  EXPECT_EQ(Now(), t);
  driver.Release();
}

TEST_F(ChannelTest, WritesReachTheBoard) {
  uint32_t error = 0;
  ASSERT_TRUE(driver.Acquire(&error, 2000));
  EXPECT_TRUE(driver.WriteMSR(0x1AD, 0, 0x16161617));
  uint32_t hi = 0, lo = 0;
  EXPECT_TRUE(driver.ReadMSR(0x1AD, &hi, &lo));
  EXPECT_EQ(lo, 0x16161617u);
  EXPECT_FALSE(driver.WriteMSR(0xCE, 0, 0)) << "read-only MSR";
  EXPECT_TRUE(driver.WritePhysical32(0, 0x1000, 0xA1B2C3D4));
  uint8_t byte = 0;
  EXPECT_TRUE(driver.ReadPhysical8(0, 0x1000, 1, &byte));
  EXPECT_EQ(byte, 0xC3);
  uint32_t dword = 0;
  EXPECT_TRUE(driver.ReadPhysical32(0, 0xFEB00000, 0, &dword));
  EXPECT_EQ(dword, 0xFFFFFFFFu) << "unmapped memory floats high";
  driver.Release();
}

TEST_F(ChannelTest, ConfigurationMechanismThroughPorts) {
  uint32_t error = 0;
  ASSERT_TRUE(driver.Acquire(&error, 2000));
  ASSERT_TRUE(driver.WritePort32(0xCF8, 0x12345678 & ~3u));
  uint32_t v = 0, header = 0;
  EXPECT_TRUE(driver.ReadPCIConfigByPorts(0, 0x1F, 3, 0x0E, &v));
  EXPECT_TRUE(driver.ReadPCIConfig(0, 0x1F, 3, 0x0C, 4, &header));
  EXPECT_EQ(v, header >> 16) << "offset 0x0E gives the dword at 0x0C shifted right by 16";
  uint32_t cf8 = 0;
  EXPECT_TRUE(driver.ReadPort32(0xCF8, &cf8));
  EXPECT_EQ(cf8, 0x12345678u & ~3u) << "the address port is restored";

  uint64_t t = Now();
  EXPECT_FALSE(driver.WritePCIConfigByPorts(0, 0x1F, 3, 0x42, 1));
  EXPECT_EQ(Now(), t) << "an unaligned write touches no port";
  // Fields too large for the address never reach another function.
  EXPECT_FALSE(driver.WritePCIConfigByPorts(0, 0x1F, 3, 0x140, 1));
  EXPECT_FALSE(driver.WritePCIConfigByPorts(0, 0x3F, 3, 0x40, 1));
  EXPECT_FALSE(driver.ReadPCIConfigByPorts(0x100, 0x1F, 3, 0, &v));
  EXPECT_EQ(Now(), t);
  EXPECT_TRUE(driver.WritePCIConfigByPorts(0, 0x1F, 3, 0x40, 0x05));
  uint8_t reg = 0;
  EXPECT_TRUE(driver.ReadPCIConfig(0, 0x1F, 3, 0x40, 1, &reg));
  EXPECT_EQ(reg, 0x05);
  EXPECT_TRUE(driver.ReadPCIConfigByPortsRaw(0x80000000u | 0x1F << 11 | 3 << 8, &v));
  EXPECT_EQ(v, 0x3A308086u);
  uint32_t absent = 0;
  EXPECT_TRUE(driver.ReadPCIConfig(5, 0, 0, 0, 4, &absent));
  EXPECT_EQ(absent, 0xFFFFFFFFu);
  driver.Release();
}

TEST_F(ChannelTest, CounterRateIsRescaledToTheTimersFrequency) {
  uint32_t error = 0;
  ASSERT_TRUE(driver.Acquire(&error, 2000));
  EXPECT_NEAR(driver.MeasureCounterRate(3579545.0, 0x408, 0x10), 2666.6, 1.0);
  EXPECT_NEAR(driver.MeasureCounterRate(3579545.0 * 2, 0x408, 0x10), 2 * 2666.6, 2.0);
  EXPECT_LT(driver.MeasureCounterRate(3579545.0, 0x408, 0x12345), 0.0f) << "unknown MSR";
  driver.Release();
}

TEST_F(ChannelTest, CounterRateKeepsItsAccuracyWhenAReadingPairIsSplit) {
  // The time-stamp counter at 2666.6 MHz; its first read is followed by 2 ms
  // in which the thread does not run (preemption between the counter read
  // and the timer read of the start pair).
  auto reads = std::make_shared<int>(0);
  for (auto& cpu : machine->Cpus())
    cpu->SetMsrHandler(0x10, emu::MsrHandler{[this, reads](uint64_t* v) {
                                               *v = static_cast<uint64_t>(Now() * 2.6666);
                                               if ((*reads)++ == 0) machine->Time().Advance(2000000);
                                               return true;
                                             },
                                             nullptr});
  uint32_t error = 0;
  ASSERT_TRUE(driver.Acquire(&error, 2000));
  const float rate = driver.MeasureCounterRate(3579545.0, 0x408, 0x10);
  driver.Release();
  EXPECT_NEAR(rate, 2666.6, 2666.6 * 0.001);
}

TEST_F(ChannelTest, AcquireTimesOutWhileAnotherProcessHoldsTheChannel) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t pid = fork();
  if (pid == 0) {
    CKMDriver other;
    uint32_t e = 0;
    if (!other.Open("/tmp", &e, true) || !other.Acquire(&e, 2000)) _exit(2);
    char c = 'x';
    (void)!write(fds[1], &c, 1);
    for (;;) pause();
  }
  char c = 0;
  ASSERT_EQ(read(fds[0], &c, 1), 1);
  uint32_t error = 0;
  EXPECT_FALSE(driver.Acquire(&error, 100));
  EXPECT_EQ(error, 0x102u);
  EXPECT_FALSE(driver.IsAcquired());
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  // The holder died: the first wait reports it and gives the lock back.
  EXPECT_FALSE(driver.Acquire(&error, 1000));
  EXPECT_EQ(error, 0x80u);
  EXPECT_TRUE(driver.Acquire(&error, 1000));
  driver.Release();
  close(fds[0]);
  close(fds[1]);
}

TEST(ChannelLifecycleTest, NoMutexAndFailedInstall) {
  std::string err;
  auto machine = emu::BuildBoard("brenmor-x58", emu::TimeBase::Mode::Virtual, &err);
  plat::SetCurrentMachine(machine);
  CKMDriver driver;
  uint32_t error = 0;
  EXPECT_FALSE(driver.Acquire(&error, 10));
  EXPECT_EQ(error, KMIO_ERROR_NO_MUTEX);

  machine->Faults().Add({emu::AccessKind::Install, emu::kAnyAddress, true, true, emu::FaultRule::Action::Fail, 13});
  EXPECT_FALSE(driver.Open("/tmp", &error, true));
  EXPECT_EQ(error, 13u);
  EXPECT_EQ(driver.mutex, nullptr) << "a failed Open closes the channel";
  EXPECT_FALSE(machine->Service().IsInstalled());
}

}  // namespace
