// The Graphics page on the emulated boards: the adapter's identity, memory
// and clocks, the regulator sliders of the board vendor's cards with "Set",
// the VGPU and slider rounding, and the picture of the page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "AppTestSupport.h"
#include "app/CMyTabCtl.h"
#include "app/CTorvikTuneApp.h"
#include "app/CTorvikTuneDlg.h"
#include "app/pages/CGraphicsDlg.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"
#include "sdk/graphics/CI2CRegisterSpace.h"
#include "sdk/graphics/GpuRegulators.h"

namespace {

class GraphicsPage : public ::testing::Test {
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
    page_ = qobject_cast<CGraphicsDlg*>(app_->MainWindow()->TabControl()->Page(5));
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
  CDisplayAdapter* Adapter(int i) {
    auto* d = static_cast<CDisplayInterface*>(app_->m_pSDK->FindInterface(INTERFACE_DISPLAY));
    return d ? d->AdapterAt(i) : nullptr;
  }
  // The regulator byte at a register of adapter `i`'s device.
  int RegulatorByte(int i, uint8_t address, uint8_t reg) {
    EXPECT_TRUE(app_->LockHardware(0xFFFFFFFF));
    CI2CRegisterSpace* s = Adapter(i)->directI2C;
    uint8_t v = 0xFF;
    s->SetAccessMode(0);
    const int ok = s->LockedReadByte(kGpuRegulatorPort, address, reg, &v);
    s->SetAccessMode(1);
    app_->UnlockHardware();
    return ok ? v : -1;
  }

  std::shared_ptr<emu::EmulatedMachine> machine_;
  std::unique_ptr<CTorvikTuneApp> app_;
  CGraphicsDlg* page_ = nullptr;
  std::vector<std::string> warnings_;
};

// Slider ids, value ids and "Set" ids: NV VDD, FB VDD, PEX VDD.
constexpr int kSlider[3] = {1113, 1116, 1117};
constexpr int kValue[3] = {1008, 1009, 1010};
constexpr int kSet[3] = {1053, 1054, 1055};

TEST_F(GraphicsPage, VendorCardShowsItsRegulatorsAndSetWritesThem) {
  Start("brenmor-x58");
  auto* devices = Control<QComboBox>(1058);
  EXPECT_TRUE(devices->isEnabled());
  ASSERT_EQ(devices->count(), 2);
  EXPECT_EQ(devices->itemText(1).toStdString(), "NVIDIA GeForce GTX 480");
  EXPECT_EQ(Text(1005), "GF100");
  EXPECT_EQ(Text(1006), "A3");
  EXPECT_EQ(Text(1007), "40 nm");
  EXPECT_FALSE(Control<QLabel>(1217)->isEnabled()) << "no memory size known";
  // The GF100's clocks from its PLL registers.
  EXPECT_EQ(Text(1065), "702");
  EXPECT_EQ(Text(1069), "1404");
  EXPECT_EQ(Text(1070), "1848");
  // One performance level: no "Current", the list disabled.
  auto* levels = Control<QComboBox>(1061);
  EXPECT_FALSE(levels->isEnabled());
  EXPECT_EQ(levels->count(), 1);
  // No API reports a GPU voltage here: no VGPU list.
  EXPECT_FALSE(Control<QComboBox>(1109)->isEnabled());

  struct Rail {
    int position, maximum;
    const char* shown;
  } rails[3] = {{8, 56, "1.00000"}, {16, 31, "1.75500"}, {3, 5, "1.15100"}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    auto* slider = Control<QSlider>(kSlider[i]);
    EXPECT_TRUE(slider->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(kSet[i])->isEnabled());
    EXPECT_EQ(slider->maximum(), rails[i].maximum);
    EXPECT_EQ(slider->value(), rails[i].position);
    EXPECT_EQ(Text(kValue[i]), rails[i].shown);
  }

  // Moving a slider shows the voltage and writes nothing.
  auto* nvvdd = Control<QSlider>(1113);
  nvvdd->setValue(9);
  EXPECT_EQ(Text(1008), "1.00625");
  EXPECT_EQ(RegulatorByte(0, 0x30, 0xC8), 108);
  Control<QPushButton>(1053)->click();
  EXPECT_EQ(RegulatorByte(0, 0x30, 0xC8), 109);
  EXPECT_EQ(RegulatorByte(0, 0x30, 0xC9), 109);
  EXPECT_EQ(nvvdd->value(), 9);
  EXPECT_EQ(Text(1008), "1.00625");
  // Position 8 shows 1.00000 and writes 108 to both registers.
  nvvdd->setValue(8);
  EXPECT_EQ(Text(1008), "1.00000");
  Control<QPushButton>(1053)->click();
  EXPECT_EQ(RegulatorByte(0, 0x30, 0xC8), 108);
  EXPECT_EQ(RegulatorByte(0, 0x30, 0xC9), 108);

  // The second card is its own: a change there leaves the first as it is.
  devices->setCurrentIndex(1);
  Control<QSlider>(1116)->setValue(20);
  Control<QPushButton>(1054)->click();
  EXPECT_EQ(RegulatorByte(1, 0x32, 0x01), 20);
  EXPECT_EQ(RegulatorByte(0, 0x32, 0x01), 16);
  EXPECT_EQ(Text(1009), "1.79500");
}

// "Set" without moving a slider writes back what the rail has: the
// positions are the nearest steps (1.151 V is step 2.99999... of PEX VDD).
TEST_F(GraphicsPage, SetWithoutMovingLeavesEveryRailAsItWas) {
  Start("brenmor-x58");
  const uint8_t devices[3] = {0x30, 0x32, 0x31};
  const uint8_t registers[3] = {0xC8, 0x01, 0x01};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const int before = RegulatorByte(0, devices[i], registers[i]);
    const std::string shown = Text(kValue[i]);
    Control<QPushButton>(kSet[i])->click();
    EXPECT_EQ(RegulatorByte(0, devices[i], registers[i]), before);
    EXPECT_EQ(Text(kValue[i]), shown);
  }
}

