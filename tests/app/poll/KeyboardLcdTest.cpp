// The keyboard LCD: off without a panel, frames of 160x43 bytes in the file
// sinks, text placed on its baseline, and the Monitoring page's summary.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include "AppTestSupport.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/CTorvikTuneDlg.h"
#include "app/KeyboardLcd.h"
#include "app/pages/CMonitoringDlg.h"

namespace {

struct Box {
  int left = 1000, top = 1000, right = -1, bottom = -1, lit = 0;
};

Box LitBox(const std::vector<uint8_t>& frame, int x0 = 0, int y0 = 0, int x1 = 160, int y1 = 43) {
  Box b;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (frame[y * 160 + x]) {
        ++b.lit;
        b.left = std::min(b.left, x), b.right = std::max(b.right, x);
        b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
      }
  return b;
}

// Reads a binary PBM back into a frame.
std::vector<uint8_t> ReadPbm(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray data = f.readAll();
  const QByteArray header = "P4\n160 43\n";
  if (!data.startsWith(header) || data.size() != header.size() + 20 * 43) return {};
  std::vector<uint8_t> frame(CKeyboardLcd::kFrameBytes);
  for (int i = 0; i < CKeyboardLcd::kFrameBytes; ++i)
    frame[i] = (static_cast<uint8_t>(data[header.size() + (i / 160) * 20 + (i % 160) / 8]) & (0x80 >> (i % 8))) ? 255 : 0;
  return frame;
}

TEST(KeyboardLcd, WithoutAPanelEverythingIsOff) {
  qunsetenv("TORVIK_LCD_FILE");
  CKeyboardLcd lcd;
  // A panel may be attached to the machine that runs the tests; only the
  // state without one is checked.
  if (lcd.Start()) GTEST_SKIP() << "a keyboard panel answered";
  EXPECT_EQ(lcd.m_lcdDevice, -1);
  EXPECT_EQ(lcd.m_lcdConnection, -1);
  lcd.LcdClear();
  lcd.LcdText(0, 10, "x");
  lcd.LcdFlush();
  lcd.LcdShowBitmap(CKeyboardLcd::kStartPicture);
  EXPECT_EQ(lcd.FramesSent(), 0);
  EXPECT_EQ(lcd.Deinitialize(), CKeyboardLcd::kNotInitialized);
}

TEST(KeyboardLcd, TextSitsOnItsBaselineAndReachesTheFileAsTheFrame) {
  apptest::EnsureQApplication();
  QTemporaryDir dir;
  for (const char* name : {"frame.pbm", "frame.png"}) {
    SCOPED_TRACE(name);
    const QString path = dir.filePath(QString::fromLatin1(name));
    CKeyboardLcd lcd;
    ASSERT_TRUE(lcd.Start(std::make_unique<CFileLcdSink>(path)));
    EXPECT_EQ(lcd.Initialize(std::make_unique<CFileLcdSink>(path)), CKeyboardLcd::kAlreadyInitialized);
    // The start picture went out first.
    ASSERT_EQ(lcd.FramesSent(), 1);
    EXPECT_GT(LitBox(lcd.LastFrame()).lit, 100);

    lcd.LcdClear();
    lcd.LcdText(80, 30, "CPU: 2667 MHz");
    lcd.LcdFlush();
    ASSERT_EQ(lcd.FramesSent(), 2);
    const std::vector<uint8_t>& frame = lcd.LastFrame();
    ASSERT_EQ(frame.size(), 6880u);
    for (uint8_t v : frame) ASSERT_TRUE(v == 0 || v == 255);
    const Box b = LitBox(frame);
    ASSERT_GT(b.lit, 20);
    // A 9-pixel font: capitals rise at most 9 rows above the baseline and
    // nothing of this text descends more than 2 below it.
    EXPECT_GE(b.left, 80);
    EXPECT_GE(b.top, 30 - 9);
    EXPECT_LE(b.bottom, 30 + 2);
    EXPECT_GE(b.right - b.left, 40) << "thirteen characters side by side";

    std::vector<uint8_t> back;
    if (path.endsWith(".png")) {
      QImage image(path);
      ASSERT_EQ(image.size(), QSize(160, 43));
      back = CKeyboardLcd::FrameFromImage(image);
    } else {
      back = ReadPbm(path);
    }
    EXPECT_EQ(back, frame);

    // A clear and a flush send an empty frame.
    lcd.LcdClear();
    lcd.LcdFlush();
    EXPECT_EQ(LitBox(lcd.LastFrame()).lit, 0);
    lcd.Shutdown();
    EXPECT_EQ(lcd.m_lcdDevice, -1);
  }
}

// A link planted at the frame file's path is replaced by the frame, and
// what it pointed at stays untouched.
TEST(KeyboardLcd, TheFileSinkReplacesALinkInsteadOfWritingThroughIt) {
  QTemporaryDir dir;
  const QString victim = dir.filePath("victim"), path = dir.filePath("frame.pbm");
  {
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("keep me");
  }
  ASSERT_TRUE(QFile::link(victim, path));
  CFileLcdSink sink(path);
  std::vector<uint8_t> frame(CKeyboardLcd::kWidth * CKeyboardLcd::kHeight, 0);
  frame[0] = 255;
  ASSERT_TRUE(sink.Send(frame.data(), static_cast<uint32_t>(frame.size())));
  EXPECT_FALSE(QFileInfo(path).isSymLink());
  EXPECT_EQ(ReadPbm(path), frame);
  QFile f(victim);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("keep me"));
  // No temporary files are left beside it.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(KeyboardLcd, MonitoringPageDrawsTheProcessorLine) {
  apptest::EnsureQApplication();
  auto machine = apptest::SelectEmulatedBoard();
  ASSERT_TRUE(machine);
  QTemporaryDir dir;
  const QString path = dir.filePath("lcd.pbm");
  qputenv("TORVIK_LCD_FILE", path.toLocal8Bit());
  CTorvikTuneApp::Hooks hooks;
  hooks.warningBox = [](const QString&, const QString&) {};
  auto app = std::make_unique<CTorvikTuneApp>(hooks);
  ASSERT_TRUE(app->InitInstance());
  qunsetenv("TORVIK_LCD_FILE");
  ASSERT_TRUE(app->Lcd().IsOn());
  app->StartPolling(false);
  auto* page = qobject_cast<CMonitoringDlg*>(app->MainWindow()->TabControl()->Page(2));
  ASSERT_NE(page, nullptr);
  page->Redraw();

  const std::vector<uint8_t> frame = ReadPbm(path);
  ASSERT_EQ(frame, app->Lcd().LastFrame());
  // "CPU: … MHz" at (0, 10) and "QPI: … MHz" at (80, 10) on the Nehalem
  // of the emulated board: both halves of the top line are lit.
  const Box left = LitBox(frame, 0, 0, 80, 13), right = LitBox(frame, 80, 0, 160, 13);
  EXPECT_GT(left.lit, 20);
  EXPECT_GT(right.lit, 20);
  bool qpi = false;
  for (const auto& line : page->View().Lcd()) qpi = qpi || (line.x == 80 && line.y == 10 && line.text.rfind("QPI: ", 0) == 0);
  EXPECT_TRUE(qpi);
}

}  // namespace
