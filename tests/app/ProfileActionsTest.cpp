// Profiles in the window on the emulated dual-processor board: after a
// profile is applied every page reloads and shows the restored clock and
// rails; another board's profile is applied only after the user says Yes;
// a refused profile warns, writes nothing and reloads nothing.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <filesystem>
#include <fstream>
#include <map>

#include "AppTestSupport.h"
#include "app/AppMessages.h"
#include "app/CHotKeyState.h"
#include "app/CHotKeys.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/CTorvikTuneDlg.h"
#include "app/ProfileActions.h"
#include "app/pages/CTunePage.h"
#include "app/pages/CTweakingDlg.h"
#include "emu/chips/DumpTargets.h"
#include "emu/chips/Vt1186m.h"
#include "platform/ConfigFiles.h"
#include "platform/NamedMutex.h"
#include "platform/Utf16Text.h"
#include "sdk/clock/CPLL.h"
#include "sdk/clock/CPLLInterface.h"
#include "sdk/voltage/CBoardControl.h"

namespace {

// Counts the settings reloads each page receives.
class ReloadCounter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == CAppMessageEvent::TypeId() && static_cast<CAppMessageEvent*>(e)->Message() == WM_RELOAD_SETTINGS)
      ++reloads[watched];
    return false;
  }
  std::map<QObject*, int> reloads;
};

class ProfileWindow : public ::testing::Test {
 protected:
  void Start() {
    char pattern[] = "/tmp/torvik-app-profiles-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    config_ = pattern;
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    apptest::EnsureQApplication();
    machine_ = apptest::SelectEmulatedBoard("brenmor-5520dp");
    ASSERT_TRUE(machine_);
    CTorvikTuneApp::Hooks hooks;
    hooks.warningBox = [this](const QString& text, const QString&) { warnings_.push_back(text.toStdString()); };
    hooks.confirmBox = [this](const QString& text, const QString&) {
      questions_.push_back(text.toStdString());
      return answer_;
    };
    app_ = std::make_unique<CTorvikTuneApp>(hooks);
    ASSERT_TRUE(app_->InitInstance());
    ASSERT_TRUE(apptest::WaitForMemoryModules(*app_));
    app_->StartPolling(false);
    CMyTabCtl* tabs = app_->MainWindow()->TabControl();
    for (int i = 0; i < tabs->PageCount(); ++i) tabs->Page(i)->installEventFilter(&counter_);
  }
  void TearDown() override {
    app_.reset();
    unsetenv("XDG_CONFIG_HOME");
    if (!config_.empty()) std::filesystem::remove_all(config_);
  }
  uint8_t Vcore(int processor) {
    auto chip = emu::FindDumpTarget(*machine_, "vt1186m@" + std::to_string(processor) + ":0x70");
    return std::static_pointer_cast<emu::Vt1186m>(chip)->Get(emu::Vt1186m::kOutput);
  }
  void SetVcore(int processor, int below) {
    ASSERT_TRUE(app_->LockHardware(plat::kInfinite));
    CBoardControl* control = CBoardControl::Of(*app_->m_pSDK);
    control->SelectProcessorRails(processor);
    control->Refresh();
    std::string why;
    EXPECT_TRUE(control->WriteRow(1, 0, below, kSettingBelowBase, &why)) << why;
    app_->UnlockHardware();
  }
  void WriteProfile(int n, const std::vector<std::string>& lines) {
    std::string error;
    ASSERT_TRUE(plat::MakeDirectories(ProfileDirectory(), &error)) << error;
    std::ofstream(ProfilePath(n), std::ios::binary) << plat::EncodeUtf16Lines(lines);
  }
  // Pages that got exactly one reload.
  int PagesReloadedOnce() {
    int n = 0;
    CMyTabCtl* tabs = app_->MainWindow()->TabControl();
    for (int i = 0; i < tabs->PageCount(); ++i) n += counter_.reloads[tabs->Page(i)] == 1;
    return n;
  }
  int Reloads() {
    int n = 0;
    for (auto& [page, count] : counter_.reloads) n += count;
    return n;
  }

  std::string config_;
  std::shared_ptr<emu::EmulatedMachine> machine_;
  std::unique_ptr<CTorvikTuneApp> app_;
  ReloadCounter counter_;
  std::vector<std::string> warnings_, questions_;
  bool answer_ = false;
};

