// The Voltages page on the emulated vendor boards: the rails it lists, an
// apply that writes only the rail the user changed, the dual-processor
// board's branch switch on a processor change, and the picture of the page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "AppTestSupport.h"
#include "app/AppMessages.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/CTorvikTuneDlg.h"
#include "app/pages/CMonitoringDlg.h"
#include "app/pages/CTweakingDlg.h"
#include "emu/chips/Chl8102.h"
#include "emu/chips/Chl8328.h"
#include "emu/chips/DumpTargets.h"
#include "emu/chips/F72262.h"
#include "emu/chips/Pca9545a.h"
#include "emu/chips/Up6228.h"
#include "emu/chips/Vt1186m.h"

namespace {

class VoltagesPage : public ::testing::Test {
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
    page_ = qobject_cast<CTweakingDlg*>(app_->MainWindow()->TabControl()->Page(4));
    ASSERT_NE(page_, nullptr);
    page_->Reload();
  }
  void TearDown() override { app_.reset(); }
  template <typename Chip>
  std::shared_ptr<Chip> ChipNamed(const std::string& name) {
    return std::static_pointer_cast<Chip>(emu::FindDumpTarget(*machine_, name));
  }
  QString Labels() const {
    QStringList out;
    for (int i = 0; i < CTweakingDlg::kSlots; ++i)
      if (page_->Slot(i).list->isEnabled()) out << page_->Slot(i).label->text();
    return out.join('|');
  }
  int SlotOf(const QString& label) const {
    for (int i = 0; i < CTweakingDlg::kSlots; ++i)
      if (page_->Slot(i).label->text() == label) return i;
    return -1;
  }

  std::shared_ptr<emu::EmulatedMachine> machine_;
  std::unique_ptr<CTorvikTuneApp> app_;
  CTweakingDlg* page_ = nullptr;
};

TEST_F(VoltagesPage, ApplyWritesOnlyTheChangedRail) {
  Start("brenmor-z68");
  EXPECT_EQ(Labels(), "VCORE|VCORE|DRAM Voltage|VCCSA|PCH Vcore 1.05V|SFR Vcore 1.8V|NF200|ChB DQ VRef|"
                      "ChA DQ VRef|VCCIO");
  EXPECT_TRUE(page_->ApplyButton()->isEnabled());
  const COutputControlItem& vcore = page_->Slot(0);
  EXPECT_EQ(vcore.list->currentText(), "1.20000 V");
  // The second uP6228 reads code 0, the first entry of its list.
  EXPECT_EQ(page_->Slot(1).list->currentIndex(), 0);

  auto up = ChipNamed<emu::Up6228>("up6228@0x45");
  auto idle = ChipNamed<emu::Up6228>("up6228@0x46");
  auto dram = ChipNamed<emu::Chl8328>("chl8328@0x32");
  auto pch = ChipNamed<emu::F72262>("f72262@0x34");
  auto vccio = ChipNamed<emu::Chl8102>("chl8102@0x0c");
  const uint8_t idleControl = idle->Get(0x27), dramSelect = dram->Get(0xD0), dramCode = dram->Get(0xD1);
  const uint8_t pchCode = pch->Get(0x01), vccioCode = vccio->Get(0x62);

  vcore.list->setCurrentIndex(vcore.list->findText("1.30000 V"));
  page_->ApplyButton()->click();
  EXPECT_EQ(up->Get(0x18), 211);
  EXPECT_EQ(page_->Slot(0).list->currentText(), "1.30000 V");
  EXPECT_EQ(idle->Get(0x27), idleControl);
  EXPECT_EQ(dram->Get(0xD0), dramSelect);
  EXPECT_EQ(dram->Get(0xD1), dramCode);
  EXPECT_EQ(pch->Get(0x01), pchCode);
  EXPECT_EQ(vccio->Get(0x62), vccioCode);
  EXPECT_TRUE(page_->LastRefusals().isEmpty());
  // The Monitoring page shows the new VCORE after the next poll.
  auto* monitoring = qobject_cast<CMonitoringDlg*>(app_->MainWindow()->TabControl()->Page(2));
  ASSERT_NE(monitoring, nullptr);
  machine_->Sleep(1000);
  ASSERT_TRUE(app_->PollHardware(CTorvikTuneApp::kPollSdkLockTimeoutMs));
  monitoring->Redraw();
  bool shown = false;
  for (int row = 0; row < CMonitorView::kRowCount; ++row)
    if (monitoring->RowLabel(row)->isEnabled() && monitoring->RowLabel(row)->text() == "CPU VCORE") {
      EXPECT_NEAR(monitoring->RowValue(row)->text().section(' ', 0, 0).toDouble(), 1.3, 0.025);
      shown = true;
    }
  EXPECT_TRUE(shown);

  // An offset row below its base: the ISL90727 wiper.
  const int dq = SlotOf("ChB DQ VRef");
  ASSERT_GE(dq, 0);
  QComboBox* list = page_->Slot(dq).list;
  EXPECT_EQ(list->itemText(0), "- 0.63000 V");
  list->setCurrentIndex(list->findText("- 0.05000 V"));
  page_->Apply();
  EXPECT_EQ(page_->Slot(dq).list->currentText(), "- 0.05000 V");
}

TEST_F(VoltagesPage, DualProcessorBoardSwitchesTheBranchWithTheProcessor) {
  Start("brenmor-5520dp");
  auto sw = ChipNamed<emu::Pca9545a>("pca9545a@0x72");
  EXPECT_EQ(sw->Control(), 0x01);
  EXPECT_EQ(Labels(),
            "CPU0 VCORE|CPU0 VCORE BOOST #1|CPU0 VCORE BOOST #2|CPU0 VTT|CPU0 PLL 1.8V|IOH Vcore 1.1V|IOH 1.8V|"
            "CPU0 VDIMM|NF200 1.2V|I/O 1.5V|ICH 1.05V|CPU0 DQ VRef");
  app_->m_nSelectedProcessor = 1;
  CAppMessageEvent reload(WM_RELOAD_SETTINGS);
  QApplication::sendEvent(page_, &reload);
  EXPECT_EQ(sw->Control(), 0x02);
  EXPECT_EQ(page_->Slot(0).label->text(), "CPU1 VCORE");
  // CPU1 VCORE to 1.1 V reaches the second processor's regulator only.
  QComboBox* list = page_->Slot(0).list;
  list->setCurrentIndex(list->findText("1.10000 V"));
  // The boost rails carry the boost flag to the chip; leave them untouched.
  page_->Apply();
  EXPECT_EQ(ChipNamed<emu::Vt1186m>("vt1186m@1:0x70")->Get(0x1C), 82);
  EXPECT_EQ(ChipNamed<emu::Vt1186m>("vt1186m@0:0x70")->Get(0x1C), 66);
  EXPECT_EQ(ChipNamed<emu::F72262>("f72262@1:0x30")->Get(0x01), 0);
}

TEST_F(VoltagesPage, GrabbedPicture) {
  Start("brenmor-z68");
  CTorvikTuneDlg* wnd = app_->MainWindow();
  wnd->TabControl()->setCurrentIndex(4);
  wnd->resize(wnd->sizeHint().expandedTo(QSize(760, 560)));
  QApplication::processEvents();
  const QString path = QStringLiteral(TORVIK_APP_TEST_OUTPUT_DIR) + "/torviktune-voltages.png";
  ASSERT_TRUE(wnd->grab().save(path));
}

}  // namespace
