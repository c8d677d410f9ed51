// Start-up, the main window and its pages, driver failure and the single
// instance, on the emulated board under the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <utility>
#include <vector>

#include "AppTestSupport.h"
#include "app/AppMessages.h"
#include "app/CHyperLink.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/CTorvikTuneDlg.h"
#include "app/pages/CMemoryDlg.h"
#include "app/pages/CTunePage.h"
#include "emu/EmulatedDriverService.h"
#include "platform/host/HostMachine.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/QUARNSDK.h"

namespace {

struct BoxRecord {
  QString text, caption;
};

class AppShell : public ::testing::Test {
 protected:
  void SetUp() override {
    apptest::EnsureQApplication();
    machine_ = apptest::SelectEmulatedBoard();
    ASSERT_TRUE(machine_);
  }

  std::unique_ptr<CTorvikTuneApp> MakeApp() {
    CTorvikTuneApp::Hooks hooks;
    hooks.warningBox = [this](const QString& text, const QString& caption) { boxes_.push_back({text, caption}); };
    return std::make_unique<CTorvikTuneApp>(hooks);
  }

  // Makes the driver's installation fail from now on.
  void BreakDriverInstall() {
    uint32_t error = 0;
    machine_->Service().Uninstall(true, true, &error);
    emu::FaultRule rule;
    rule.kind = emu::AccessKind::Install;
    machine_->Faults().Add(rule);
  }

  std::shared_ptr<emu::EmulatedMachine> machine_;
  std::vector<BoxRecord> boxes_;
};

// The window does not wait for the memory modules: their EEPROMs are read
// on a thread of their own, and the modules reach the facade's lists and
// the Memory page only afterwards, on the window's thread.
TEST_F(AppShell, TheMemoryModulesArriveAfterTheWindow) {
  auto app = MakeApp();
  ASSERT_TRUE(app->InitInstance());
  auto* memory = qobject_cast<CMemoryDlg*>(app->MainWindow()->TabControl()->Page(1));
  ASSERT_NE(memory, nullptr);
  auto modulesInFacade = [&] {
    int n = 0;
    for (CDevice* d : Items(app->m_pSDK->GetDevices())) n += dynamic_cast<CMemoryModule*>(d) != nullptr;
    return n;
  };
  EXPECT_FALSE(app->MemoryModulesRead());
  EXPECT_EQ(app->MemoryModules(), nullptr);
  EXPECT_EQ(modulesInFacade(), 0) << "nothing of the reading thread's in the facade before its note is taken";
  auto* reading = memory->findChild<QLabel*>("moduleNone");
  ASSERT_NE(reading, nullptr);
  EXPECT_EQ(reading->text(), "Reading the modules...");
  // The page in that state, for a reviewer.
  app->MainWindow()->TabControl()->setCurrentIndex(1);
  EXPECT_TRUE(app->MainWindow()->grab().save(QStringLiteral(TORVIK_APP_TEST_OUTPUT_DIR) +
                                             "/torviktune-memory-reading.png"));

  ASSERT_TRUE(apptest::WaitForMemoryModules(*app));
  ASSERT_NE(app->MemoryModules(), nullptr);
  EXPECT_GT(app->MemoryModules()->count, 0);
  EXPECT_EQ(modulesInFacade(), app->MemoryModules()->count);
  EXPECT_EQ(memory->findChild<QLabel*>("moduleNone"), nullptr);
  auto* size = memory->findChild<QLabel*>("module0_2");
  ASSERT_NE(size, nullptr);
  EXPECT_TRUE(size->text().endsWith(" MBytes")) << size->text().toStdString();
  app->ExitInstance();

  // Closed before the thread's note was taken: the thread is waited for,
  // and what it found but never published is freed (the leak check).
  auto early = MakeApp();
  ASSERT_TRUE(early->InitInstance());
  early->ExitInstance();
  EXPECT_FALSE(early->MemoryModulesRead());
  EXPECT_TRUE(boxes_.empty());
}

// Another program holds the SDK lock while the modules wait to be read or
// published: the window's event loop keeps turning, the modules come once
// the lock is free, and closing the window meanwhile does not wait for
// the other program.
TEST_F(AppShell, TheMemoryModulesWaitForABusySdkLockWithoutHoldingTheWindowUp) {
  auto app = MakeApp();
  ASSERT_TRUE(app->InitInstance());
  {
    apptest::LockHolder other("QUARNSDK");
    ASSERT_TRUE(other.Holding());
    EXPECT_LT(apptest::LongestEventLoopGap(1200), 500);
    EXPECT_FALSE(app->MemoryModulesRead()) << "not published without the lock";
  }
  EXPECT_TRUE(apptest::WaitForMemoryModules(*app));
  app->ExitInstance();

  auto closing = MakeApp();
  ASSERT_TRUE(closing->InitInstance());
  apptest::LockHolder other("QUARNSDK");
  ASSERT_TRUE(other.Holding());
  QElapsedTimer clock;
  clock.start();
  closing->ExitInstance();
  EXPECT_LT(clock.elapsed(), 2000);
}

TEST_F(AppShell, StartsOnTheEmulatedBoardWithEightPagesInOrder) {
  auto app = MakeApp();
  ASSERT_TRUE(app->InitInstance());
  EXPECT_TRUE(boxes_.empty());
  EXPECT_NE(app->m_pSDK, nullptr);
  EXPECT_EQ(app->Splash(), nullptr) << "the splash is gone once the window is up";

  // The splash ran through the interface steps and ended on "End", on the
  // 30-step scale (a complete start-up takes at most 18).
  EXPECT_EQ(app->LastSplashText(), "End");
  EXPECT_GE(app->SplashStepCount(), 15);
  EXPECT_LE(app->SplashStepCount(), 18);

  CTorvikTuneDlg* wnd = app->MainWindow();
  ASSERT_NE(wnd, nullptr);
  EXPECT_TRUE(wnd->isVisible());
  EXPECT_EQ(wnd->windowTitle(), "Brenmor Torvik Tuning Utility");

  struct Expected {
    const char* label;
    const char* className;
    bool timer;
  };
  const Expected expected[] = {
      {"CPU", "CSysinfoDlg", true},          {"Memory", "CMemoryDlg", true},
      {"Monitoring", "CMonitoringDlg", true}, {"Overclocking", "CPLLDlg", false},
      {"Voltages", "CTweakingDlg", false},    {"Graphics", "CGraphicsDlg", true},
      {"Processes", "CProcessDlg", false},    {"Options", "COptionDlg", false},
  };
  CMyTabCtl* tab = wnd->TabControl();
  ASSERT_EQ(tab->count(), 8);
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(tab->tabText(i), expected[i].label);
    CTunePage* page = tab->Page(i);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(tab->widget(i), page);
    EXPECT_STREQ(page->metaObject()->className(), expected[i].className);
    EXPECT_EQ(page->HasOwnTimer(), expected[i].timer);
    if (page->HasOwnTimer()) {
      EXPECT_TRUE(page->Timer()->isActive());
      EXPECT_EQ(page->Timer()->interval(), 1000);
    }
  }
  EXPECT_EQ(tab->currentIndex(), 0);

