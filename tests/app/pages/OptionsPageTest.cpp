// The Options page on the emulated boards: the Misc boxes (disabled on the
// six boards), the Zundo feed and polling switches, the profile save with
// its warning, the validation file saved by the button and after an apply
// with the Brink O/C box, the links, and the picture of the page.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <filesystem>

#include "AppTestSupport.h"
#include "app/CHyperLink.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/CTorvikTuneDlg.h"
#include "app/pages/COptionDlg.h"
#include "app/pages/CPLLDlg.h"
#include "emu/chips/DumpTargets.h"
#include "emu/smbus/ZundoSlave.h"
#include "poll/ValidationFile.h"

namespace {

class OptionsPage : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/torvik-options-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    COptionDlg::Hooks hooks;
    hooks.chooseSaveFile = [this](QWidget*, const QString& proposed) {
      proposed_ = proposed;
      return chosen_;
    };
    hooks.confirm = [this](QWidget*, const QString& text, const QString& caption) {
      asked_.push_back((caption + ": " + text).toStdString());
      return confirm_;
    };
    hooks.saveProfile = [this](int number, QString* error) {
      saved_.push_back(number);
      *error = QStringLiteral("disk full");
      return saveResult_;
    };
    hooks.hotKeyStatus = [] { return QStringLiteral("Global hot keys: off (no key source)"); };
    COptionDlg::SetHooks(hooks);
    CHyperLink::SetUrlOpener([this](const QUrl& url) {
      opened_.push_back(url.toString().toStdString());
      return true;
    });
  }
  void TearDown() override {
    app_.reset();
    COptionDlg::SetHooks({});
    CHyperLink::SetUrlOpener({});
    unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(dir_);
  }
  void Start(const std::string& board) {
    apptest::EnsureQApplication();
    machine_ = apptest::SelectEmulatedBoard(board);
    ASSERT_TRUE(machine_);
    CTorvikTuneApp::Hooks hooks;
    hooks.warningBox = [this](const QString& text, const QString&) { warnings_.push_back(text.toStdString()); };
    app_ = std::make_unique<CTorvikTuneApp>(hooks);
    ASSERT_TRUE(app_->InitInstance());
    app_->StartPolling(false);
    page_ = qobject_cast<COptionDlg*>(app_->MainWindow()->TabControl()->Page(7));
    ASSERT_NE(page_, nullptr);
  }
  template <typename T = QWidget>
  T* Control(int id) {
    T* w = page_->findChild<T*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
  }
  std::shared_ptr<emu::ZundoSlave> Zundo() {
    return std::static_pointer_cast<emu::ZundoSlave>(emu::FindDumpTarget(*machine_, "zundo@0x5c"));
  }

  std::string dir_;
  QString chosen_, proposed_;
  bool confirm_ = true, saveResult_ = true;
  std::vector<std::string> asked_, warnings_, opened_;
  std::vector<int> saved_;
  std::shared_ptr<emu::EmulatedMachine> machine_;
  std::unique_ptr<CTorvikTuneApp> app_;
  COptionDlg* page_ = nullptr;
};

TEST(OptionsMisc, TheSixBoardsAreTheOnesWithoutTheMiscBoxes) {
  for (int32_t id : {0x31CC930, 0x31CC938, 0x31CC93C, 0x31CC944, 0x31CC94C, 0x31CC954})
    EXPECT_TRUE(COptionDlg::MiscDisabledOn(id)) << std::hex << id;
  for (int32_t id : {0x31CC934, 0x27F0AF90, 0x4FC5613E, -1}) EXPECT_FALSE(COptionDlg::MiscDisabledOn(id)) << id;
}

