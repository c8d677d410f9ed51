// The CPU and Memory pages on emulated boards of several generations: every
// field the board can fill is filled, the selected processor of the
// dual-processor board shows its own core voltage, and the pictures of both
// pages carry the values where their controls are.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/ValidationSave.h"
#include "app/CTorvikTuneDlg.h"
#include "app/pages/CMemoryDlg.h"
#include "app/pages/CSysinfoDlg.h"
#include "emu/chips/DumpTargets.h"
#include "emu/chips/Vt1186m.h"

namespace {

class ProcessorMemoryPages : public ::testing::Test {
 protected:
  void Start(const std::string& board) {
    apptest::EnsureQApplication();
    machine_ = apptest::SelectEmulatedBoard(board);
    ASSERT_TRUE(machine_);
    CTorvikTuneApp::Hooks hooks;
    hooks.warningBox = [](const QString&, const QString&) {};
    app_ = std::make_unique<CTorvikTuneApp>(hooks);
    ASSERT_TRUE(app_->InitInstance());
    app_->StartPolling(false);
    ASSERT_TRUE(apptest::WaitForMemoryModules(*app_));
    cpuPage_ = qobject_cast<CSysinfoDlg*>(app_->MainWindow()->TabControl()->Page(0));
    memoryPage_ = qobject_cast<CMemoryDlg*>(app_->MainWindow()->TabControl()->Page(1));
    ASSERT_NE(cpuPage_, nullptr);
    ASSERT_NE(memoryPage_, nullptr);
    machine_->Sleep(1000);
    ASSERT_TRUE(app_->PollHardware(CTorvikTuneApp::kPollSdkLockTimeoutMs));
    cpuPage_->OnTimer();
    memoryPage_->OnTimer();
  }
  void TearDown() override { app_.reset(); }

  static std::string Text(QWidget* page, int id) {
    auto* l = page->findChild<QLabel*>(QString::number(id));
    EXPECT_NE(l, nullptr) << id;
    return l ? l->text().toStdString() : std::string();
  }
  static bool Enabled(QWidget* page, int id) {
    auto* l = page->findChild<QLabel*>(QString::number(id));
    return l && l->isEnabled();
  }

  // Grabs tab `tab` to `name` and checks that value-coloured text is drawn
  // inside each control of `ids`.
  void GrabAndCheck(int tab, QWidget* page, const QString& name, const std::vector<int>& ids) {
    CTorvikTuneDlg* wnd = app_->MainWindow();
    wnd->TabControl()->setCurrentIndex(tab);
    wnd->resize(wnd->sizeHint().expandedTo(QSize(760, 560)));
    QApplication::processEvents();
    const QString path = QStringLiteral(TORVIK_APP_TEST_OUTPUT_DIR) + "/" + name;
    ASSERT_TRUE(wnd->grab().save(path));
    const QImage shot(path);
    ASSERT_FALSE(shot.isNull());
    const qreal scale = shot.width() / static_cast<qreal>(wnd->width());
    const QColor ink = app_->m_crValueText;
    for (int id : ids) {
      auto* w = page->findChild<QLabel*>(QString::number(id));
      ASSERT_NE(w, nullptr) << id;
      ASSERT_TRUE(w->isVisible()) << id;
      const QRect r(w->mapTo(wnd, QPoint(0, 0)) * scale, w->size() * scale);
      int n = 0;
      for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
          if (!shot.rect().contains(x, y)) continue;
          const QColor c = shot.pixelColor(x, y);
          n += std::abs(c.red() - ink.red()) < 40 && std::abs(c.green() - ink.green()) < 40 &&
               std::abs(c.blue() - ink.blue()) < 40;
        }
      EXPECT_GT(n, 10) << name.toStdString() << ": no value drawn in control " << id << " ("
                       << w->text().toStdString() << ")";
    }
  }

  std::shared_ptr<emu::EmulatedMachine> machine_;
  std::unique_ptr<CTorvikTuneApp> app_;
  CSysinfoDlg* cpuPage_ = nullptr;
  CMemoryDlg* memoryPage_ = nullptr;
};

struct BoardCase {
  const char* board;
  const char* png;
  // Expected texts by control id on the CPU page and on the Memory page.
  std::vector<std::pair<int, std::string>> cpu, memory;
};

