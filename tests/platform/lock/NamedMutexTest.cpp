// Named locks across real processes: time-outs, owners that die holding a
// lock, recursion, and releases by threads that do not own the lock.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "driver/CKMDriver.h"
#include "machines/MachineSelect.h"
#include "platform/GlobalMutex.h"
#include "platform/LockFiles.h"
#include "platform/NamedMutex.h"
#include "sdk/core/HardwareLock.h"
#include "sdk/core/QUARNSDK.h"

namespace {

// A child process that takes `name`, reports through a pipe, and then
// either holds it until killed or exits without releasing it.
struct Holder {
  pid_t pid = -1;

  void Start(const char* name, bool dieHolding) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(fds[0]);
      plat::MutexHandle m = plat::CreateGlobalMutex(false, name);
      const uint32_t w = m ? plat::WaitForMutex(m, 5000) : plat::kWaitFailed;
      if (w != plat::kWaitObject0 && w != plat::kWaitAbandoned) _exit(3);
      char c = 'x';
      (void)!write(fds[1], &c, 1);
      if (dieHolding) _exit(0);
      for (;;) pause();
    }
    close(fds[1]);
    char c = 0;
    ASSERT_EQ(read(fds[0], &c, 1), 1);
    close(fds[0]);
  }
  void Stop() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      pid = -1;
    }
  }
  void Reap() {
    if (pid > 0) {
      waitpid(pid, nullptr, 0);
      pid = -1;
    }
  }
  ~Holder() { Stop(); }
};

TEST(NamedMutexTest, WaitTimesOutWhileAnotherProcessHoldsIt) {
  Holder holder;
  holder.Start("busy", false);
  plat::MutexHandle m = plat::CreateGlobalMutex(false, "busy");
  ASSERT_NE(m, nullptr);
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(plat::WaitForMutex(m, 100), plat::kWaitTimeout);
  auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_GE(waited, 90);
  EXPECT_LT(waited, 2000);
  EXPECT_FALSE(m->OwnedByCaller());
  holder.Stop();  // killed while holding: the next owner sees it abandoned once
  EXPECT_EQ(plat::WaitForMutex(m, 1000), plat::kWaitAbandoned);
  EXPECT_TRUE(plat::ReleaseMutex(m));
  EXPECT_EQ(plat::WaitForMutex(m, 1000), plat::kWaitObject0);
  EXPECT_TRUE(plat::ReleaseMutex(m));
  plat::CloseMutex(m);
}

// A lock handle kept in a static object is closed by the exit handlers,
// after the main thread's thread-local objects are gone; closing it there
// must not touch freed memory (the sanitizers make the child fail if it
// does).
TEST(NamedMutexTest, AHandleInAStaticObjectClosesCleanlyAtExit) {
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    static std::unique_ptr<plat::NamedMutex> held = plat::NamedMutex::Open("static-holder", false, nullptr);
    if (!held || held->Wait(1000, nullptr) != plat::kWaitObject0) _exit(3);
    std::exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(NamedMutexTest, RecursiveForItsOwnerAndRefusesForeignRelease) {
  plat::MutexHandle m = plat::CreateGlobalMutex(false, "recursive");
  ASSERT_NE(m, nullptr);
  EXPECT_FALSE(plat::ReleaseMutex(m)) << "releasing an unowned lock must be refused";
  ASSERT_EQ(plat::WaitForMutex(m, 0), plat::kWaitObject0);
  ASSERT_EQ(plat::WaitForMutex(m, 0), plat::kWaitObject0);
  bool otherThreadReleased = true;
  uint32_t otherThreadWait = 0;
  std::thread([&] {
    otherThreadReleased = plat::ReleaseMutex(m);
    otherThreadWait = plat::WaitForMutex(m, 50);
  }).join();
  EXPECT_FALSE(otherThreadReleased);
  EXPECT_EQ(otherThreadWait, plat::kWaitTimeout);
  EXPECT_TRUE(plat::ReleaseMutex(m));
  EXPECT_TRUE(m->OwnedByCaller());
  EXPECT_TRUE(plat::ReleaseMutex(m));
  EXPECT_FALSE(m->OwnedByCaller());
  EXPECT_FALSE(plat::ReleaseMutex(m));
  plat::CloseMutex(m);
}

TEST(NamedMutexTest, NullHandleFailsCleanly) {
  int error = 0;
  EXPECT_EQ(plat::WaitForMutex(nullptr, 10, &error), plat::kWaitFailed);
  EXPECT_NE(error, 0);
  EXPECT_FALSE(plat::ReleaseMutex(nullptr));
}

class SdkLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_TRUE(machines::SelectMachine("emulated", &err, emu::TimeBase::Mode::Virtual)) << err;
  }
  void TearDown() override { QUARNSDK::ReleaseInstance(); }
};

TEST_F(SdkLockTest, AbandonedLockFailsOnceThenSucceeds) {
  Holder holder;
  holder.Start("QUARNSDK", true);
  holder.Reap();
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  uint32_t status = 0;
  EXPECT_FALSE(sdk->Lock(&status, 1000));
  EXPECT_EQ(status, 0x80u);
  EXPECT_FALSE(sdk->OwnsLock()) << "an abandoned wait hands the lock back at once";
  EXPECT_TRUE(sdk->Lock(&status, 1000));
  sdk->Unlock();
  EXPECT_FALSE(sdk->OwnsLock());
}

