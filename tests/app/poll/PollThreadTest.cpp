// The polling cycle and its thread inside the application: the gauge
// table, the hand-held-device rhythm, the locks it waits for and gives up
// on, and stopping and restarting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <chrono>
#include <thread>

#include "AppTestSupport.h"
#include "app/CTorvikTuneApp.h"
#include "poll/PollCore.h"
#include "poll/PollThread.h"
#include "driver/CKMDriver.h"
#include "sdk/core/QUARNSDK.h"

namespace {

TEST(PollCoreGauge, PositionFollowsTheCoreClockPiecewise) {
  struct Case {
    float mhz;
    int position;
  } cases[] = {{-1, 0},     {999, 0},     {1000, 0},    {1500, 20},   {2000, 40},   {2999, 79},
               {3500, 100}, {4000, 120},  {4500, 150},  {5000, 180},  {5500, 217},  {6000, 255},
               {6001, 255}, {12000, 255}};
  for (const Case& c : cases) EXPECT_EQ(CPollCore::GaugePosition(c.mhz), c.position) << c.mhz;
}

// Waits, turning the event loop, until `done` or `ms` passed.
template <typename F>
bool WaitFor(F done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

class PollInApp : public ::testing::Test {
 protected:
  void SetUp() override {
    apptest::EnsureQApplication();
    machine_ = apptest::SelectEmulatedBoard();
    ASSERT_TRUE(machine_);
  }
  void Start(CTorvikTuneApp::Hooks hooks = {}) {
    hooks.warningBox = [](const QString&, const QString&) {};
    hooks.pollPeriodMs = 20;
    app_ = std::make_unique<CTorvikTuneApp>(hooks);
    ASSERT_TRUE(app_->InitInstance());
    ASSERT_TRUE(apptest::WaitForMemoryModules(*app_));
    ASSERT_NE(app_->m_pSDK, nullptr);
  }
  void TearDown() override { app_.reset(); }

  std::shared_ptr<emu::EmulatedMachine> machine_;
  std::unique_ptr<CTorvikTuneApp> app_;
};

TEST_F(PollInApp, ThreadCyclesFromStartAndStopsAndRestarts) {
  Start();
  ASSERT_TRUE(app_->PollingRunning());
  ASSERT_TRUE(WaitFor([&] { return app_->Poll()->CycleCount() >= 3; }, 5000));

  app_->StartPolling(false);
  EXPECT_FALSE(app_->PollingRunning());
  const int stopped = app_->Poll()->CycleCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(app_->Poll()->CycleCount(), stopped) << "no cycle after the stop returned";
  EXPECT_FALSE(app_->m_pSDK->OwnsLock());

  app_->StartPolling(true);
  app_->StartPolling(true);  // a second start keeps the one thread
  EXPECT_TRUE(app_->PollingRunning());
  EXPECT_TRUE(WaitFor([&] { return app_->Poll()->CycleCount() >= stopped + 2; }, 5000));
  app_->ExitInstance();
  EXPECT_FALSE(app_->PollingRunning()) << "shutdown joins the thread";
}

TEST_F(PollInApp, BusySdkLockInAnotherProcessSkipsCyclesWithoutBlockingTheWindow) {
  Start();
  app_->StartPolling(false);
  apptest::LockHolder other("QUARNSDK");
  ASSERT_TRUE(other.Holding());

  // One cycle gives up after its 50 ms, counts nothing and holds nothing.
  const int before = app_->Poll()->CycleCount();
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(app_->PollHardware(CTorvikTuneApp::kPollSdkLockTimeoutMs));
  EXPECT_GE(clock.elapsed(), 40);
  EXPECT_LT(clock.elapsed(), 500);
  EXPECT_EQ(app_->Poll()->CycleCount(), before);
  EXPECT_FALSE(app_->m_pDriver->IsAcquired());

  // With the thread running against the busy lock the event loop keeps
  // turning: a fast timer never waits long (the pages' own timers give up
  // after 100 ms each).
  app_->StartPolling(true);
  const int skippedBefore = app_->Poll()->SkippedCount();
  EXPECT_LT(apptest::LongestEventLoopGap(1500), 1000);
  EXPECT_GE(app_->Poll()->SkippedCount(), skippedBefore + 3);
  EXPECT_EQ(app_->Poll()->CycleCount(), before);
}

TEST_F(PollInApp, CyclesResumeOnceTheOtherProcessLetsGo) {
  Start();
  {
    apptest::LockHolder other("QUARNSDK");
    ASSERT_TRUE(other.Holding());
    ASSERT_TRUE(WaitFor([&] { return app_->Poll()->SkippedCount() >= 2; }, 5000));
  }
  const int after = app_->Poll()->CycleCount();
  EXPECT_TRUE(WaitFor([&] { return app_->Poll()->CycleCount() >= after + 2; }, 5000));
}

TEST_F(PollInApp, ThreadHoldsTheInstanceMutexForItsCycleAndWaitsWhenItIsBusy) {
  Start();
  app_->StartPolling(false);
  {
    // Another holder of the instance mutex (not of the instance lock): the
    // thread's turns are skipped after 50 ms each.
    apptest::LockHolder other(CTorvikTuneApp::kInstanceLockName);
    ASSERT_TRUE(other.Holding());
    const int before = app_->Poll()->CycleCount();
    app_->StartPolling(true);
    ASSERT_TRUE(WaitFor([&] { return app_->PollThread()->InstanceSkipCount() >= 2; }, 5000));
    EXPECT_EQ(app_->Poll()->CycleCount(), before);
  }
  const int freed = app_->Poll()->CycleCount();
  EXPECT_TRUE(WaitFor([&] { return app_->Poll()->CycleCount() >= freed + 2; }, 5000));
}

TEST_F(PollInApp, HandHeldDeviceGetsEveryThirdCycleStartingWithTheFirst) {
  std::vector<int> sentAt;
  CPollCore* core = nullptr;
  CTorvikTuneApp::Hooks hooks;
  hooks.poll.feedZundo = [&](QUARNSDK& sdk) {
    EXPECT_TRUE(sdk.OwnsLock());
    sentAt.push_back(core->CycleCount());
  };
  Start(hooks);
  app_->StartPolling(false);
  core = app_->Poll();
  // Off by default.
  ASSERT_TRUE(app_->PollHardware(50));
  EXPECT_TRUE(sentAt.empty());

  CPollCore fresh(app_->m_pSDK, app_->m_pDriver, {hooks.poll.feedZundo, nullptr});
  core = &fresh;
  fresh.SetZundoPolling(true);
  for (int i = 0; i < 7; ++i) ASSERT_TRUE(fresh.PollHardware(50));
  EXPECT_EQ(sentAt, (std::vector<int>{0, 3, 6}));
  EXPECT_EQ(fresh.CycleCount(), 7);
}

TEST(PollThreadAlone, AbandonedInstanceMutexSkipsOneTurnThenRuns) {
  apptest::InstanceHolder crashed("POLLTEST", /*crash=*/true);
  ASSERT_TRUE(crashed.Holding());
  std::atomic<int> cycles{0};
  CPollThread thread([&] { ++cycles; }, "POLLTEST", 5);
  thread.Start();
  for (int i = 0; i < 400 && cycles < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  thread.Stop();
  EXPECT_GE(cycles.load(), 2);
  EXPECT_EQ(thread.InstanceSkipCount(), 1) << "the turn that found the dead owner's mutex";
}

}  // namespace