TEST_F(GraphicsPage, OtherMakersCardShowsClocksAndMemoryWithoutAdvancedControls) {
  Start("brenmor-p55");
  EXPECT_FALSE(Control<QComboBox>(1058)->isEnabled()) << "one adapter";
  EXPECT_EQ(Text(1005), "GT200");
  EXPECT_EQ(Text(1006), "A1");
  EXPECT_EQ(Text(1007), "65 nm");
  EXPECT_EQ(Text(1066), "1024 MBytes");
  EXPECT_EQ(Text(1114), "GDDR3");
  EXPECT_EQ(Text(1115), "512 bits");
  EXPECT_EQ(Text(1065), "648");
  EXPECT_EQ(Text(1069), "1476");
  EXPECT_EQ(Text(1070), "1242");
  EXPECT_TRUE(Control<QLabel>(1074)->isEnabled());
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(Control<QSlider>(kSlider[i])->isEnabled()) << i;
    EXPECT_FALSE(Control<QPushButton>(kSet[i])->isEnabled()) << i;
    EXPECT_EQ(Text(kValue[i]), "") << i;
  }
  EXPECT_FALSE(Control<QPushButton>(1051)->isEnabled());
  EXPECT_TRUE(warnings_.empty());
}

TEST(GraphicsPageRounding, VgpuEntriesAndSliderPositions) {
  struct Vgpu {
    float volts, entry;
  } vgpu[] = {{1.02f, 1.025f}, {1.018f, 1.013f}, {0.9f, 0.975f}, {1.3f, 1.15f}, {1.0f, 1.0f}};
  for (const Vgpu& c : vgpu) {
    SCOPED_TRACE(c.volts);
    EXPECT_EQ(CGraphicsDlg::kVgpuValues[CGraphicsDlg::NearestVgpuIndex(c.volts)], c.entry);
  }
  struct Slider {
    int rail;
    double volts;
    int position;
  } sliders[] = {
      {GPU_RAIL_NVVDD, 1.0, 8}, {GPU_RAIL_PEXVDD, 1.151, 3}, {GPU_RAIL_FBVDD, 1.755, 16},
      {GPU_RAIL_NVVDD, 1.3, 56}, {GPU_RAIL_NVVDD, 2.0, 56}, {GPU_RAIL_FBVDD, 1.5, 0},
  };
  for (const Slider& c : sliders) {
    SCOPED_TRACE(testing::Message() << c.rail << " " << c.volts);
    EXPECT_EQ(CGraphicsDlg::SliderPosition(c.rail, c.volts), c.position);
  }
  EXPECT_EQ(QString::asprintf("%.5f", CGraphicsDlg::PositionVolts(GPU_RAIL_NVVDD, 8)).toStdString(), "1.00000");
  EXPECT_EQ(QString::asprintf("%.5f", CGraphicsDlg::PositionVolts(GPU_RAIL_PEXVDD, 3)).toStdString(), "1.15100");
}

TEST_F(GraphicsPage, GrabbedPicture) {
  Start("brenmor-x58");
  CTorvikTuneDlg* wnd = app_->MainWindow();
  wnd->TabControl()->setCurrentIndex(5);
  wnd->resize(wnd->sizeHint().expandedTo(QSize(760, 560)));
  QApplication::processEvents();
  const QString path = QStringLiteral(TORVIK_APP_TEST_OUTPUT_DIR) + "/torviktune-graphics.png";
  ASSERT_TRUE(wnd->grab().save(path));
  QImage image(path);
  ASSERT_FALSE(image.isNull());
  EXPECT_GE(image.width(), 760);
  // The page drew something: the picture is not one colour.
  const QRgb first = image.pixel(0, 0);
  bool varied = false;
  for (int y = 0; y < image.height() && !varied; y += 7)
    for (int x = 0; x < image.width() && !varied; x += 7) varied = image.pixel(x, y) != first;
  EXPECT_TRUE(varied);
}

}  // namespace
