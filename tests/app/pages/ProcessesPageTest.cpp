// The Processes page and the rule hot keys on an emulated board: the
// processor boxes, the process list, "Set" with and without a hot key, the
// rules it saves, Ctrl + letter pinning a process from the event loop, and
// the picture of the page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "AppTestSupport.h"
#include "app/CHotKeys.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/CTorvikTuneDlg.h"
#include "app/pages/CProcessDlg.h"
#include "platform/ProcessList.h"
#include "platform/ConfigFiles.h"
#include "platform/Utf16Text.h"
#include "tests/support/SleeperChild.h"

namespace {

namespace fs = std::filesystem;
using testsupport::SleeperChild;

constexpr const char* kSleeper = "torvik_threaded_sleeper";
constexpr const char* kOther = "torvik_other_sleeper";
constexpr int kProcessesPage = 6;

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

class ProcessesPage : public ::testing::Test {
 protected:
  void SetUp() override {
    char t[] = "/tmp/torvik-procpage-XXXXXX";
    dir_ = mkdtemp(t);
    const char* old = std::getenv("XDG_CONFIG_HOME");
    hadXdg_ = old != nullptr;
    if (old) oldXdg_ = old;
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    rulesPath_ = dir_ + "/torvik/processes.txt";
    // The same program under a second name.
    other_ = dir_ + "/" + kOther;
    fs::copy_file(TORVIK_SLEEPER, other_);
    fs::permissions(other_, fs::perms::owner_all);
  }
  void TearDown() override {
    app_.reset();
    hadXdg_ ? setenv("XDG_CONFIG_HOME", oldXdg_.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(dir_);
  }
  void Start(const std::string& board = "brenmor-p55") {
    apptest::EnsureQApplication();
    machine_ = apptest::SelectEmulatedBoard(board);
    ASSERT_TRUE(machine_);
    CTorvikTuneApp::Hooks hooks;
    hooks.warningBox = [this](const QString& text, const QString&) { warnings_.push_back(text.toStdString()); };
    app_ = std::make_unique<CTorvikTuneApp>(hooks);
    ASSERT_TRUE(app_->InitInstance());
    app_->StartPolling(false);
    page_ = qobject_cast<CProcessDlg*>(app_->MainWindow()->TabControl()->Page(kProcessesPage));
    ASSERT_NE(page_, nullptr);
  }
  void WriteRules(const std::vector<std::string>& lines) {
    std::string error;
    ASSERT_TRUE(plat::SaveConfigFile(rulesPath_, plat::EncodeUtf16Lines(lines), &error)) << error;
  }

  template <typename T = QWidget>
  T* Control(int id) {
    T* w = page_->findChild<T*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
  }
  QCheckBox* Box(int i) { return Control<QCheckBox>(CProcessDlg::kFirstBoxId + i); }
  // The processor boxes as a mask.
  uint32_t Checked() {
    uint32_t m = 0;
    for (int i = 0; i < CProcessDlg::kProcessorBoxes; ++i) m |= Box(i)->isChecked() ? 1u << i : 0;
    return m;
  }
  void CheckOnly(uint32_t mask) {
    for (int i = 0; i < CProcessDlg::kProcessorBoxes; ++i) Box(i)->setChecked(mask >> i & 1);
  }
  // Entry of `pid` in the process list, or -1.
  int EntryOf(int pid) {
    const auto& pids = page_->Pids();
    auto it = std::find(pids.begin(), pids.end(), pid);
    return it == pids.end() ? -1 : static_cast<int>(it - pids.begin()) + 1;
  }
  void Choose(int listId, int entry) {
    auto* combo = Control<QComboBox>(listId);
    combo->setCurrentIndex(entry);
    emit combo->activated(entry);
  }
  uint64_t AffinityOf(int pid) {
    uint64_t mask = 0, system = 0;
    EXPECT_TRUE(machine_->GetProcessAffinity(pid, &mask, &system));
    return mask;
  }

  std::string dir_, oldXdg_, rulesPath_, other_;
  bool hadXdg_ = false;
  std::shared_ptr<emu::EmulatedMachine> machine_;
  std::unique_ptr<CTorvikTuneApp> app_;
  CProcessDlg* page_ = nullptr;
  std::vector<std::string> warnings_;
};

TEST_F(ProcessesPage, BoxesOfTheProcessorsThisProgramMayUse) {
  const std::pair<const char*, uint64_t> boards[] = {{"brenmor-p55", 0xFF}, {"brenmor-5520dp", 0xFFFFFF}};
  for (const auto& [board, enabled] : boards) {
    Start(board);
    EXPECT_EQ(page_->EnabledMask(), enabled) << board;
    for (int i = 0; i < CProcessDlg::kProcessorBoxes; ++i) {
      EXPECT_EQ(Box(i)->isEnabled(), (enabled >> i & 1) != 0) << board << " UC" << i;
      EXPECT_EQ(Box(i)->text(), QStringLiteral("UC%1").arg(i));
    }
    app_.reset();
  }
}

TEST_F(ProcessesPage, SetPinsTheProcessAndKeepsTheRuleOfItsHotKey) {
  SleeperChild first(TORVIK_SLEEPER, 2);
  SleeperChild second(other_, 1);
  ASSERT_TRUE(first.Ready() && second.Ready());
  Start();
  auto* processes = Control<QComboBox>(CProcessDlg::kProcessListId);
  EXPECT_EQ(processes->itemText(0), "<Select process>");
  EXPECT_EQ(Control<QComboBox>(CProcessDlg::kShortcutListId)->itemText(3), "CTRL + c");
  const int a = EntryOf(first.Pid()), b = EntryOf(second.Pid());
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  EXPECT_EQ(processes->itemText(a), kSleeper);
  EXPECT_EQ(processes->itemText(b), kOther);
  EXPECT_EQ(EntryOf(getpid()), -1) << "the program itself is never listed";
  for (int k = 1; k < processes->count(); ++k)
    EXPECT_NE(processes->itemText(k).toStdString(), plat::OwnExecutableName());

  // Selecting shows the process's mask; "Set" with no box pins it to
  // processor 0 and, without a hot key, keeps no rule.
  Choose(CProcessDlg::kProcessListId, a);
  EXPECT_EQ(Checked(), 0xFFu);
  CheckOnly(0);
  Control<QPushButton>(CProcessDlg::kSetId)->click();
  EXPECT_EQ(AffinityOf(first.Pid()), 1u);
  EXPECT_EQ(Checked(), 1u) << "the boxes show the mask the process has now";
  EXPECT_TRUE(app_->m_processActions.Rules().empty());
  EXPECT_FALSE(fs::exists(rulesPath_));

  // CTRL + c and "Set": the rule with shortcut index 2, saved at once. (A
  // hot key without a rule resets the process entry, so it comes first.)
  Choose(CProcessDlg::kShortcutListId, 3);
  EXPECT_EQ(processes->currentIndex(), 0);
  Choose(CProcessDlg::kProcessListId, a);
  CheckOnly(0xC);
  Control<QPushButton>(CProcessDlg::kSetId)->click();
  EXPECT_EQ(AffinityOf(first.Pid()), 0xCu);
  ASSERT_EQ(app_->m_processActions.Rules().size(), 1u);
  const CProcessAction& rule = app_->m_processActions.Rules()[0];
  EXPECT_EQ(rule.m_nShortcut, 2);
  EXPECT_EQ(rule.m_nMask, 0xCu);
  EXPECT_EQ(rule.m_name, kSleeper);
  EXPECT_EQ(ReadAll(rulesPath_), app_->m_processActions.FileBytes());

  // CTRL + c again for another process overwrites that rule.
  Choose(CProcessDlg::kShortcutListId, 3);
  EXPECT_EQ(processes->currentIndex(), a) << "the rule's process";
  Choose(CProcessDlg::kProcessListId, b);
  CheckOnly(0x20);
  Control<QPushButton>(CProcessDlg::kSetId)->click();
  ASSERT_EQ(app_->m_processActions.Rules().size(), 1u);
  EXPECT_EQ(app_->m_processActions.Rules()[0].m_nMask, 0x20u);
  EXPECT_EQ(app_->m_processActions.Rules()[0].m_name, kOther);
  EXPECT_EQ(AffinityOf(first.Pid()), 0xCu) << "the first process keeps its mask";

  // Choosing a hot key shows its rule: the process entry and its boxes,
  // added to those already checked; a hot key without a rule clears both.
  Choose(CProcessDlg::kProcessListId, 0);
  CheckOnly(0x1);
  Choose(CProcessDlg::kShortcutListId, 3);
  EXPECT_EQ(processes->currentIndex(), b);
  EXPECT_EQ(Checked(), 0x21u);
  Choose(CProcessDlg::kShortcutListId, 5);
  EXPECT_EQ(processes->currentIndex(), 0);
  EXPECT_EQ(Checked(), 0u);
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(ProcessesPage, AProcessThatEndedGivesAMessageAndNoRule) {
  auto child = std::make_unique<SleeperChild>(TORVIK_SLEEPER, 1);
  ASSERT_TRUE(child->Ready());
  const int pid = child->Pid();
  Start();
  const int e = EntryOf(pid);
  ASSERT_GT(e, 0);
  Choose(CProcessDlg::kShortcutListId, 1);
  Choose(CProcessDlg::kProcessListId, e);
  child.reset();  // ends and is reaped
  Control<QPushButton>(CProcessDlg::kSetId)->click();
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_EQ(warnings_[0], "process " + std::to_string(pid) + " (" + kSleeper + ") is gone");
  EXPECT_TRUE(app_->m_processActions.Rules().empty());
  EXPECT_FALSE(fs::exists(rulesPath_));

  Control<QPushButton>(CProcessDlg::kRefreshId)->click();
  EXPECT_EQ(EntryOf(pid), -1);
}

TEST_F(ProcessesPage, CtrlLetterPinsTheRulesProcessFromTheEventLoop) {
  SleeperChild child(TORVIK_SLEEPER, 2);
  ASSERT_TRUE(child.Ready());
  WriteRules({CProcessRules::kHeader, "PA=1 6 \"torvik_threaded_sleeper\"", "PA=3 1 \"not-running\""});
  Start();
  ASSERT_EQ(app_->m_processActions.Rules().size(), 2u) << "read when the page is created";
  CHotKeys* keys = app_->MainWindow()->HotKeys();
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(HotKeysStatus(), "Hot keys off: no display");
  std::vector<int> profiles;
  keys->SetProfileHandler([&](int n) { profiles.push_back(n); });

  // The key source's thread delivers the events; nothing is done there.
  std::thread source([keys] {
    const int ctrl = CHotKeyState::VK_LCONTROL, alt = CHotKeyState::VK_LMENU;
    for (auto [vk, press] : std::initializer_list<std::pair<int, bool>>{
             {ctrl, true}, {ctrl, false}, {'B', true}, {'B', true}, {'B', false},  // rule b, once
             {alt, true}, {'3', true}, {'3', true}, {'3', false}, {alt, false},    // profile 3, once
             {ctrl, true}, {'D', true}, {'D', false}})                              // rule d: not running
      keys->OnKeyEvent(vk, press);
  });
  source.join();
  EXPECT_EQ(AffinityOf(child.Pid()), 0xFFu) << "queued, not done on the key path";
  EXPECT_TRUE(profiles.empty());

  QApplication::processEvents();
  EXPECT_EQ(AffinityOf(child.Pid()), 6u);
  EXPECT_EQ(profiles, std::vector<int>{3});
  EXPECT_EQ(keys->LastRuleResult().toStdString(), "no process named 'not-running' is running");
  EXPECT_EQ(keys->State(), CHotKeyState::STATE_PROCESS);
  EXPECT_TRUE(warnings_.empty()) << "hot keys show nothing";
}

TEST_F(ProcessesPage, GrabbedPicture) {
  SleeperChild child(TORVIK_SLEEPER, 1);
  ASSERT_TRUE(child.Ready());
  Start();
  Choose(CProcessDlg::kProcessListId, EntryOf(child.Pid()));
  CTorvikTuneDlg* wnd = app_->MainWindow();
  wnd->TabControl()->setCurrentIndex(kProcessesPage);
  wnd->resize(wnd->sizeHint().expandedTo(QSize(760, 560)));
  QApplication::processEvents();
  const QString path = QStringLiteral(TORVIK_APP_TEST_OUTPUT_DIR) + "/torviktune-processes.png";
  const QPixmap shot = wnd->grab();
  ASSERT_TRUE(shot.save(path));
  // The page is drawn: its boxes have their size and the picture is not one
  // flat colour.
  EXPECT_GT(Box(0)->width(), 20);
  const QImage img = shot.toImage();
  std::set<QRgb> colours;
  for (int y = 0; y < img.height(); y += 7)
    for (int x = 0; x < img.width(); x += 7) colours.insert(img.pixel(x, y));
  EXPECT_GT(colours.size(), 10u);
}

}  // namespace
