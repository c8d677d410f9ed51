// The application's lock discipline: page timers give up on a busy SDK lock
// after 100 ms and the window keeps running; the single-register routines
// take and give back both locks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "AppTestSupport.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/CTorvikTuneDlg.h"
#include "app/pages/CTunePage.h"
#include "driver/CKMDriver.h"
#include "sdk/core/QUARNSDK.h"

namespace {

class AppLocks : public ::testing::Test {
 protected:
  void SetUp() override {
    apptest::EnsureQApplication();
    machine_ = apptest::SelectEmulatedBoard();
    ASSERT_TRUE(machine_);
    CTorvikTuneApp::Hooks hooks;
    hooks.warningBox = [](const QString&, const QString&) {};
    app_ = std::make_unique<CTorvikTuneApp>(hooks);
    ASSERT_TRUE(app_->InitInstance());
    ASSERT_TRUE(apptest::WaitForMemoryModules(*app_));
    ASSERT_NE(app_->m_pSDK, nullptr);
  }
  void TearDown() override { app_.reset(); }

  std::shared_ptr<emu::EmulatedMachine> machine_;
  std::unique_ptr<CTorvikTuneApp> app_;
};

TEST_F(AppLocks, PageTimerGivesUpAfter100msWhileAnotherProcessHoldsTheSdkLock) {
  CTorvikTuneDlg* wnd = app_->MainWindow();
  CTunePage* page = wnd->TabControl()->Page(0);
  {
    apptest::LockHolder other("QUARNSDK");
    ASSERT_TRUE(other.Holding());

    QElapsedTimer clock;
    clock.start();
    page->OnTimer();
    const qint64 waited = clock.elapsed();
    EXPECT_GE(waited, 90);
    EXPECT_LT(waited, 600);
    EXPECT_EQ(page->SkippedTickCount(), 1);
    EXPECT_EQ(page->RedrawCount(), 0);

    // With the pages' own timers running against the busy lock, the event
    // loop keeps turning: a fast timer never waits much longer than the
    // four timer pages' 100 ms each.
    QTimer probe;
    probe.setInterval(20);
    QElapsedTimer sinceLast;
    qint64 longestGap = 0;
    QObject::connect(&probe, &QTimer::timeout, [&] {
      longestGap = std::max(longestGap, sinceLast.restart());
    });
    sinceLast.start();
    probe.start();
    clock.restart();
    while (clock.elapsed() < 2300) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    probe.stop();
    EXPECT_LT(longestGap, 1000);
    EXPECT_GE(page->SkippedTickCount(), 3) << "the page's own timer ticked and skipped";
    EXPECT_EQ(page->RedrawCount(), 0);
  }
  // Once the other process lets go, the next tick redraws.
  page->OnTimer();
  EXPECT_EQ(page->RedrawCount(), 1);
  EXPECT_FALSE(app_->m_pSDK->OwnsLock());
}

TEST_F(AppLocks, SingleRegisterRoutinesTakeAndReturnBothLocks) {
  // Host bridge at 0:0.0 answers its configuration space.
  uint32_t id = 0;
  ASSERT_EQ(app_->ReadPCIConfig(0, 0, 0, 0, &id), 1);
  EXPECT_NE(id & 0xFFFF, 0xFFFFu);
  EXPECT_FALSE(app_->m_pSDK->OwnsLock());
  EXPECT_FALSE(app_->m_pDriver->IsAcquired());

  // Physical memory round trip through the channel.
  ASSERT_EQ(app_->WritePhysDword(0, 0x100000, 0x10, 0xA5C3F00D), 1);
  uint32_t back = 0;
  ASSERT_EQ(app_->ReadPhysDword(0, 0x100000, 0x10, &back), 1);
  EXPECT_EQ(back, 0xA5C3F00Du);
  EXPECT_FALSE(app_->m_pSDK->OwnsLock());
  EXPECT_FALSE(app_->m_pDriver->IsAcquired());

  // An MSR of core 0 of processor 0: the platform information's maximum
  // non-turbo ratio of the emulated Core i7-920; no lock is left behind.
  uint32_t high = 0, low = 0;
  EXPECT_EQ(app_->ReadMSR(0, 0, 0xCE, &high, &low), 1);
  EXPECT_EQ((low >> 8) & 0xFF, 20u);
  EXPECT_FALSE(app_->m_pSDK->OwnsLock());
  EXPECT_FALSE(app_->m_pDriver->IsAcquired());
  // A processor that does not exist: all ones, failure.
  EXPECT_EQ(app_->ReadMSR(7, 0, 0xCE, &high, &low), 0);
  EXPECT_EQ(high, 0xFFFFFFFFu);
  EXPECT_EQ(low, 0xFFFFFFFFu);
  EXPECT_FALSE(app_->m_pSDK->OwnsLock());
  // A core the processor does not have (the i7-920 has four) fails for reads
  // and writes alike instead of reaching the first thread.
  for (int core : {4, 9, -1}) {
    EXPECT_EQ(app_->ReadMSR(0, core, 0xCE, &high, &low), 0) << core;
    EXPECT_EQ(low, 0xFFFFFFFFu) << core;
    EXPECT_EQ(app_->WriteMSR(0, core, 0x1AD, 0, 0x1E1E1E1E), 0) << core;
  }
  ASSERT_EQ(app_->ReadMSR(0, 0, 0x1AD, &high, &low), 1);
  EXPECT_NE(low, 0x1E1E1E1Eu) << "the refused write reached the register";
  EXPECT_FALSE(app_->m_pSDK->OwnsLock());
}

TEST_F(AppLocks, HardwareLockFailsWholeWhenTheChannelIsBusy) {
  apptest::LockHolder other("kmio");
  ASSERT_TRUE(other.Holding());
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(app_->LockHardware(100));
  EXPECT_GE(clock.elapsed(), 1900) << "the channel is waited for 2000 ms";
  EXPECT_FALSE(app_->m_pSDK->OwnsLock()) << "the SDK lock is given back when the channel is not obtained";
}

}  // namespace