  // Window furniture.
  EXPECT_EQ(wnd->findChild<QLabel*>("versionText")->text(), "version 1.10.1");
  EXPECT_EQ(wnd->QuitButton()->text(), "Quit");
  ASSERT_NE(wnd->EmulatedMarker(), nullptr);
  EXPECT_TRUE(wnd->EmulatedMarker()->isVisible());
  EXPECT_TRUE(wnd->EmulatedMarker()->text().startsWith("EMULATED"));
  // Without the SDK's processor interface there is nothing to choose from.
  EXPECT_LT(wnd->ProcessorList()->count(), 2);
  EXPECT_FALSE(wnd->ProcessorList()->isEnabled());
  EXPECT_EQ(wnd->ProcessorList()->palette().color(QPalette::Active, QPalette::Text), QColor(0, 0, 0x80));

  // Installed memory of the board, by the rounding rule.
  EXPECT_EQ(app->m_nMemoryMB, CTorvikTuneApp::MemoryMBFromBytes(machine_->TotalPhysicalMemory()));

  // A tick with the lock free redraws.
  CTunePage* cpu = tab->Page(0);
  cpu->OnTimer();
  EXPECT_EQ(cpu->RedrawCount(), 1);
  EXPECT_EQ(cpu->SkippedTickCount(), 0);
  EXPECT_FALSE(app->m_pSDK->OwnsLock());

  // Switching tabs shows the chosen page only.
  tab->setCurrentIndex(3);
  EXPECT_EQ(tab->CurrentIndex(), 3);
  EXPECT_TRUE(tab->Page(3)->isVisible());
  EXPECT_FALSE(tab->Page(0)->isVisible());

