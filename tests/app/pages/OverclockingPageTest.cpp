// The Overclocking page on the emulated boards: the clock sliders and
// values, an apply that moves the bus clock, the turbo ratio sliders of
// Nehalem and Sandy Bridge processors, and the picture of the page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "AppTestSupport.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/CTorvikTuneDlg.h"
#include "app/pages/CPLLDlg.h"
#include "emu/chips/IntegratedClock.h"

namespace {

class OverclockingPage : public ::testing::Test {
 protected:
  void Start(const std::string& board) {
    apptest::EnsureQApplication();
    machine_ = apptest::SelectEmulatedBoard(board);
    ASSERT_TRUE(machine_);
    CTorvikTuneApp::Hooks hooks;
    hooks.warningBox = [this](const QString& text, const QString&) { warnings_.push_back(text.toStdString()); };
    app_ = std::make_unique<CTorvikTuneApp>(hooks);
    ASSERT_TRUE(app_->InitInstance());
    app_->StartPolling(false);
    page_ = qobject_cast<CPLLDlg*>(app_->MainWindow()->TabControl()->Page(3));
    ASSERT_NE(page_, nullptr);
  }
  void TearDown() override { app_.reset(); }

  template <typename T = QWidget>
  T* Control(int id) {
    T* w = page_->findChild<T*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
  }
  std::string Text(int id) { return Control<QLabel>(id)->text().toStdString(); }
  uint64_t Msr(uint32_t reg) {
    uint64_t v = 0;
    EXPECT_TRUE(machine_->SetThreadAffinity(1));
    EXPECT_TRUE(machine_->MsrRead(reg, &v)) << reg;
    return v;
  }

