// The Monitoring page on the emulated board: rows filled from the values the
// poll left, readings moving between refreshes with min and max tracked, and
// the picture of the page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QGroupBox>
#include <QLabel>

#include <cstdlib>
#include <functional>

#include "AppTestSupport.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/CTorvikTuneDlg.h"
#include "app/pages/CMonitoringDlg.h"
#include "sdk/core/QUARNSDK.h"

namespace {

// Leading number of a value text ("48.0 °C" -> 48).
double Number(const QString& text) { return text.section(' ', 0, 0).toDouble(); }

class MonitoringPage : public ::testing::Test {
 protected:
  void SetUp() override {
    apptest::EnsureQApplication();
    machine_ = apptest::SelectEmulatedBoard();
    ASSERT_TRUE(machine_);
    CTorvikTuneApp::Hooks hooks;
    hooks.warningBox = [](const QString&, const QString&) {};
    app_ = std::make_unique<CTorvikTuneApp>(hooks);
    ASSERT_TRUE(app_->InitInstance());
    // The test drives the cycles itself, on virtual time.
    app_->StartPolling(false);
    page_ = qobject_cast<CMonitoringDlg*>(app_->MainWindow()->TabControl()->Page(2));
    ASSERT_NE(page_, nullptr);
  }
  void TearDown() override { app_.reset(); }

  // The emulated processors' digital thermometers read `celsius` below TjMax
  // less than now (the package warms up by that much).
  void Warm(int celsius) {
    for (auto& cpu : machine_->Cpus()) {
      uint64_t v = cpu->StoredMsr(0x19C);
      const int readout = static_cast<int>((v >> 16) & 0x7F) - celsius;
      v = (v & ~(0x7Full << 16)) | (static_cast<uint64_t>(std::max(readout, 0)) << 16);
      cpu->SetMsr(0x19C, v, false);
    }
  }

  void Cycle() {
    machine_->Sleep(1000);
    ASSERT_TRUE(app_->PollHardware(CTorvikTuneApp::kPollSdkLockTimeoutMs));
    page_->Redraw();
  }