  // "TVK_CLOSE_APP" is accepted and changes nothing; an unknown name is not.
  qintptr result = -1;
  EXPECT_TRUE(wnd->OnRegisteredMessage("TVK_CLOSE_APP", &result));
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(wnd->OnRegisteredMessage("SOMETHING_ELSE", &result));
  QApplication::processEvents();
  EXPECT_TRUE(wnd->isVisible());

  app->ExitInstance();
  EXPECT_FALSE(QUARNSDK::HasInstance());
  EXPECT_FALSE(machine_->Service().IsInstalled()) << "the driver is stopped and removed at exit";
}

TEST_F(AppShell, GrabsTheMainWindowIntoAPicture) {
  auto app = MakeApp();
  ASSERT_TRUE(app->InitInstance());
  CTorvikTuneDlg* wnd = app->MainWindow();
  QApplication::processEvents();
  const QString path = QStringLiteral(TORVIK_APP_TEST_OUTPUT_DIR) + "/torviktune-main-window.png";
  QFile::remove(path);
  const QPixmap shot = wnd->grab();
  EXPECT_GE(shot.width(), 600);
  EXPECT_GE(shot.height(), 400);
  EXPECT_TRUE(shot.save(path));
  EXPECT_TRUE(QFile::exists(path));
}

TEST_F(AppShell, DriverFailureShowsOneBoxAndAWorkingEmptyWindow) {
  BreakDriverInstall();
  auto app = MakeApp();
  ASSERT_TRUE(app->InitInstance());
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "Error during driver initialization");
  EXPECT_EQ(boxes_[0].caption, "Error");

  EXPECT_EQ(app->m_pSDK, nullptr);
  EXPECT_FALSE(QUARNSDK::HasInstance());
  EXPECT_EQ(app->m_nMemoryMB, -1);
  CTorvikTuneDlg* wnd = app->MainWindow();
  ASSERT_NE(wnd, nullptr);
  EXPECT_EQ(wnd->TabControl()->count(), 8);

  // Without SDK every hardware routine fails with its outputs at all ones,
  // and page ticks skip.
  uint32_t value = 0;
  EXPECT_EQ(app->ReadPCIConfig(0, 0, 0, 0, &value), 0);
  EXPECT_EQ(value, 0xFFFFFFFFu);
  CTunePage* page = wnd->TabControl()->Page(2);
  page->OnTimer();
  EXPECT_EQ(page->RedrawCount(), 0);
  EXPECT_EQ(page->SkippedTickCount(), 1);

  // Still a working window: the processor change reaches the pages and
  // "Quit" closes it.
  wnd->OnProcessorSelChange(0);
  QTest::mouseClick(wnd->QuitButton(), Qt::LeftButton);
  EXPECT_FALSE(wnd->isVisible());
  EXPECT_EQ(wnd->result(), QDialog::Accepted);
  app->ExitInstance();
  EXPECT_EQ(boxes_.size(), 1u);
}