TEST_F(OptionsPage, MiscBoxesFollowTheBoard) {
  struct Case {
    const char* board;
    bool enabled;
  } cases[] = {{"brenmor-p67", false}, {"brenmor-z68", false}, {"brenmor-z77", false},
               {"brenmor-x58", true},  {"brenmor-p55", true},  {"brenmor-5520dp", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.board);
    Start(c.board);
    EXPECT_EQ(Control<QCheckBox>(1052)->isEnabled(), c.enabled);
    EXPECT_EQ(Control<QCheckBox>(1059)->isEnabled(), c.enabled);
    EXPECT_FALSE(Control<QCheckBox>(1052)->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(1059)->isChecked());
    // Polling runs and the feed stays off either way.
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(app_->PollHardware(1000));
    EXPECT_EQ(Zundo()->ValueSets(), 0);
    app_.reset();
  }
}

TEST_F(OptionsPage, TheZundoBoxFeedsEveryThirdCycleAndStopPollingStopsTheThread) {
  Start("brenmor-x58");
  Control<QCheckBox>(1059)->click();
  EXPECT_EQ(app_->m_bZundoPolling, 1);
  const int first = app_->Poll()->CycleCount();
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(app_->PollHardware(1000));
  int expected = 0;
  for (int c = first; c < first + 6; ++c) expected += c % 3 == 0;
  EXPECT_EQ(Zundo()->ValueSets(), expected);
  Control<QCheckBox>(1059)->click();
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(app_->PollHardware(1000));
  EXPECT_EQ(Zundo()->ValueSets(), expected);

  app_->StartPolling(true);
  ASSERT_TRUE(app_->PollingRunning());
  Control<QCheckBox>(1052)->click();
  EXPECT_FALSE(app_->PollingRunning());
  Control<QCheckBox>(1052)->click();
  EXPECT_TRUE(app_->PollingRunning());
  app_->StartPolling(false);
}

TEST_F(OptionsPage, SavingAProfileAsksFirstAndSaysWhenItFailed) {
  Start("brenmor-x58");
  auto* list = Control<QComboBox>(1051);
  ASSERT_EQ(list->count(), 8);
  EXPECT_EQ(list->itemText(0), "Profile 01 (ALT+1)");
  EXPECT_EQ(list->itemText(7), "Profile 08 (ALT+8)");
  EXPECT_EQ(list->currentIndex(), 0);
  list->setCurrentIndex(2);

  confirm_ = false;
  Control<QPushButton>(1020)->click();
  ASSERT_EQ(asked_.size(), 1u);
  EXPECT_EQ(asked_[0], std::string("Warning: ") + COptionDlg::kProfileWarning);
  EXPECT_TRUE(saved_.empty()) << "Cancel saves nothing";

  confirm_ = true;
  Control<QPushButton>(1020)->click();
  EXPECT_EQ(saved_, std::vector<int>{3});
  EXPECT_TRUE(warnings_.empty());
  saveResult_ = false;
  Control<QPushButton>(1020)->click();
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_EQ(warnings_[0], "disk full");
}

TEST_F(OptionsPage, SaveProfileWritesTheChosenProfileFile) {
  COptionDlg::Hooks hooks;
  hooks.confirm = [](QWidget*, const QString&, const QString&) { return true; };
  COptionDlg::SetHooks(hooks);  // the real save
  Start("brenmor-p55");
  Control<QComboBox>(1051)->setCurrentIndex(1);
  Control<QPushButton>(1020)->click();
  EXPECT_TRUE(warnings_.empty()) << warnings_[0];
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/torvik/profiles/profile_02.txt"));
}

TEST_F(OptionsPage, TheHotKeyLineSaysWhyGlobalKeysAreOffWithoutAKeySource) {
  COptionDlg::SetHooks({});
  Start("brenmor-x58");
  CTorvikTuneDlg* wnd = app_->MainWindow();
  wnd->TabControl()->setCurrentIndex(7);
  wnd->show();
  QApplication::processEvents();
  auto* line = page_->findChild<QLabel*>("hotKeyStatus");
  ASSERT_NE(line, nullptr);
  EXPECT_TRUE(line->text().startsWith("Hot keys off")) << line->text().toStdString();
  wnd->hide();
}