TEST_F(SdkLockTest, TimeoutWhileAnotherProgramHoldsTheLock) {
  Holder holder;
  holder.Start("QUARNSDK", false);
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  uint32_t status = 0;
  EXPECT_FALSE(sdk->Lock(&status, 50));
  EXPECT_EQ(status, 0x102u);
  sdk->Unlock();  // not owned: must be harmless
  holder.Stop();
}

// A program killed while holding the SDK lock and the channel costs the
// next run a message, not a failure: the hardware lock takes both over.
TEST_F(SdkLockTest, HardwareLockTakesOverLocksWhoseHolderDied) {
  CKMDriver driver;
  uint32_t error = 0;
  ASSERT_TRUE(driver.Open("/tmp", &error, true)) << error;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  Holder sdkHolder, channelHolder;
  sdkHolder.Start("QUARNSDK", true);
  sdkHolder.Reap();
  channelHolder.Start("kmio", true);
  channelHolder.Reap();
  std::vector<std::string> told;
  plat::SetLockProblemSink([&](const std::string& text) { told.push_back(text); });
  {
    HardwareLock lock(sdk, &driver, 1000);
    EXPECT_TRUE(lock.Held());
    EXPECT_TRUE(lock.ChannelHeld());
    EXPECT_TRUE(driver.IsAcquired());
    EXPECT_TRUE(sdk->OwnsLock());
  }
  plat::SetLockProblemSink(nullptr);
  EXPECT_FALSE(sdk->OwnsLock());
  EXPECT_FALSE(driver.IsAcquired());
  ASSERT_EQ(told.size(), 2u);
  EXPECT_NE(told[0].find("\"Global\\QUARNSDK\" ended without releasing it"), std::string::npos) << told[0];
  EXPECT_NE(told[1].find("\"Global\\kmio\" ended without releasing it"), std::string::npos) << told[1];
  driver.Close(false, false);
}

TEST_F(SdkLockTest, HardwareLockHoldsNothingWhenTheChannelIsBusy) {
  CKMDriver driver;
  uint32_t error = 0;
  ASSERT_TRUE(driver.Open("/tmp", &error, true)) << error;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  Holder channelHolder;
  channelHolder.Start("kmio", false);
  {
    HardwareLock lock(sdk, &driver, 1000);
    EXPECT_FALSE(lock.Held());
    EXPECT_EQ(lock.ChannelError(), 0x102u);
    EXPECT_FALSE(sdk->OwnsLock()) << "the SDK lock must be given back";
  }
  {
    // The poll goes on without the channel.
    HardwareLock lock(sdk, &driver, 1000, HardwareLock::Channel::Optional);
    EXPECT_TRUE(lock.Held());
    EXPECT_FALSE(lock.ChannelHeld());
    EXPECT_TRUE(sdk->OwnsLock());
  }
  channelHolder.Stop();
  driver.Close(false, false);
}

// A measurement's wait runs with the hardware lock given up: another
// program gets the SDK lock meanwhile, and the lock is taken back after.
TEST_F(SdkLockTest, HardwareLockIsGivenUpDuringAWaitAndTakenBack) {
  CKMDriver driver;
  uint32_t error = 0;
  ASSERT_TRUE(driver.Open("/tmp", &error, true)) << error;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  {
    HardwareLock lock(sdk, &driver, 1000);
    ASSERT_TRUE(lock.Held());
    bool waited = false;
    EXPECT_TRUE(HardwareLock::ReleasedDuring([&] {
      waited = true;
      EXPECT_FALSE(sdk->OwnsLock());
      EXPECT_FALSE(driver.IsAcquired());
      Holder other;  // takes the SDK lock while we wait, and dies holding it
      other.Start("QUARNSDK", true);
      other.Reap();
    }));
    EXPECT_TRUE(waited);
    EXPECT_TRUE(lock.Held());
    EXPECT_TRUE(sdk->OwnsLock());
    EXPECT_TRUE(driver.IsAcquired());
    EXPECT_FALSE(HardwareLock::Lost());
  }
  EXPECT_FALSE(sdk->OwnsLock());
  // Without a lock on this thread the wait simply runs.
  int runs = 0;
  EXPECT_TRUE(HardwareLock::ReleasedDuring([&] { ++runs; }));
  EXPECT_EQ(runs, 1);
  driver.Close(false, false);
}

// When another program keeps the SDK lock past the time-out, the lock is
// not had back: nothing stays held and the thread is told it lost it.
TEST_F(SdkLockTest, HardwareLockNotHadBackAfterAWaitHoldsNothing) {
  CKMDriver driver;
  uint32_t error = 0;
  ASSERT_TRUE(driver.Open("/tmp", &error, true)) << error;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  Holder other;
  {
    HardwareLock lock(sdk, &driver, 1000);
    ASSERT_TRUE(lock.Held());
    EXPECT_FALSE(HardwareLock::ReleasedDuring([&] { other.Start("QUARNSDK", false); }));
    EXPECT_TRUE(HardwareLock::Lost());
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(sdk->OwnsLock());
    EXPECT_FALSE(driver.IsAcquired());
  }
  other.Stop();
  HardwareLock again(sdk, &driver, 1000);
  EXPECT_TRUE(again.Held());
  EXPECT_FALSE(HardwareLock::Lost()) << "a new lock clears the mark";
  again.Unlock();
  driver.Close(false, false);
}

}  // namespace