// Started without root on a host whose hardware is out of reach: the user
// is told which facilities need root and chooses between restarting through
// the launcher, an emulated board and a window without hardware.
TEST_F(AppShell, WithoutRootOnTheHostOffersElevationOrAnEmulatedBoard) {
  QTemporaryDir empty;  // a host tree without /dev/port, msr or /dev/mem
  ASSERT_TRUE(empty.isValid());
  struct Offer {
    QString why;
    bool canElevate;
  };
  struct Start {
    QString program;
    QStringList args;
  };
  const struct {
    CTorvikTuneApp::HostAccessChoice choice;
    bool launcherStarts;
  } cases[] = {
      {CTorvikTuneApp::HostAccessChoice::OpenEmulated, true},
      {CTorvikTuneApp::HostAccessChoice::RestartElevated, true},
      {CTorvikTuneApp::HostAccessChoice::RestartElevated, false},
      {CTorvikTuneApp::HostAccessChoice::Continue, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.choice));
    plat::HostAccessOptions options;
    options.root = empty.path().toStdString();
    options.useIopl = false;
    options.modprobe = "/nonexistent/modprobe";
    plat::SetCurrentMachine(std::make_shared<plat::HostMachine>(options));
    boxes_.clear();
    std::vector<Offer> offers;
    std::vector<Start> starts;
    CTorvikTuneApp::Hooks hooks;
    hooks.warningBox = [this](const QString& text, const QString& caption) { boxes_.push_back({text, caption}); };
    hooks.runningAsRoot = [] { return false; };
    hooks.elevationLauncher = QStringLiteral("/usr/bin/torviktune-pkexec");
    hooks.hostAccessOffer = [&](const QString& why, bool canElevate) {
      offers.push_back({why, canElevate});
      return c.choice;
    };
    hooks.startProcess = [&](const QString& program, const QStringList& args) {
      starts.push_back({program, args});
      return c.launcherStarts;
    };
    auto app = std::make_unique<CTorvikTuneApp>(hooks);
    const bool shown = app->InitInstance();

    ASSERT_EQ(offers.size(), 1u);
    EXPECT_TRUE(offers[0].canElevate);
    EXPECT_TRUE(offers[0].why.contains(
        "gives I/O ports (/dev/port, iopl), MSRs (/dev/cpu/N/msr) and physical memory (/dev/mem) to root only"))
        << offers[0].why.toStdString();
    switch (c.choice) {
      case CTorvikTuneApp::HostAccessChoice::OpenEmulated:
        ASSERT_TRUE(shown);
        EXPECT_TRUE(plat::CurrentMachine().IsEmulated());
        EXPECT_NE(app->m_pSDK, nullptr);
        EXPECT_TRUE(boxes_.empty());
        EXPECT_TRUE(starts.empty());
        break;
      case CTorvikTuneApp::HostAccessChoice::RestartElevated:
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].program, "/usr/bin/torviktune-pkexec");
        EXPECT_EQ(starts[0].args, QStringList({"--machine", "host"}));
        if (c.launcherStarts) {
          // This copy ends without a window, its instance lock already free
          // for the elevated one.
          EXPECT_FALSE(shown);
          EXPECT_EQ(app->MainWindow(), nullptr);
          apptest::InstanceHolder next("TORVIKTUNE");
          EXPECT_TRUE(next.Holding());
        } else {
          // A launcher that does not start is reported; the window stays.
          EXPECT_TRUE(shown);
          ASSERT_EQ(boxes_.size(), 1u);
          EXPECT_TRUE(boxes_[0].text.contains("torviktune-pkexec could not be started"));
        }
        break;
      case CTorvikTuneApp::HostAccessChoice::Continue:
        ASSERT_TRUE(shown);
        EXPECT_EQ(app->m_pSDK, nullptr);
        EXPECT_FALSE(plat::CurrentMachine().IsEmulated());
        EXPECT_TRUE(boxes_.empty());
        EXPECT_EQ(app->MainWindow()->TabControl()->count(), 8);
        break;
    }
    app->ExitInstance();
  }
}

TEST_F(AppShell, SecondInstanceEndsWithoutWindowOrDriver) {
  apptest::InstanceHolder otherInstance("TORVIKTUNE");
  ASSERT_TRUE(otherInstance.Holding());
  auto app = MakeApp();
  EXPECT_FALSE(app->InitInstance());
  EXPECT_EQ(app->MainWindow(), nullptr);
  EXPECT_EQ(app->SplashStepCount(), 0) << "no splash, no hardware bring-up";
  EXPECT_EQ(machine_->Service().installCount, 0);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(AppShell, InstanceLockIsFreeAgainAfterExit) {
  {
    auto first = MakeApp();
    ASSERT_TRUE(first->InitInstance());
    first->ExitInstance();
  }
  auto again = MakeApp();
  EXPECT_TRUE(again->InitInstance());
}

TEST_F(AppShell, CrashedFirstInstanceDoesNotBlockTheNext) {
  // The first copy died holding the instance lock and its mutex.
  apptest::InstanceHolder crashed("TORVIKTUNE", /*crash=*/true);
  ASSERT_TRUE(crashed.Holding());
  auto app = MakeApp();
  EXPECT_TRUE(app->InitInstance());
  EXPECT_NE(app->MainWindow(), nullptr);
}

// Records, in arrival order, which page got which application message.
class MessageRecorder : public QObject {
 public:
  std::vector<std::pair<int, uint32_t>> seen;
  std::vector<QObject*> pages;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == CAppMessageEvent::TypeId()) {
      for (size_t i = 0; i < pages.size(); ++i)
        if (pages[i] == watched) seen.emplace_back(int(i), static_cast<CAppMessageEvent*>(e)->Message());
    }
    return false;
  }
};