TEST_F(ProfileWindow, ApplyingRestoresTheHardwareAndEveryPageReloads) {
  Start();
  const ProfileOutcome saved = SaveCurrentProfile(1);
  ASSERT_TRUE(saved.Ok()) << saved.message;
  const double bclk = machine_->BclkMHz();
  ASSERT_TRUE(app_->SetGeneratorFrequency(FindPLL(PLL_KIND_CPU), 140, 10));
  SetVcore(0, 40);
  SetVcore(1, 50);
  ASSERT_EQ(Vcore(0), 40);
  counter_.reloads.clear();

  const ProfileOutcome o = LoadAndApplyProfile(1);
  ASSERT_TRUE(o.Ok()) << o.message;
  EXPECT_NEAR(machine_->BclkMHz(), bclk, 1e-3);
  EXPECT_EQ(Vcore(0), 66);
  EXPECT_EQ(Vcore(1), 66);
  CMyTabCtl* tabs = app_->MainWindow()->TabControl();
  EXPECT_EQ(PagesReloadedOnce(), tabs->PageCount());
  EXPECT_EQ(tabs->PageCount(), CMyTabCtl::kPageCount);
  // The Overclocking and Voltages pages show the applied values at once.
  auto* slider = tabs->Page(3)->findChild<QSlider*>(QStringLiteral("1001"));
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->value(), 133);
  auto* voltages = qobject_cast<CTweakingDlg*>(tabs->Page(4));
  ASSERT_NE(voltages, nullptr);
  EXPECT_EQ(voltages->Slot(0).label->text(), "CPU0 VCORE");
  EXPECT_EQ(voltages->Slot(0).list->currentText(), "1.20000 V");
  EXPECT_TRUE(warnings_.empty());
  EXPECT_TRUE(questions_.empty());
}

// The hot key path: left Alt, then '1', as key events from the global key
// source; the work is queued to the window's thread and runs on its next
// event round.
TEST_F(ProfileWindow, AltOneRestoresTheSavedClockAndRails) {
  Start();
  ASSERT_TRUE(SaveCurrentProfile(1).Ok());
  const double bclk = machine_->BclkMHz();
  ASSERT_TRUE(app_->SetGeneratorFrequency(FindPLL(PLL_KIND_CPU), 140, 10));
  SetVcore(0, 40);
  ASSERT_NEAR(machine_->BclkMHz(), 140, 0.5);

  CHotKeys* keys = app_->MainWindow()->HotKeys();
  ASSERT_NE(keys, nullptr);
  keys->OnKeyEvent(CHotKeyState::VK_LMENU, true);
  keys->OnKeyEvent(CHotKeyState::VK_LMENU, false);
  keys->OnKeyEvent('1', true);
  keys->OnKeyEvent('1', true, true);  // auto-repeat: no second apply
  keys->OnKeyEvent('1', false);
  EXPECT_NEAR(machine_->BclkMHz(), 140, 0.5) << "nothing runs on the key-event path";
  QCoreApplication::processEvents();
  EXPECT_NEAR(machine_->BclkMHz(), bclk, 1e-3);
  EXPECT_EQ(Vcore(0), 66);
  EXPECT_EQ(PagesReloadedOnce(), CMyTabCtl::kPageCount);
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(ProfileWindow, AnotherBoardsProfileWaitsForTheUsersYes) {
  Start();
  WriteProfile(2, {"[Brenmor Torvik Tuning Utility]", "Version=1072", "BOARD_ID=0x031CC94C", "VCO_0=140.000000"});
  const double bclk = machine_->BclkMHz();
  answer_ = false;
  EXPECT_EQ(LoadAndApplyProfile(2).status, ProfileOutcome::Status::OtherBoard);
  EXPECT_EQ(questions_.size(), 1u);
  EXPECT_NEAR(machine_->BclkMHz(), bclk, 1e-3);
  EXPECT_EQ(Reloads(), 0);
  answer_ = true;
  EXPECT_TRUE(LoadAndApplyProfile(2).Ok());
  EXPECT_EQ(questions_.size(), 2u);
  EXPECT_NEAR(machine_->BclkMHz(), 140, 0.5);
  EXPECT_EQ(PagesReloadedOnce(), CMyTabCtl::kPageCount);
}

TEST_F(ProfileWindow, RefusedOrMissingProfilesWriteAndReloadNothing) {
  Start();
  WriteProfile(3, {"[Brenmor Torvik Tuning Utility]", "Version=1072", "VCO_0=140.000000", "VOLTAGE_10=999"});
  const double bclk = machine_->BclkMHz();
  EXPECT_EQ(LoadAndApplyProfile(3).status, ProfileOutcome::Status::Refused);
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_NE(warnings_[0].find("VOLTAGE_10"), std::string::npos) << warnings_[0];
  // A profile never saved is passed over without a box.
  EXPECT_EQ(LoadAndApplyProfile(4).status, ProfileOutcome::Status::Missing);
  EXPECT_EQ(warnings_.size(), 1u);
  EXPECT_NEAR(machine_->BclkMHz(), bclk, 1e-3);
  EXPECT_EQ(Vcore(0), 66);
  EXPECT_EQ(Reloads(), 0);
}

}  // namespace
