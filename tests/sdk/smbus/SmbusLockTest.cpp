// Transactions never interleave: two threads on one emulated bus, and a
// second process holding the bus mutex.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "platform/GlobalMutex.h"
#include "platform/LockTimeouts.h"
#include "platform/NamedMutex.h"
#include "sdk/access/CMultiplexer.h"
#include "sdk/core/QUARNSDK.h"
#include "tests/sdk/smbus/IchBench.h"

namespace {

using smbustest::IchBench;
using smbustest::kSlave;

TEST(SmbusLock, TwoThreadsHammeringOneBusNeverMixTheirTransactions) {
  IchBench b;
  auto other = std::make_shared<emu::SmbusRegisterSlave>();
  b.ich.smbus->Attach(0x2B, other);
  ASSERT_TRUE(b.Start());
  for (int r = 0; r < 256; ++r) {
    b.slave->Set(static_cast<uint8_t>(r), static_cast<uint8_t>(r ^ 0x5A));
    other->Set(static_cast<uint8_t>(r), static_cast<uint8_t>(r ^ 0xA5));
  }
  CSMBusRegisterSpace* host = b.Host();
  std::atomic<int> wrong{0}, failed{0};
  auto hammer = [&](uint8_t slave, uint8_t key) {
    for (int i = 0; i < 150; ++i) {
      uint8_t command = static_cast<uint8_t>(i * 7 + key), v = 0, lo = 0, hi = 0;
      if (i % 3 == 2) {
        if (!host->LockedReadWord(slave, command, &lo, &hi)) ++failed;
        else if (lo != (command ^ key) || hi != (static_cast<uint8_t>(command + 1) ^ key)) ++wrong;
      } else {
        if (!host->LockedReadByte(slave, command, &v)) ++failed;
        else if (v != (command ^ key)) ++wrong;
      }
    }
  };
  std::thread t1(hammer, kSlave, 0x5A), t2(hammer, 0x2B, 0xA5);
  t1.join();
  t2.join();
  EXPECT_EQ(wrong.load(), 0) << "a value from the other thread's slave or command";
  EXPECT_EQ(failed.load(), 0);
}

TEST(SmbusLock, AnotherProcessHoldingTheBusMakesTheReadFailWithoutTouchingTheHost) {
  IchBench b;
  ASSERT_TRUE(b.Start());
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    plat::MutexHandle m = plat::CreateGlobalMutex(false, "Access_SMBUS.HTP.Method");
    char c = m && plat::WaitForMutex(m, 5000) == plat::kWaitObject0 ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    (void)!read(release[0], &c, 1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');

  // Any start of a transaction would consume this fault.
  b.Fault("nak", 1, emu::kAnyAddress);
  b.slave->Set(0x10, 0x5A);
  uint8_t v = 0x77, buffer[32];
  EXPECT_EQ(b.Host()->LockedReadByte(kSlave, 0x10, &v), 0);
  EXPECT_EQ(v, 0x77) << "untouched without the mutex";
  EXPECT_EQ(b.Host()->LockedReadBlock(kSlave, 0x10, buffer), -1);
  EXPECT_EQ(b.Host()->LockedReadBytes(kSlave, 0x10, buffer, 2), -1);

  (void)!write(release[1], "x", 1);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_EQ(b.Host()->LockedReadByte(kSlave, 0x10, &v), 0) << "the armed fault fires only now";
  EXPECT_EQ(b.Host()->LockedReadByte(kSlave, 0x10, &v), 1);
  EXPECT_EQ(v, 0x5A);
  for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
}

// A switch that records what it was asked to do.
class RecordingSwitch : public CMultiplexer {
 public:
  RecordingSwitch() : CMultiplexer(0, nullptr) {}
  int SelectChannel(uint8_t channel) override {
    ++selects;
    return 1;
  }
  int selects = 0;
};

// Another process that never lets go of the switch costs one bounded wait
// and a failed select, not a hang; the switch is not touched meanwhile.
TEST(SmbusLock, AHeldMultiplexerLockTimesOutLikeATransaction) {
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    plat::MutexHandle m = plat::CreateGlobalMutex(false, "Access_MUX");
    char c = m && plat::WaitForMutex(m, 5000) == plat::kWaitObject0 ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    (void)!read(release[0], &c, 1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  RecordingSwitch mux;
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(mux.Select(1), 0);
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
  EXPECT_GE(waited.count(), static_cast<long>(plat::kBusTransactionTimeoutMs) - 50);
  EXPECT_LT(waited.count(), static_cast<long>(plat::kBusTransactionTimeoutMs) * 5);
  EXPECT_EQ(mux.selects, 0);
  (void)!write(release[1], "x", 1);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(mux.Select(1), 1);
  EXPECT_EQ(mux.selects, 1);
  for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
}

}  // namespace
