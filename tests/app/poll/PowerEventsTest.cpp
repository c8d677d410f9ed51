// Power events on a private message bus: a resume announced by the login
// manager makes every page reload; the suspend announcement does nothing;
// without a bus the subscription stays off and the program runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

#include "AppTestSupport.h"
#include "app/AppMessages.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/CTorvikTuneDlg.h"
#include "app/PowerEvents.h"
#include "app/pages/CTunePage.h"
#include "sdk/core/QUARNSDK.h"

namespace {

class ReloadRecorder : public QObject {
 public:
  std::vector<int> pages;
  std::vector<QObject*> watched;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == CAppMessageEvent::TypeId() && static_cast<CAppMessageEvent*>(e)->Message() == WM_RELOAD_SETTINGS)
      pages.push_back(static_cast<int>(std::find(watched.begin(), watched.end(), o) - watched.begin()));
    return false;
  }
};

class PowerEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    apptest::EnsureQApplication();
    if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) GTEST_SKIP() << "dbus-daemon is not installed";
    bus_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    ASSERT_TRUE(bus_.waitForStarted(5000));
    ASSERT_TRUE(bus_.waitForReadyRead(5000));
    address_ = QString::fromLatin1(bus_.readLine().trimmed());
    ASSERT_FALSE(address_.isEmpty());
    machine_ = apptest::SelectEmulatedBoard();
    ASSERT_TRUE(machine_);
  }
  void TearDown() override {
    app_.reset();
    QDBusConnection::disconnectFromBus("login-manager");
    if (bus_.state() != QProcess::NotRunning) {
      bus_.terminate();
      bus_.waitForFinished(5000);
    }
  }

  void StartApp(const QString& busAddress) {
    CTorvikTuneApp::Hooks hooks;
    hooks.warningBox = [](const QString&, const QString&) {};
    hooks.powerEventBus = busAddress;
    hooks.rereadClockGenerators = [this](QUARNSDK&) { ++rereads_; };
    app_ = std::make_unique<CTorvikTuneApp>(hooks);
    ASSERT_TRUE(app_->InitInstance());
    ASSERT_TRUE(apptest::WaitForMemoryModules(*app_));
    app_->StartPolling(false);
    for (int i = 0; i < CMyTabCtl::kPageCount; ++i) {
      QObject* page = app_->MainWindow()->TabControl()->Page(i);
      recorder_.watched.push_back(page);
      page->installEventFilter(&recorder_);
    }
  }

  // The login manager on the private bus announces PrepareForSleep(start).
  void Announce(bool start) {
    QDBusConnection manager = QDBusConnection::connectToBus(address_, "login-manager");
    ASSERT_TRUE(manager.isConnected());
    manager.interface()->registerService(CPowerEvents::kService);
    QDBusMessage signal = QDBusMessage::createSignal(CPowerEvents::kPath, CPowerEvents::kInterface, CPowerEvents::kSignal);
    signal << start;
    ASSERT_TRUE(manager.send(signal));
  }

  void Turn(int ms, size_t until) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms && recorder_.pages.size() < until) QApplication::processEvents(QEventLoop::AllEvents, 10);
  }

  QProcess bus_;
  QString address_;
  std::shared_ptr<emu::EmulatedMachine> machine_;
  std::unique_ptr<CTorvikTuneApp> app_;
  ReloadRecorder recorder_;
  int rereads_ = 0;
};

TEST_F(PowerEvents, ResumeRereadsTheClocksAndReloadsEveryPageInOrder) {
  StartApp(address_);
  EXPECT_EQ(app_->m_bWMIActive, 1);

  Announce(true);  // going to sleep: nothing to do
  Turn(300, 1);
  EXPECT_TRUE(recorder_.pages.empty());
  EXPECT_EQ(rereads_, 0);

  Announce(false);
  Turn(3000, CMyTabCtl::kPageCount);
  EXPECT_EQ(recorder_.pages, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(rereads_, 1);
  EXPECT_FALSE(app_->m_pSDK->OwnsLock());

  // After shutdown the subscription is gone.
  app_->ExitInstance();
  EXPECT_EQ(app_->m_bWMIActive, 0);
}

TEST_F(PowerEvents, NoBusLeavesTheSubscriptionOffQuietly) {
  StartApp("unix:path=/nonexistent/torvik-no-bus");
  EXPECT_EQ(app_->m_bWMIActive, 0);
  EXPECT_EQ(app_->PowerEvents(), nullptr);
  EXPECT_NE(app_->MainWindow(), nullptr);
  // A resume with the lock unavailable still reloads the pages.
  app_->OnPowerResume();
  EXPECT_EQ(recorder_.pages.size(), 8u);
}

}  // namespace
