#include "app/pages/CGraphicsDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

#include "app/CTorvikTuneApp.h"
#include "app/WaitCursor.h"
#include "app/pages/PageHardwareLock.h"
#include "boardid/BoardVendor.h"
#include "platform/Machine.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/clock/CPLL.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/graphics/CDisplayAPI.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"
#include "sdk/graphics/GpuClockPLL.h"
#include "sdk/graphics/GpuRegulators.h"

const float CGraphicsDlg::kVgpuValues[kVgpuCount] = {0.975f, 1.0f,   1.013f, 1.025f, 1.038f, 1.05f,  1.063f,
                                                     1.075f, 1.088f, 1.1f,   1.113f, 1.125f, 1.138f, 1.15f};

namespace {

QString Id(int id) { return QString::number(id); }

// Labels and values of code name, revision, technology, memory size, type
// and bus width.
constexpr int kInfoLabelIds[6] = {1012, 1013, 1014, 1217, 1133, 1134};
constexpr int kInfoValueIds[6] = {1005, 1006, 1007, 1066, 1114, 1115};
enum Info { INFO_CODE, INFO_REVISION, INFO_TECHNOLOGY, INFO_SIZE, INFO_TYPE, INFO_WIDTH };
constexpr int kClockLabelIds[3] = {1074, 1075, 1077};
constexpr int kClockValueIds[3] = {1065, 1069, 1070};
constexpr int kClockKinds[3] = {GPUCLOCK_CORE, GPUCLOCK_SHADER, GPUCLOCK_MEMORY};
// Rails in the page's order: NV VDD, FB VDD, PEX VDD.
struct RailIds {
  int rail, slider, value, set, label;
};
constexpr RailIds kRailIds[3] = {
    {GPU_RAIL_NVVDD, 1113, 1008, 1053, 1086},
    {GPU_RAIL_FBVDD, 1116, 1009, 1054, 1087},
    {GPU_RAIL_PEXVDD, 1117, 1010, 1055, 1088},
};

CDisplayInterface* DisplayInterface() {
  CTorvikTuneApp* app = TheApp();
  if (!app || !app->m_pSDK) return nullptr;
  return static_cast<CDisplayInterface*>(app->m_pSDK->FindInterface(INTERFACE_DISPLAY));
}

QString MemoryTypeText(int code) {
  switch (code) {
    case GPUMEM_DDR: return "DDR";
    case GPUMEM_DDR2: return "DDR2";
    case GPUMEM_DDR3: return "DDR3";
    case GPUMEM_GDDR3: return "GDDR3";
    case GPUMEM_GDDR4: return "GDDR4";
    case GPUMEM_GDDR5: return "GDDR5";
    default: return QString::asprintf("0x%X", code);
  }
}

}  // namespace

int CGraphicsDlg::NearestVgpuIndex(float volts) {
  int best = 0;
  for (int i = 1; i < kVgpuCount; ++i)
    if (std::fabs(kVgpuValues[i] - volts) < std::fabs(kVgpuValues[best] - volts) - 1e-6f) best = i;
  return best;
}

int CGraphicsDlg::SliderPosition(int rail, double volts) {
  const int p = GpuRailCode(rail, volts);
  return std::max(0, std::min(p, kGpuRails[rail].positions));
}

double CGraphicsDlg::PositionVolts(int rail, int position) { return GpuRailVolts(rail, position); }