TEST_F(ProcessorMemoryPages, FilledOnEveryGeneration) {
  const std::vector<BoardCase> cases = {
      {"brenmor-p45", "p45",
       {{1071, "Intel Core i7 920"}, {1080, "Bloomfield"}, {1110, "45 nm"}, {1112, "x 22.0"}, {1113, "133.3 MHz"},
        {1118, "8 MBytes"}, {1119, "8"}},
       {{1232, " DDR2"}, {1068, "Dual"}, {1064, "400.0 MHz"}, {1067, "5.0 clocks"}, {1083, "2T"}}},
      {"brenmor-x58", "x58",
       {{1116, "4 x 256 KBytes"}, {1126, "8-way"}, {1108, "Socket 1366 LGA"}, {1134, "QPI Link"},
        {1117, "2400.0 MHz"}},
       {{1232, " DDR3"}, {1061, "6144 MBytes"}, {1067, "9.0 clocks"}}},
      {"brenmor-p67", "p67",
       {{1071, "Intel Core i7-2600K"}, {1080, "Sandy Bridge"}, {1110, "32 nm"}, {1112, "x 38.0"},
        {1113, "100.0 MHz"}, {1118, "8 MBytes"}},
       {{1232, " DDR3"}, {1068, "Single"}, {1064, "1333.4 MHz"}, {1083, "1T"}}},
      {"brenmor-z77", "z77", {{1065, "3800.0 MHz"}}, {{1068, "Dual"}, {1064, "1600.0 MHz"}, {1076, "28 clocks"}}},
      {"kestrel-am3", "am3",
       {{1071, "AMD Phenom II X4 955"}, {1085, "F"}, {1190, " MMX (+), 3DNow! (+), SSE, SSE2, SSE3, SSE4A, x86-64"},
        {1114, "4 x 64 KBytes"}, {1118, "6 MBytes"}, {1134, "HT Link"}, {1117, "2000.0 MHz"}},
       {{1061, "4096 MBytes"}, {1232, " DDR3"}, {1068, "Dual"}, {1065, "3:10"}, {1067, "9.0 clocks"},
        {1076, "24 clocks"}, {1079, "107 clocks"}, {1083, "1T"}}},
  };
  for (const BoardCase& c : cases) {
    SCOPED_TRACE(c.board);
    Start(c.board);
    for (const auto& [id, text] : c.cpu) {
      // A measured core clock, and the link clock on the measured bus clock,
      // move by a tenth with the virtual time the start-up's bus traffic
      // takes; the bus clock and the rest are exact.
      if (id == 1065 || id == 1117) {
        EXPECT_NEAR(std::stod(Text(cpuPage_, id)), std::stod(text), 0.5) << Text(cpuPage_, id);
      } else {
        EXPECT_EQ(Text(cpuPage_, id), text) << id;
      }
      // A label is enabled once its value is shown.
      if (id == 1110) {
        EXPECT_TRUE(Enabled(cpuPage_, 1132));
      }
    }
    for (const auto& [id, text] : c.memory) {
      // The DRAM clock stands on the measured bus clock as well.
      if (id == 1064) {
        EXPECT_NEAR(std::stod(Text(memoryPage_, id)), std::stod(text), 0.15) << Text(memoryPage_, id);
      } else {
        EXPECT_EQ(Text(memoryPage_, id), text) << id;
      }
    }
    EXPECT_EQ(cpuPage_->findChild<QGroupBox*>("1208")->title().toStdString(), "Clocks (Core #0)");
    EXPECT_FALSE(cpuPage_->Logo().isNull());
    EXPECT_FALSE(cpuPage_->Logo().mask().isNull()) << "the logo's background colour is transparent";

    // Name, specification, instructions, core speed, multiplier, bus
    // speed, L1 data, level 2, technology; size, type, DRAM frequency, CL,
    // tRCD, tRP.
    GrabAndCheck(0, cpuPage_, QStringLiteral("torviktune-cpu-%1.png").arg(c.png),
                 {1071, 1185, 1190, 1065, 1112, 1113, 1114, 1116, 1110});
    GrabAndCheck(1, memoryPage_, QStringLiteral("torviktune-memory-%1.png").arg(c.png),
                 {1061, 1232, 1064, 1067, 1070, 1073});
    // The modules found through their SPD EEPROMs, one line each; the
    // AM3 board carries none.
    auto* firstModule = memoryPage_->findChild<QLabel*>("module0_2");
    if (std::string(c.board) == "kestrel-am3") {
      EXPECT_EQ(firstModule, nullptr);
      EXPECT_NE(memoryPage_->findChild<QLabel*>("moduleNone"), nullptr);
    } else {
      ASSERT_NE(firstModule, nullptr);
      EXPECT_TRUE(firstModule->text().endsWith(" MBytes")) << firstModule->text().toStdString();
    }
    // Strings from the hardware are shown as they are, never read as markup.
    EXPECT_EQ(cpuPage_->findChild<QLabel*>("1185")->textFormat(), Qt::PlainText);
    if (firstModule) {
      EXPECT_EQ(firstModule->textFormat(), Qt::PlainText);
    }
    TearDown();
  }
}