TEST_F(OptionsPage, TheValidationButtonWritesTheLatestRecordWhereTheUserChose) {
  Start("brenmor-p55");
  ASSERT_TRUE(app_->PollHardware(1000));
  chosen_.clear();
  Control<QPushButton>(1013)->click();  // cancelled
  EXPECT_TRUE(proposed_.startsWith("tvk_")) << proposed_.toStdString();
  EXPECT_TRUE(proposed_.endsWith(".vdf"));
  EXPECT_NE(proposed_, "tvk_0.vdf") << "the measured clock";
  EXPECT_TRUE(std::filesystem::is_empty(dir_));

  chosen_ = QString::fromStdString(dir_ + "/mine.vdf");
  Control<QPushButton>(1013)->click();
  std::string record, error;
  ASSERT_TRUE(ReadValidationFile(dir_ + "/mine.vdf", &record, &error)) << error;
  EXPECT_NE(record.find("Brenmor Torvik P55"), std::string::npos) << record;
  EXPECT_NE(record.find(",9.02,"), std::string::npos) << record;

  chosen_ = QString::fromStdString(dir_ + "/no/such/folder.vdf");
  Control<QPushButton>(1013)->click();
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_NE(warnings_[0].find("not saved"), std::string::npos);
}

TEST_F(OptionsPage, EveryApplyWithBrinkOcWritesAFileInTheMinutesFolder) {
  Start("brenmor-p55");
  auto* pll = qobject_cast<CPLLDlg*>(app_->MainWindow()->TabControl()->Page(3));
  ASSERT_NE(pll, nullptr);
  pll->findChild<QCheckBox*>("1040")->setChecked(true);
  pll->Apply();
  pll->Apply();
  EXPECT_TRUE(warnings_.empty());
  const std::filesystem::path base = dir_ + "/torvik/vdf";
  int folders = 0, files = 0;
  for (const auto& folder : std::filesystem::directory_iterator(base)) {
    ++folders;
    EXPECT_EQ(folder.path().filename().string().front(), '[');
    for (const auto& f : std::filesystem::directory_iterator(folder)) {
      ++files;
      std::string record, error;
      EXPECT_TRUE(ReadValidationFile(f.path().string(), &record, &error)) << error;
      EXPECT_EQ(f.path().filename().string().rfind("tvk_", 0), 0u);
    }
  }
  // Two applies within a minute share the folder and the file of their
  // clock (a minute boundary between them makes two).
  EXPECT_GE(folders, 1);
  EXPECT_LE(folders, 2);
  EXPECT_EQ(files, folders);
}

TEST_F(OptionsPage, LinksOpenTheirAddressesAndThePageIsDrawn) {
  Start("brenmor-x58");
  for (int id : {1041, 1044, 1042, 1043}) ASSERT_TRUE(Control<CHyperLink>(id)->Open());
  EXPECT_EQ(opened_, (std::vector<std::string>{COptionDlg::kValidationUrl, COptionDlg::kProductUrl,
                                               COptionDlg::kVendorUrl, COptionDlg::kSdkMakerUrl}));
  auto* hotKeys = page_->findChild<QLabel*>("hotKeyStatus");
  ASSERT_NE(hotKeys, nullptr);
  EXPECT_EQ(hotKeys->text(), "Global hot keys: off (no key source)");

  CTorvikTuneDlg* wnd = app_->MainWindow();
  wnd->TabControl()->setCurrentIndex(7);
  wnd->resize(wnd->sizeHint().expandedTo(QSize(760, 560)));
  QApplication::processEvents();
  const QString path = QStringLiteral(TORVIK_APP_TEST_OUTPUT_DIR) + "/torviktune-options.png";
  ASSERT_TRUE(wnd->grab().save(path));
  // The page is drawn, not blank: the vendor picture's red is in it.
  QImage image(path);
  ASSERT_FALSE(image.isNull());
  const QPoint at = Control<CHyperLink>(1042)->mapTo(wnd, QPoint(24, 24));
  const QColor c = image.pixelColor(at * image.devicePixelRatio());
  EXPECT_GT(c.red(), c.blue()) << c.name().toStdString();
}

}  // namespace