CGraphicsDlg::CGraphicsDlg(QWidget* parent) : CTunePage(true, parent) {
  setObjectName("CGraphicsDlg");
  CTorvikTuneApp* app = TheApp();
  const QFont labelFont = app ? app->m_fontLabel : font();
  const QFont valueFont = app ? app->m_fontValue : font();
  const QColor valueColour = app ? app->m_crValueText : QColor(0, 0, 0x80);

  auto label = [&](const QString& text, int id, QWidget* p) {
    auto* l = new QLabel(text, p);
    l->setFont(labelFont);
    if (id) l->setObjectName(Id(id));
    return l;
  };
  auto value = [&](int id, QWidget* p) {
    auto* l = new QLabel(p);
    l->setObjectName(Id(id));
    l->setFont(valueFont);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, valueColour);
    l->setPalette(pal);
    l->setMinimumWidth(90);
    return l;
  };
  auto combo = [&](int id, QWidget* p) {
    auto* c = new QComboBox(p);
    c->setObjectName(Id(id));
    c->setFont(valueFont);
    QPalette pal = c->palette();
    pal.setColor(QPalette::Text, valueColour);
    pal.setColor(QPalette::ButtonText, valueColour);
    c->setPalette(pal);
    return c;
  };
  auto button = [&](const QString& text, int id, QWidget* p) {
    auto* b = new QPushButton(text, p);
    b->setFont(labelFont);
    b->setObjectName(Id(id));
    return b;
  };

  auto* top = new QVBoxLayout(this);
  auto* gpuBox = new QGroupBox("GPU", this);
  auto* gpuGrid = new QGridLayout(gpuBox);
  m_pDevices = combo(1058, gpuBox);
  gpuGrid->addWidget(m_pDevices, 0, 0, 1, 2);
  const char* infoTexts[6] = {"Code Name", "Revision", "Technology", "Size", "Type", "Bus Width"};
  for (int i = 0; i < 3; ++i) {
    m_pInfoLabels[i] = label(infoTexts[i], kInfoLabelIds[i], gpuBox);
    m_pInfoValues[i] = value(kInfoValueIds[i], gpuBox);
    gpuGrid->addWidget(m_pInfoLabels[i], i + 1, 0);
    gpuGrid->addWidget(m_pInfoValues[i], i + 1, 1);
  }
  auto* memoryBox = new QGroupBox("Memory", this);
  auto* memoryGrid = new QGridLayout(memoryBox);
  for (int i = 3; i < 6; ++i) {
    m_pInfoLabels[i] = label(infoTexts[i], kInfoLabelIds[i], memoryBox);
    m_pInfoValues[i] = value(kInfoValueIds[i], memoryBox);
    memoryGrid->addWidget(m_pInfoLabels[i], i - 3, 0);
    memoryGrid->addWidget(m_pInfoValues[i], i - 3, 1);
  }
  auto* clocksBox = new QGroupBox("Clocks", this);
  auto* clocksGrid = new QGridLayout(clocksBox);
  m_pLevelLabel = label("Perf Level", 1062, clocksBox);
  m_pLevels = combo(1061, clocksBox);
  clocksGrid->addWidget(m_pLevelLabel, 0, 0);
  clocksGrid->addWidget(m_pLevels, 0, 1);
  const char* clockTexts[3] = {"CORE", "Shaders", "Memory"};
  for (int i = 0; i < 3; ++i) {
    m_pClockLabels[i] = label(clockTexts[i], kClockLabelIds[i], clocksBox);
    m_pClockValues[i] = value(kClockValueIds[i], clocksBox);
    clocksGrid->addWidget(m_pClockLabels[i], i + 1, 0);
    clocksGrid->addWidget(m_pClockValues[i], i + 1, 1);
  }
  auto* row = new QHBoxLayout();
  row->addWidget(gpuBox);
  row->addWidget(memoryBox);
  row->addWidget(clocksBox);
  top->addLayout(row);

  auto* advanced = new QGroupBox("Advanced", this);
  auto* advancedGrid = new QGridLayout(advanced);
  m_pVgpuLabel = label("VGPU", 1085, advanced);
  m_pVgpu = combo(1109, advanced);
  m_pApply = button("Apply", 1051, advanced);
  m_pDefault = button("Default", 1052, advanced);
  advancedGrid->addWidget(m_pVgpuLabel, 0, 0);
  advancedGrid->addWidget(m_pVgpu, 0, 1);
  advancedGrid->addWidget(m_pApply, 0, 2);
  advancedGrid->addWidget(m_pDefault, 0, 3);
  for (int i = 0; i < 3; ++i) {
    const RailIds& ids = kRailIds[i];
    RailControls& c = m_rails[ids.rail];
    c.label = label(kGpuRails[ids.rail].name, ids.label, advanced);
    c.slider = new QSlider(Qt::Horizontal, advanced);
    c.slider->setObjectName(Id(ids.slider));
    c.slider->setTickPosition(QSlider::TicksBelow);
    c.value = value(ids.value, advanced);
    c.set = button("Set", ids.set, advanced);
    advancedGrid->addWidget(c.label, i + 1, 0);
    advancedGrid->addWidget(c.slider, i + 1, 1);
    advancedGrid->addWidget(c.value, i + 1, 2);
    advancedGrid->addWidget(c.set, i + 1, 3);
    const int rail = ids.rail;
    connect(c.slider, &QSlider::valueChanged, this, [this, rail](int position) {
      if (!m_bFilling) ShowRailPosition(rail, position);
    });
    connect(c.set, &QPushButton::clicked, this, [this, rail] { SetRail(rail); });
  }
  top->addWidget(advanced);
  top->addStretch(1);

  connect(m_pDevices, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (m_bFilling || index < 0) return;
    m_nAdapter = index;
    Reload();
    RefreshClocks();
  });
  connect(m_pLevels, &QComboBox::currentIndexChanged, this, [this](int) {
    if (!m_bFilling) RefreshClocks();
  });
  connect(m_pVgpu, &QComboBox::currentIndexChanged, this, [this](int) {
    if (m_bFilling) return;
    if (CTorvikTuneApp* a = TheApp()) a->Warn("Raising GPU Voltage is DANGEROUS! Do this at your own risk!", "Warning");
  });
  connect(m_pApply, &QPushButton::clicked, this, [this] { ApplyGpuVoltage(); });
  connect(m_pDefault, &QPushButton::clicked, this, [this] { DefaultGpuVoltage(); });

  DisableAll();
  m_bFilling = true;
  if (CDisplayInterface* d = DisplayInterface()) {
    PageHardwareLock lock;
    for (int i = 0; i < d->AdapterCount(); ++i) m_pDevices->addItem(d->AdapterAt(i)->name);
  }
  m_pDevices->setEnabled(m_pDevices->count() >= 2);
  if (m_pDevices->count()) m_pDevices->setCurrentIndex(0);
  m_bFilling = false;
  Reload();
  RefreshClocks();
  StartPageTimer();
}