  std::shared_ptr<emu::EmulatedMachine> machine_;
  std::unique_ptr<CTorvikTuneApp> app_;
  CMonitoringDlg* page_ = nullptr;
};

TEST_F(MonitoringPage, ProcessorTemperaturesMoveWithMinAndMaxTracked) {
  Cycle();
  const int row = CMonitorView::kCpuTempRow0;
  ASSERT_TRUE(page_->RowLabel(row)->isEnabled());
  EXPECT_TRUE(page_->RowLabel(row)->text().startsWith("Core #")) << page_->RowLabel(row)->text().toStdString();
  EXPECT_TRUE(page_->RowValue(row)->text().endsWith(QString::fromUtf8(" °C")));
  const double first = Number(page_->RowValue(row)->text());

  Warm(6);
  Cycle();
  const double warm = Number(page_->RowValue(row)->text());
  EXPECT_DOUBLE_EQ(warm, first + 6);
  Warm(-10);
  Cycle();
  const double cool = Number(page_->RowValue(row)->text());
  EXPECT_DOUBLE_EQ(cool, first - 4);
  EXPECT_DOUBLE_EQ(Number(page_->RowMin(row)->text()), cool);
  EXPECT_DOUBLE_EQ(Number(page_->RowMax(row)->text()), warm);

  // Rows without a sensor keep their default label, disabled and empty.
  const int lastFan = CMonitorView::kFanRow0 + CMonitorView::kFanRows - 1;
  EXPECT_EQ(page_->RowLabel(lastFan)->text(), "Fan 6");
  EXPECT_FALSE(page_->RowLabel(lastFan)->isEnabled());
  EXPECT_TRUE(page_->RowValue(lastFan)->text().isEmpty());
}

TEST_F(MonitoringPage, EveryReadingTheSdkHoldsHasARowAndItsValueLiesBetweenMinAndMax) {
  for (int i = 0; i < 3; ++i) {
    Warm(i % 2 ? 3 : -2);
    Cycle();
  }
  int filled = 0;
  for (int row = 0; row < CMonitorView::kRowCount; ++row) {
    if (!page_->RowLabel(row)->isEnabled()) continue;
    ++filled;
    SCOPED_TRACE(page_->RowLabel(row)->text().toStdString());
    ASSERT_FALSE(page_->RowValue(row)->text().isEmpty());
    if (page_->RowMin(row)->text().isEmpty()) continue;
    EXPECT_LE(Number(page_->RowMin(row)->text()), Number(page_->RowValue(row)->text()));
    EXPECT_GE(Number(page_->RowMax(row)->text()), Number(page_->RowValue(row)->text()));
  }
  // At least the processor's cores; the board's sensors join once the
  // hardware monitor finds them.
  EXPECT_GE(filled, 1);
  EXPECT_EQ(filled, static_cast<int>(std::count_if(page_->View().Rows().begin(), page_->View().Rows().end(),
                                                   [](const CMonitorView::Row& r) { return r.enabled; })));
}

TEST_F(MonitoringPage, PageTimerRedrawsOnlyWhenTheSdkLockIsFree) {
  const int before = page_->RedrawCount();
  {
    apptest::LockHolder other("QUARNSDK");
    ASSERT_TRUE(other.Holding());
    page_->OnTimer();
    EXPECT_EQ(page_->RedrawCount(), before);
  }
  page_->OnTimer();
  EXPECT_EQ(page_->RedrawCount(), before + 1);
}

// The row of the page whose label is `label`, or -1.
int RowOf(CMonitoringDlg* page, const char* label) {
  for (int row = 0; row < CMonitorView::kRowCount; ++row)
    if (page->RowLabel(row)->isEnabled() && page->RowLabel(row)->text() == label) return row;
  return -1;
}

TEST_F(MonitoringPage, BoardReadingsMoveWithTheBoardAndKeepTheirLabels) {
  // Half a minute of the board's life, one poll every five seconds.
  Cycle();
  for (int i = 0; i < 6; ++i) {
    machine_->Sleep(4000);
    Cycle();
  }
  // The board's own labels, from its monitoring chip and board tables.
  for (const char* label : {"+3.3V", "CPU VCORE", "+12V", "IOH", "System"}) EXPECT_GE(RowOf(page_, label), 0) << label;
  // The board's processor temperature (the first "CPU" row) and a system
  // fan drift: both were seen at different values, and the page shows the range.
  for (const char* label : {"CPU", "FANIN1"}) {
    const int row = RowOf(page_, label);
    ASSERT_GE(row, 0) << label;
    EXPECT_LT(Number(page_->RowMin(row)->text()), Number(page_->RowMax(row)->text())) << label;
  }
}

TEST_F(MonitoringPage, PowerBoxShowsOnlyTheRowsThatHoldAReading) {
  Cycle();
  int shown = 0;
  for (int row = CMonitorView::kOtherRow0; row < CMonitorView::kOtherRow0 + CMonitorView::kOtherRows; ++row) {
    const bool filled = page_->View().RowAt(row).enabled;
    EXPECT_EQ(page_->RowLabel(row)->isHidden(), !filled) << page_->RowLabel(row)->text().toStdString();
    EXPECT_EQ(page_->RowValue(row)->isHidden(), !filled);
    shown += filled;
  }
  // The emulated processor reports its package power.
  EXPECT_GE(shown, 1);
  EXPECT_LT(shown, CMonitorView::kOtherRows);
  EXPECT_FALSE(page_->Box(CMonitorView::kOther)->isHidden());
}

TEST_F(MonitoringPage, GrabbedPicture) {
  Cycle();
  for (int i = 0; i < 6; ++i) {
    machine_->Sleep(4000);
    Cycle();
  }
  Warm(4);
  Cycle();
  CTorvikTuneDlg* wnd = app_->MainWindow();
  wnd->TabControl()->setCurrentIndex(2);
  wnd->resize(wnd->sizeHint().expandedTo(QSize(760, 560)));
  QApplication::processEvents();
  const QString path = QStringLiteral(TORVIK_APP_TEST_OUTPUT_DIR) + "/torviktune-monitoring.png";
  ASSERT_TRUE(wnd->grab().save(path));

  // The picture shows the page: the board's first label is drawn where its
  // row is, and its reading in the value colour beside it. A blank or
  // unfinished page fails here.
  const QImage shot(path);
  ASSERT_FALSE(shot.isNull());
  const qreal scale = shot.width() / static_cast<qreal>(wnd->width());
  auto regionOf = [&](QWidget* w) {
    const QRect r(w->mapTo(wnd, QPoint(0, 0)), w->size());
    return QRect(static_cast<int>(r.x() * scale), static_cast<int>(r.y() * scale), static_cast<int>(r.width() * scale),
                 static_cast<int>(r.height() * scale))
        .intersected(shot.rect());
  };
  auto count = [&](const QRect& r, const std::function<bool(QColor)>& match) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) n += match(shot.pixelColor(x, y));
    return n;
  };
  ASSERT_EQ(page_->RowLabel(0)->text(), "+3.3V");
  const QColor background = shot.pixelColor(regionOf(page_->RowLabel(0)).topLeft());
  const int labelInk = count(regionOf(page_->RowLabel(0)), [&](QColor c) {
    return std::abs(c.lightness() - background.lightness()) > 80;
  });
  EXPECT_GT(labelInk, 10) << "no text where the first label belongs";
  const QColor valueColour = app_->m_crValueText;
  const int valueInk = count(regionOf(page_->RowValue(0)), [&](QColor c) {
    return std::abs(c.red() - valueColour.red()) < 40 && std::abs(c.green() - valueColour.green()) < 40 &&
           std::abs(c.blue() - valueColour.blue()) < 40;
  });
  EXPECT_GT(valueInk, 10) << "no reading in the value colour beside the first label";
}

}  // namespace