// The processor page's timer keeps the validation record current: each tick
// rebuilds it from the values the page shows.
TEST_F(ProcessorMemoryPages, EachTimerTickRebuildsTheValidationRecord) {
  Start("brenmor-p55");
  const QString first = CurrentValidationRecord(*app_);
  ASSERT_FALSE(first.isEmpty());
  EXPECT_TRUE(first.contains("GTX 285")) << first.toStdString();
  app_->m_pValidationText.assign(app_->m_pValidationText.size(), 0);
  ASSERT_TRUE(CurrentValidationRecord(*app_).isEmpty());
  cpuPage_->OnTimer();
  EXPECT_EQ(CurrentValidationRecord(*app_).section(',', 1), first.section(',', 1)) << "all but the date";
}

TEST_F(ProcessorMemoryPages, DualProcessorBoardShowsTheSelectedProcessorsVoltage) {
  Start("brenmor-5520dp");
  // The second processor's regulator is moved to 1.250 V (code 58) the way
  // its controller takes a new code: target, unlock key, then the go bit.
  auto vr = std::static_pointer_cast<emu::Vt1186m>(emu::FindDumpTarget(*machine_, "vt1186m@1:0x70"));
  ASSERT_TRUE(vr);
  ASSERT_TRUE(vr->WriteByteData(emu::Vt1186m::kTarget, 58));
  ASSERT_TRUE(vr->WriteByteData(emu::Vt1186m::kKey, 0x55));
  ASSERT_TRUE(vr->WriteByteData(emu::Vt1186m::kControl, 0x10));
  machine_->Sleep(1000);
  ASSERT_TRUE(app_->PollHardware(CTorvikTuneApp::kPollSdkLockTimeoutMs));

  CTorvikTuneDlg* wnd = app_->MainWindow();
  ASSERT_GE(wnd->ProcessorList()->count(), 2);
  const double expected[2] = {1.200, 1.250};
  for (int p : {1, 0, 1}) {
    SCOPED_TRACE(p);
    wnd->ProcessorList()->setCurrentIndex(p);
    QApplication::processEvents();
    const std::string shown = Text(cpuPage_, 1122);
    EXPECT_NEAR(std::stod(shown), expected[p], 0.015) << shown;
    EXPECT_EQ(shown.substr(shown.size() - 2), " V");
    EXPECT_EQ(Text(cpuPage_, 1155), "Core Voltage");
    EXPECT_TRUE(Enabled(cpuPage_, 1155));
  }
  EXPECT_EQ(Text(cpuPage_, 1134), "QPI Link");
  EXPECT_EQ(Text(cpuPage_, 1118), "12 MBytes");
  EXPECT_EQ(Text(cpuPage_, 1120), "6");
  EXPECT_EQ(Text(cpuPage_, 1119), "12");
  EXPECT_EQ(Text(memoryPage_, 1068), "Triple");
  EXPECT_EQ(Text(memoryPage_, 1061), "12288 MBytes");
  GrabAndCheck(0, cpuPage_, QStringLiteral("torviktune-cpu-dp.png"), {1071, 1122, 1065, 1118});
  GrabAndCheck(1, memoryPage_, QStringLiteral("torviktune-memory-dp.png"), {1232, 1061, 1064, 1182});
}

}  // namespace