CDisplayAdapter* CGraphicsDlg::Adapter() const {
  CDisplayInterface* d = DisplayInterface();
  return d ? d->AdapterAt(m_nAdapter) : nullptr;
}

void CGraphicsDlg::DisableAll() {
  for (int i = 0; i < 6; ++i) {
    m_pInfoLabels[i]->setEnabled(false);
    m_pInfoValues[i]->clear();
  }
  for (int i = 0; i < 3; ++i) {
    m_pClockLabels[i]->setEnabled(false);
    m_pClockValues[i]->clear();
  }
  m_pLevels->setEnabled(false);
  m_pLevelLabel->setEnabled(false);
  m_pVgpu->setEnabled(false);
  m_pVgpuLabel->setEnabled(false);
  m_pApply->setEnabled(false);
  m_pDefault->setEnabled(false);
  for (RailControls& c : m_rails) {
    c.label->setEnabled(false);
    c.slider->setEnabled(false);
    c.set->setEnabled(false);
    c.value->clear();
  }
}

void CGraphicsDlg::ShowRailPosition(int rail, int position) {
  m_rails[rail].value->setText(QString::asprintf("%.5f", PositionVolts(rail, position)));
}

void CGraphicsDlg::Reload() {
  m_bFilling = true;
  DisableAll();
  m_pLevels->clear();
  CDisplayAdapter* a = Adapter();
  if (!a) {
    m_bFilling = false;
    update();
    return;
  }
  PageHardwareLock lock;
  // Performance levels.
  for (int l = 0; l < a->perfLevelCount; ++l)
    m_pLevels->addItem(a->perfLevelNames[l][0] ? QString(a->perfLevelNames[l]) : QString("Level %1").arg(l));
  if (a->perfLevelCount >= 2) {
    m_pLevels->setEnabled(true);
    m_pLevelLabel->setEnabled(true);
    m_pLevels->addItem("Current");
    m_pLevels->setCurrentIndex(m_pLevels->count() - 1);
  } else if (m_pLevels->count()) {
    m_pLevels->setCurrentIndex(0);
  }
  // Identity and memory.
  auto show = [&](int i, const QString& text) {
    m_pInfoValues[i]->setText(text);
    m_pInfoLabels[i]->setEnabled(true);
  };
  CPCIDevice* pci = a->PciDevice();
  if (a->chipName[0]) show(INFO_CODE, a->chipName);
  if (a->revision > 0) show(INFO_REVISION, QString::asprintf("%X", a->revision));
  else if (pci && pci->commonHeader && pci->commonHeader->revision != 0xFF && pci->commonHeader->revision != 0)
    show(INFO_REVISION, QString::asprintf("%X", pci->commonHeader->revision));
  if (a->technology > 0)
    show(INFO_TECHNOLOGY, a->technology < 0.1f ? QString::asprintf("%d nm", static_cast<int>(a->technology * 1000.0f))
                                               : QString::asprintf("%1.2f um", a->technology));
  if (a->memorySizeMB > 0) show(INFO_SIZE, QString::asprintf("%d MBytes", a->memorySizeMB));
  if (a->memoryType > 0) show(INFO_TYPE, MemoryTypeText(a->memoryType));
  if (a->busWidth > 0) show(INFO_WIDTH, QString::asprintf("%d bits", a->busWidth));
  // The Advanced box only for the board vendor's own cards.
  const bool vendorCard = pci && pci->header && pci->header->GetSubsystemVendorId() == kBoardVendorPciSubsystemId;
  if (vendorCard) {
    float volts = -1;
    if (a->ReadVoltage(&volts) && volts > 0) {
      m_pVgpu->setEnabled(true);
      m_pVgpuLabel->setEnabled(true);
      m_pApply->setEnabled(true);
      m_pDefault->setEnabled(true);
      m_pVgpu->clear();
      for (float v : kVgpuValues) m_pVgpu->addItem(QString::asprintf("%.5f V", v));
      m_pVgpu->setCurrentIndex(NearestVgpuIndex(volts));
    }
    for (int rail = 0; rail < GPU_RAIL_COUNT; ++rail) {
      const double v = ReadGpuRail(a, rail);
      if (!(v > 0)) continue;
      RailControls& c = m_rails[rail];
      c.label->setEnabled(true);
      c.slider->setEnabled(true);
      c.set->setEnabled(true);
      c.slider->setRange(0, kGpuRails[rail].positions);
      c.slider->setValue(SliderPosition(rail, v));
      c.value->setText(QString::asprintf("%.5f", v));
    }
  }
  m_bFilling = false;
  update();
}