  std::shared_ptr<emu::EmulatedMachine> machine_;
  std::unique_ptr<CTorvikTuneApp> app_;
  CPLLDlg* page_ = nullptr;
  std::vector<std::string> warnings_;
};

TEST_F(OverclockingPage, MovingBclkAndApplyingChangesTheBusClock) {
  Start("brenmor-p55");
  auto* bclk = Control<QSlider>(1001);
  ASSERT_TRUE(bclk->isEnabled());
  EXPECT_EQ(bclk->value(), 133);
  EXPECT_EQ(bclk->minimum(), 66);
  EXPECT_EQ(bclk->maximum(), 266);
  EXPECT_EQ(Text(1002), "133.3");
  EXPECT_EQ(Text(1007), "100.0");
  EXPECT_EQ(Text(1011), "33.3");
  // The memory controller runs DDR3-1333: QCLK ratio 10, DRAM clock 5 x BCLK.
  EXPECT_EQ(Text(1005), "666.7");
  EXPECT_EQ(Text(1006), "666.7");
  EXPECT_TRUE(Control<QSlider>(1024)->isEnabled());

  bclk->setValue(159);
  Control<QPushButton>(1020)->click();  // '>' one step
  EXPECT_EQ(bclk->value(), 160);
  EXPECT_EQ(Text(1003), "160.0");
  EXPECT_EQ(Text(1006), "800.0") << "the RAM clock follows the selected BCLK";
  EXPECT_EQ(Text(1005), "666.7");
  EXPECT_EQ(Text(1002), "133.3") << "nothing applied yet";
  EXPECT_DOUBLE_EQ(machine_->BclkMHz(), 32.0 * 50 / 12);

  Control<QPushButton>(1036)->click();
  EXPECT_NEAR(machine_->BclkMHz(), 160.0, 0.01);
  EXPECT_DOUBLE_EQ(machine_->PcieMHz(), 100.0);
  EXPECT_EQ(Text(1002), "160.0");
  EXPECT_FLOAT_EQ(page_->Current(CPLLDlg::CLOCK_BCLK), 160.0f);
  EXPECT_TRUE(warnings_.empty());

  // The page after the next poll measures the new clock.
  ASSERT_TRUE(app_->PollHardware(CTorvikTuneApp::kPollSdkLockTimeoutMs));
  page_->Reload();
  const float cpu = Control<QLabel>(1013)->text().toFloat();
  EXPECT_GT(cpu, 160.0f * 12);

  // At the slider's maximum '>' does nothing.
  bclk->setValue(bclk->maximum());
  const float selected = page_->Selection(CPLLDlg::CLOCK_BCLK);
  Control<QPushButton>(1020)->click();
  EXPECT_EQ(bclk->value(), bclk->maximum());
  EXPECT_FLOAT_EQ(page_->Selection(CPLLDlg::CLOCK_BCLK), selected);
  // "Restore" drops the selection without writing.
  Control<QPushButton>(1035)->click();
  EXPECT_EQ(bclk->value(), 160);
  EXPECT_NEAR(machine_->BclkMHz(), 160.0, 0.01);

  CTorvikTuneDlg* wnd = app_->MainWindow();
  wnd->TabControl()->setCurrentIndex(3);
  wnd->resize(wnd->sizeHint().expandedTo(QSize(760, 560)));
  QApplication::processEvents();
  const QString path = QStringLiteral(TORVIK_APP_TEST_OUTPUT_DIR) + "/torviktune-overclocking.png";
  ASSERT_TRUE(wnd->grab().save(path));
}

TEST_F(OverclockingPage, NehalemRatiosAreIndependentAndTurboAloneWritesOnlyItsSwitch) {
  Start("brenmor-p55");
  const uint64_t limits = Msr(0x1AD);
  for (int k = 1; k <= 6; ++k) EXPECT_EQ(Control<QSlider>(1217 + k)->isEnabled(), k <= 4) << "4 cores: " << k;
  EXPECT_FALSE(page_->Linked());
  EXPECT_EQ(page_->Ratio(1), static_cast<int>(limits & 0xFF));
  EXPECT_EQ(Text(1030), "x " + std::to_string(limits & 0xFF));

  // Turbo switch alone: MSR 0x1A0 changes, the ratio register does not.
  auto* turbo = Control<QCheckBox>(1051);
  ASSERT_TRUE(turbo->isEnabled());
  ASSERT_TRUE(turbo->isChecked());
  turbo->setChecked(false);
  Control<QPushButton>(1036)->click();
  EXPECT_TRUE(Msr(0x1A0) & (1ull << 38));
  EXPECT_EQ(Msr(0x1AD), limits);

  Control<QSlider>(1219)->setValue(18);  // Core2
  EXPECT_EQ(Control<QSlider>(1218)->value(), static_cast<int>(limits & 0xFF)) << "independent sliders";
  Control<QPushButton>(1036)->click();
  const uint64_t written = Msr(0x1AD);
  EXPECT_EQ((written >> 8) & 0xFF, 18u);
  EXPECT_EQ(written & 0xFF, limits & 0xFF);
  EXPECT_EQ((written >> 32) & 0xFFFF, (limits >> 32) & 0xFFFF) << "ratios 5 and 6 as last read";
}

TEST_F(OverclockingPage, SandyBridgeRatiosMoveTogetherOnTheChipsetClock) {
  Start("brenmor-p67");
  EXPECT_TRUE(page_->Linked());
  auto* bclk = Control<QSlider>(1001);
  ASSERT_TRUE(bclk->isEnabled());
  EXPECT_EQ(bclk->minimum(), 900);
  EXPECT_EQ(bclk->maximum(), 1200);
  EXPECT_EQ(Text(1002), "100.0");
  EXPECT_FALSE(Control<QSlider>(1024)->isEnabled()) << "no PCI Express generator of its own";
  EXPECT_EQ(Text(1007), "100.0");

  uint32_t before = 0;
  ASSERT_TRUE(machine_->RawPhysicalRead(0xFED10000 + 0x5990, &before, 4));
  Control<QSlider>(1220)->setValue(30);  // Core3
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(Control<QSlider>(1217 + k)->value(), 30) << k;
  Control<QPushButton>(1036)->click();
  uint32_t after = 0;
  ASSERT_TRUE(machine_->RawPhysicalRead(0xFED10000 + 0x5990, &after, 4));
  EXPECT_EQ(after & 0xFF, 30u);
  EXPECT_EQ(after & ~0xFFu, before & ~0xFFu);
  EXPECT_DOUBLE_EQ(machine_->BclkMHz(), 100.0) << "the clock was not touched";
}

TEST_F(OverclockingPage, ResumeRereadsTheGeneratorsAndReloadsThePage) {
  Start("brenmor-p67");
  EXPECT_EQ(Text(1002), "100.0");
  // The firmware set another clock while the machine slept.
  ASSERT_TRUE(machine_->GetIntegratedClock()->Set(0, 1050ull * 100000));
  app_->OnPowerResume();
  EXPECT_EQ(Text(1002), "105.0");
  EXPECT_EQ(Control<QSlider>(1001)->value(), 1050);
}

}  // namespace