TEST_F(AppShell, ProcessorChangeReloadsThenRefreshesEveryPageInOrder) {
  auto app = MakeApp();
  ASSERT_TRUE(app->InitInstance());
  CTorvikTuneDlg* wnd = app->MainWindow();
  MessageRecorder recorder;
  for (int i = 0; i < 8; ++i) {
    recorder.pages.push_back(wnd->TabControl()->Page(i));
    wnd->TabControl()->Page(i)->installEventFilter(&recorder);
  }

  wnd->OnProcessorSelChange(1);
  EXPECT_EQ(app->m_nSelectedProcessor, 1);
  std::vector<std::pair<int, uint32_t>> expected;
  for (uint32_t message : {WM_RELOAD_SETTINGS, WM_REFRESH_VIEW})
    for (int i = 0; i < 8; ++i) expected.emplace_back(i, message);
  EXPECT_EQ(recorder.seen, expected);

  // A reload sent to the main window reaches every page the same way.
  recorder.seen.clear();
  CAppMessageEvent reload(WM_RELOAD_SETTINGS);
  QApplication::sendEvent(wnd, &reload);
  ASSERT_EQ(recorder.seen.size(), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(recorder.seen[i], std::make_pair(i, WM_RELOAD_SETTINGS));
}

TEST_F(AppShell, ProcessorListHoldsEveryProcessorAndNeedsTwoToBeChosen) {
  struct Row {
    const char* board;
    QStringList entries;
    bool enabled;
  } rows[] = {{"brenmor-x58", {"Processor #0"}, false}, {"brenmor-5520dp", {"Processor #0", "Processor #1"}, true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.board);
    machine_ = apptest::SelectEmulatedBoard(r.board);
    ASSERT_TRUE(machine_);
    auto app = MakeApp();
    ASSERT_TRUE(app->InitInstance());
    QComboBox* list = app->MainWindow()->ProcessorList();
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
    EXPECT_EQ(entries, r.entries);
    EXPECT_EQ(list->isEnabled(), r.enabled);
    EXPECT_EQ(list->currentIndex(), 0);
    // A list that cannot be used looks it: greyed, not in the value colour.
    const QPalette::ColorGroup shown = r.enabled ? QPalette::Active : QPalette::Disabled;
    EXPECT_EQ(list->palette().color(shown, QPalette::ButtonText) == app->m_crValueText, r.enabled);
    app->ExitInstance();
  }
}

TEST_F(AppShell, WindowHasAnIconAndTheStripFollowsItsHeight) {
  auto app = MakeApp();
  ASSERT_TRUE(app->InitInstance());
  CTorvikTuneDlg* wnd = app->MainWindow();
  EXPECT_FALSE(wnd->windowIcon().isNull());
  for (int height : {480, 720}) {
    wnd->resize(800, height);
    QApplication::processEvents();
    EXPECT_EQ(wnd->VendorLink()->pixmap().height(), wnd->height());
  }
  app->ExitInstance();
}

TEST_F(AppShell, VendorStripOpensTheSiteThroughTheOpener) {
  std::vector<QUrl> opened;
  CHyperLink::SetUrlOpener([&](const QUrl& url) {
    opened.push_back(url);
    return true;
  });
  auto app = MakeApp();
  ASSERT_TRUE(app->InitInstance());
  CHyperLink* link = app->MainWindow()->VendorLink();
  QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(10, 10));
  CHyperLink::SetUrlOpener({});
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl(QString::fromLatin1(CTorvikTuneDlg::kVendorUrl)));
  EXPECT_EQ(opened[0].scheme(), "https");
}

TEST(AppMemory, InstalledMegabytesRoundUpToEven) {
  constexpr uint64_t MB = 1024 * 1024;
  const struct {
    uint64_t bytes;
    int mb;
  } cases[] = {
      {2048 * MB, 2048},           // exact and even
      {2047 * MB, 2048},           // odd goes up by one
      {2047 * MB + MB / 2, 2048},  // 2047.5 + 0.95 truncates to 2048
      {4095 * MB + MB / 5, 4096},  // 4095.2 -> 4096.15 -> 4096
      {1023 * MB + MB / 25, 1024}, // 1023.04 -> 1023.99 -> 1023, odd -> 1024
      {6144 * MB - MB / 10, 6144}, // 6143.9 -> 6144.85 -> 6144
      {6142 * MB + MB / 50, 6142}, // 6142.02 -> 6142.97 -> 6142
      {0, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(CTorvikTuneApp::MemoryMBFromBytes(c.bytes), c.mb) << c.bytes;
}

}  // namespace