void CGraphicsDlg::RefreshClocks() {
  for (int i = 0; i < 3; ++i) {
    m_pClockValues[i]->clear();
    m_pClockLabels[i]->setEnabled(false);
  }
  CDisplayAdapter* a = Adapter();
  if (!a) return;
  int level = 0;
  if (a->perfLevelCount >= 2) {
    level = m_pLevels->currentIndex();
    if (level >= a->perfLevelCount || level < 0) level = a->currentPerfLevel;
  }
  for (int i = 0; i < 3; ++i) {
    CPLL* p = a->ClockOf(level, kClockKinds[i]);
    if (!p || !(p->frequency > 0)) continue;
    m_pClockValues[i]->setText(QString::asprintf("%d", static_cast<int>(p->frequency)));
    m_pClockLabels[i]->setEnabled(true);
  }
}

void CGraphicsDlg::SetRail(int rail) {
  if (rail < 0 || rail >= GPU_RAIL_COUNT) return;
  CWaitCursor wait;
  const double volts = PositionVolts(rail, m_rails[rail].slider->value());
  {
    PageHardwareLock lock;
    if (lock.Held()) WriteGpuRail(Adapter(), rail, volts);
  }
  plat::CurrentMachine().Sleep(100);
  Reload();
}

void CGraphicsDlg::ApplyGpuVoltage() {
  CWaitCursor wait;
  RefreshClocks();
  const int i = m_pVgpu->currentIndex();
  if (CDisplayAdapter* a = Adapter(); a && i >= 0 && i < kVgpuCount) {
    PageHardwareLock lock;
    if (lock.Held()) a->SetGpuVoltage(kVgpuValues[i]);
  }
  Reload();
}

void CGraphicsDlg::DefaultGpuVoltage() {
  CWaitCursor wait;
  if (CDisplayAdapter* a = Adapter()) {
    PageHardwareLock lock;
    float volts = -1;
    if (lock.Held() && a->ReadDefaultVoltage(&volts) && volts > 0) a->SetGpuVoltage(volts);
  }
  Reload();
}
