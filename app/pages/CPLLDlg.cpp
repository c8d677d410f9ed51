#include "app/pages/CPLLDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/CTorvikTuneApp.h"
#include "app/ValidationSave.h"
#include "app/WaitCursor.h"
#include "app/pages/PageHardwareLock.h"
#include "platform/GlobalMutex.h"
#include "platform/Machine.h"
#include "sdk/clock/CPLL.h"
#include "sdk/clock/CPLLInterface.h"
#include "sdk/clock/CPLLOutput.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/cpu/CProcessor.h"

namespace {

constexpr uint32_t kMsrMiscEnable = 0x1A0;
constexpr uint32_t kMsrTurboRatioLimit = 0x1AD;
constexpr uint32_t kTurboDisableHigh = 0x40;  // bit 38
constexpr uint32_t kNehalemTypes = 0x1020000;
constexpr uint32_t kSandyBridgeTypes = 0x1020100;

struct RatioIds {
  int slider, left, right, label, text;
};
constexpr RatioIds kRatioIds[6] = {
    {1218, 1023, 1027, 1039, 1030}, {1219, 1028, 1032, 1041, 1031}, {1220, 1044, 1045, 1043, 1042},
    {1221, 1048, 1049, 1047, 1046}, {1222, 1053, 1054, 1052, 1058}, {1223, 1056, 1057, 1055, 1059},
};
// Current and selection texts: CPU, BCLK, RAM, PCIE, PCI.
constexpr int kCurrentIds[5] = {1013, 1002, 1005, 1007, 1011};
constexpr int kSelectionIds[5] = {1014, 1003, 1006, 1008, 1012};

QString Id(int id) { return QString::number(id); }

// The selected processor, or null.
CProcessor* SelectedProcessor() {
  CTorvikTuneApp* app = TheApp();
  if (!app || !app->m_pSDK) return nullptr;
  auto* cpu = static_cast<CCPUInterface*>(app->m_pSDK->FindInterface(INTERFACE_CPU));
  return cpu ? cpu->GetProcessor(app->m_nSelectedProcessor) : nullptr;
}

// The clock an output type contributes to, or -1.
int ClockOfOutput(int key) {
  switch (key) {
    case PLL_OUTPUT_CPU: return CPLLDlg::CLOCK_BCLK;
    case PLL_OUTPUT_RAM: return CPLLDlg::CLOCK_RAM;
    case PLL_OUTPUT_PCIE_OTHER:
    case PLL_OUTPUT_PCIE: return CPLLDlg::CLOCK_PCIE;
    case PLL_OUTPUT_PCI: return CPLLDlg::CLOCK_PCI;
    default: return -1;
  }
}

}  // namespace

CPLLDlg::CPLLDlg(QWidget* parent) : CTunePage(false, parent) {
  setObjectName("CPLLDlg");
  CTorvikTuneApp* app = TheApp();
  const QFont labelFont = app ? app->m_fontLabel : font();
  const QFont valueFont = app ? app->m_fontValue : font();
  const QColor valueColour = app ? app->m_crValueText : QColor(0, 0, 0x80);

  auto label = [&](const QString& text, int id, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setFont(labelFont);
    if (id) l->setObjectName(Id(id));
    return l;
  };
  auto value = [&](int id, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(Id(id));
    l->setFont(valueFont);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, valueColour);
    l->setPalette(p);
    l->setMinimumWidth(60);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
  };
  auto button = [&](const QString& text, int id, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setFont(labelFont);
    b->setObjectName(Id(id));
    if (text.size() == 1) b->setMaximumWidth(28);
    return b;
  };
  auto slider = [&](int id, QWidget* parent) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(Id(id));
    s->setTickPosition(QSlider::TicksBelow);
    return s;
  };

  auto* top = new QVBoxLayout(this);
  auto* clocks = new QGroupBox(QStringLiteral("Clock Generator"), this);
  clocks->setFont(labelFont);
  auto* grid = new QGridLayout(clocks);
  const char* heads[5] = {"CPU", "BCLK", "RAM", "PCIE", "PCI"};
  for (int i = 0; i < 5; ++i) {
    grid->addWidget(label(QString::fromLatin1(heads[i]), 0, clocks), 0, 1 + i, Qt::AlignRight);
    m_current[i] = value(kCurrentIds[i], clocks);
    m_selection[i] = value(kSelectionIds[i], clocks);
    grid->addWidget(m_current[i], 1, 1 + i);
    grid->addWidget(m_selection[i], 2, 1 + i);
  }
  grid->addWidget(label(QStringLiteral("Current"), 0, clocks), 1, 0);
  grid->addWidget(label(QStringLiteral("Selection"), 0, clocks), 2, 0);

  auto clockRow = [&](ClockSlider& c, int row, const char* text, int labelId, int leftId, int sliderId, int rightId,
                      int* generator) {
    c.label = label(QString::fromLatin1(text), labelId, clocks);
    c.left = button(QStringLiteral("<"), leftId, clocks);
    c.slider = slider(sliderId, clocks);
    c.right = button(QStringLiteral(">"), rightId, clocks);
    c.generator = generator;
    auto* h = new QHBoxLayout();
    h->addWidget(c.left);
    h->addWidget(c.slider, 1);
    h->addWidget(c.right);
    grid->addWidget(c.label, row, 0);
    grid->addLayout(h, row, 1, 1, 5);
  };
  clockRow(m_bclk, 3, "BCLK", 1092, 1034, 1001, 1020, &m_nBclkGenerator);
  clockRow(m_pcie, 4, "PCI-E", 1093, 1021, 1024, 1025, &m_nPcieGenerator);
  top->addWidget(clocks);

  m_turboFrame = new QGroupBox(QStringLiteral("Turbo Mode Control"), this);
  m_turboFrame->setObjectName(Id(1050));
  m_turboFrame->setFont(labelFont);
  auto* turbo = new QGridLayout(m_turboFrame);
  m_turboMode = new QCheckBox(QStringLiteral("Turbo Mode"), m_turboFrame);
  m_turboMode->setObjectName(Id(1051));
  m_turboMode->setFont(labelFont);
  turbo->addWidget(m_turboMode, 0, 0, 1, 5);
  for (int k = 0; k < 6; ++k) {
    const RatioIds& ids = kRatioIds[k];
    m_ratioLabel[k] = label(QStringLiteral("Core%1").arg(k + 1), ids.label, m_turboFrame);
    m_ratioLeft[k] = button(QStringLiteral("<"), ids.left, m_turboFrame);
    m_ratioSlider[k] = slider(ids.slider, m_turboFrame);
    m_ratioSlider[k]->setRange(kMinRatio, kMaxRatio);
    m_ratioSlider[k]->setValue(kMinRatio);
    m_ratioRight[k] = button(QStringLiteral(">"), ids.right, m_turboFrame);
    m_ratioText[k] = value(ids.text, m_turboFrame);
    turbo->addWidget(m_ratioLabel[k], 1 + k, 0);
    turbo->addWidget(m_ratioLeft[k], 1 + k, 1);
    turbo->addWidget(m_ratioSlider[k], 1 + k, 2);
    turbo->addWidget(m_ratioRight[k], 1 + k, 3);
    turbo->addWidget(m_ratioText[k], 1 + k, 4);
    connect(m_ratioSlider[k], &QSlider::valueChanged, this, [this, k](int v) {
      if (!m_bLoading) OnRatio(k, v);
    });
    connect(m_ratioLeft[k], &QPushButton::clicked, this, [this, k] {
      const int v = m_ratioSlider[k]->value() - 1;
      if (v >= kMinRatio) m_ratioSlider[k]->setValue(v);
    });
    connect(m_ratioRight[k], &QPushButton::clicked, this, [this, k] {
      const int v = m_ratioSlider[k]->value() + 1;
      if (v <= kMaxRatio) m_ratioSlider[k]->setValue(v);
    });
  }
  top->addWidget(m_turboFrame);

  auto* bottom = new QHBoxLayout();
  m_brinkOC = new QCheckBox(QStringLiteral("Enable \"Brink O/C\""), this);
  m_brinkOC->setObjectName(Id(1040));
  m_brinkOC->setFont(labelFont);
  m_restore = button(QStringLiteral("Restore"), 1035, this);
  m_apply = button(QStringLiteral("Apply Selection"), 1036, this);
  bottom->addWidget(m_brinkOC);
  bottom->addStretch(1);
  bottom->addWidget(m_restore);
  bottom->addWidget(m_apply);
  top->addLayout(bottom);
  top->addStretch(1);

  for (ClockSlider* c : {&m_bclk, &m_pcie}) {
    c->slider->setTickInterval(10);
    c->slider->setRange(100, 500);
    c->slider->setValue(100);
    EnableClockSlider(*c, false);
    connect(c->slider, &QSlider::valueChanged, this, [this, c](int v) {
      if (!m_bLoading) OnClockSlider(*c, v);
    });
    connect(c->left, &QPushButton::clicked, this, [this, c] { OnClockArrow(*c, -1); });
    connect(c->right, &QPushButton::clicked, this, [this, c] { OnClockArrow(*c, +1); });
  }
  connect(m_restore, &QPushButton::clicked, this, [this] { Reload(); });
  connect(m_apply, &QPushButton::clicked, this, [this] { Apply(); });

  Reload();
}

// The memory controller's ratio, offset or divisor applied to the clocks
// given (the chipset's registers were read by its last refresh).
float CPLLDlg::DramClockFor(float busClockMHz, float multiplier) {
  CTorvikTuneApp* app = TheApp();
  if (!app || !app->m_pSDK) return -1.0f;
  auto* chipset = static_cast<CChipsetInterface*>(app->m_pSDK->FindInterface(INTERFACE_CHIPSET));
  return chipset ? chipset->ComputeDramFrequency(busClockMHz, multiplier) : -1.0f;
}

void CPLLDlg::WriteValidationAfterApply() {
  CTorvikTuneApp* app = TheApp();
  if (!app) return;
  QString error;
  if (SaveValidationFileAuto(*app, &error).isEmpty())
    app->Warn(QStringLiteral("The validation file was not saved: %1").arg(error), QStringLiteral("Validation"));
}

void CPLLDlg::ShowValue(QLabel* l, float v) { l->setText(v > 0 ? QString::asprintf("%.1f", v) : QString()); }

void CPLLDlg::EnableClockSlider(ClockSlider& c, bool on) {
  c.slider->setEnabled(on);
  c.left->setEnabled(on);
  c.right->setEnabled(on);
  c.label->setEnabled(on);
}

void CPLLDlg::Reload() {
  m_bLoading = true;
  ReloadTurbo();
  ReloadClocks();
  ShowRatioTexts();
  m_bLoading = false;
}

bool CPLLDlg::SandyBridgeRatioAddress(uint32_t* base) {
  CTorvikTuneApp* app = TheApp();
  uint32_t mchbar = 0;
  if (!app->ReadPCIConfig(0, 0, 0, 0x48, &mchbar)) return false;
  *base = mchbar & ~0x3FFFu;
  return *base != 0;
}

void CPLLDlg::ReloadTurbo() {
  CTorvikTuneApp* app = TheApp();
  CProcessor* p = SelectedProcessor();
  uint32_t type = 0;
  int model = 0;
  {
    PageHardwareLock lock;
    m_nCores = p ? p->GetNumberOfCores() : 0;
    m_fMultiplier = p ? p->GetCoreMultiplier(0) : -1.0f;
    type = p ? p->GetTypeCode() : 0;
    model = p ? p->GetModel() : 0;
  }
  m_bRatiosChanged = false;
  m_turboFrame->setEnabled(false);
  for (int k = 0; k < 6; ++k)
    for (QWidget* w : {static_cast<QWidget*>(m_ratioSlider[k]), static_cast<QWidget*>(m_ratioLeft[k]),
                       static_cast<QWidget*>(m_ratioRight[k]), static_cast<QWidget*>(m_ratioLabel[k])})
      w->setEnabled(false);
  const uint32_t family = type & ~0xFFu;
  const int proc = app ? app->m_nSelectedProcessor : 0;
  if (!app || (family != kNehalemTypes && family != kSandyBridgeTypes)) {
    m_turboMode->setEnabled(false);
  } else {
    uint32_t high = 0, low = 0;
    if (app->ReadMSR(proc, 0, kMsrMiscEnable, &high, &low)) {
      m_nTurbo = (high & kTurboDisableHigh) ? 0 : 1;
      m_turboMode->setEnabled(true);
      m_turboMode->setChecked(m_nTurbo == 1);
    }
    if (family == kNehalemTypes) {
      if (app->ReadMSR(proc, 0, kMsrTurboRatioLimit, &high, &low)) {
        for (int k = 0; k < 4; ++k) m_nRatio[k] = (low >> (8 * k)) & 0xFF;
        for (int k = 0; k < 2; ++k) m_nRatio[4 + k] = (high >> (8 * k)) & 0xFF;
      }
      m_bLinked = false;
    } else {
      uint32_t v = 0, base = 0;
      bool ok = model == 45 ? app->ReadPCIConfig(255, 10, 0, 0xD8, &v) != 0
                            : SandyBridgeRatioAddress(&base) && app->ReadPhysDword(0, base, 0x5990, &v) &&
                                  !(v & 0x80000000u);
      if (ok)
        for (int& r : m_nRatio) r = static_cast<int>(v & 0xFF);
      m_bLinked = true;
    }
  }
  for (int k = 0; k < std::min(m_nCores, 6); ++k) {
    if (k == 0) m_turboFrame->setEnabled(true);
    m_ratioSlider[k]->setValue(m_nRatio[k]);
    for (QWidget* w : {static_cast<QWidget*>(m_ratioSlider[k]), static_cast<QWidget*>(m_ratioLeft[k]),
                       static_cast<QWidget*>(m_ratioRight[k]), static_cast<QWidget*>(m_ratioLabel[k])})
      w->setEnabled(true);
  }
}

void CPLLDlg::ReloadClocks() {
  for (float& c : m_fCurrent) c = -1;
  for (float& c : m_fSelection) c = -1;
  for (QLabel* l : m_current) l->clear();
  for (QLabel* l : m_selection) l->clear();
  for (ClockSlider* c : {&m_bclk, &m_pcie}) {
    EnableClockSlider(*c, false);
    *c->generator = -1;
    c->changed = false;
  }
  struct Limits {
    float f = -1, min = -1, max = -1;
  } limits[2];
  {
    PageHardwareLock lock;
    for (int i = 0; i < PLLCount(); ++i) {
      CPLL* pll = PLLAt(i);
      if (pll->GetKind() == PLL_KIND_CPU) m_nBclkGenerator = i;
      if (pll->GetKind() == PLL_KIND_PCIE) m_nPcieGenerator = i;
      const float f = pll->GetFrequency();
      if (!(f > 0)) continue;
      for (CPLLOutput* o : Items(pll->GetOutputs())) {
        const int clock = ClockOfOutput(o->key);
        if (clock < 0 || !(o->divider > 0) || !(o->multiplier > 0)) continue;
        m_fCurrent[clock] = m_fSelection[clock] = o->multiplier * f / o->divider;
      }
    }
    for (int s = 0; s < 2; ++s) {
      CPLL* pll = PLLAt(s == 0 ? m_nBclkGenerator : m_nPcieGenerator);
      if (pll) limits[s] = {pll->GetFrequency(), pll->GetMinimum(), pll->GetMaximum()};
    }
  }
  if (m_fCurrent[CLOCK_BCLK] > 0) {
    ShowValue(m_current[1], m_fCurrent[CLOCK_BCLK]);
    ShowValue(m_selection[1], m_fCurrent[CLOCK_BCLK]);
    if (m_fMultiplier > 0) {
      ShowValue(m_current[0], m_fMultiplier * m_fCurrent[CLOCK_BCLK]);
      ShowValue(m_selection[0], m_fMultiplier * m_fCurrent[CLOCK_BCLK]);
    }
  }
  if (!(m_fCurrent[CLOCK_RAM] > 0))
    m_fCurrent[CLOCK_RAM] = m_fSelection[CLOCK_RAM] = DramClockFor(m_fCurrent[CLOCK_BCLK], m_fMultiplier);
  for (Clock c : {CLOCK_RAM, CLOCK_PCIE, CLOCK_PCI})
    if (m_fCurrent[c] > 0) {
      ShowValue(m_current[1 + c], m_fCurrent[c]);
      ShowValue(m_selection[1 + c], m_fCurrent[c]);
    }
  ClockSlider* sliders[2] = {&m_bclk, &m_pcie};
  for (int s = 0; s < 2; ++s) {
    ClockSlider& c = *sliders[s];
    const Limits& l = limits[s];
    if (*c.generator < 0 || !(l.f > 0)) continue;
    if (l.min > 0 && l.max > 0) {
      c.slider->setRange(static_cast<int>(l.min), static_cast<int>(l.max));
      c.slider->setTickInterval(std::max(1, static_cast<int>((l.max - l.min) / 10)));
    } else {
      c.slider->setRange(static_cast<int>(l.f / 2), static_cast<int>(2 * l.f));
      c.slider->setTickInterval(std::max(1, static_cast<int>(l.f / 20)));
    }
    EnableClockSlider(c, true);
    c.slider->setValue(static_cast<int>(std::lround(l.f)));
  }
}

void CPLLDlg::ShowRatioTexts() {
  for (int k = 0; k < 6; ++k)
    m_ratioText[k]->setText(k < std::min(m_nCores, 6) ? QString::asprintf("x %d", m_ratioSlider[k]->value())
                                                       : QString());
}

bool CPLLDlg::UpdateSelection(int g, int mhz) {
  {
    PageHardwareLock lock;
    CPLL* pll = PLLAt(g);
    if (!pll) return false;
    for (CPLLOutput* o : Items(pll->GetOutputs())) {
      const int clock = ClockOfOutput(o->key);
      if (clock < 0 || !(o->divider > 0) || !(o->multiplier > 0)) continue;
      m_fSelection[clock] = o->multiplier * static_cast<float>(mhz) / o->divider;
    }
  }
  ShowValue(m_selection[1], m_fSelection[CLOCK_BCLK]);
  if (m_fMultiplier > 0) ShowValue(m_selection[0], m_fMultiplier * m_fSelection[CLOCK_BCLK]);
  for (Clock c : {CLOCK_RAM, CLOCK_PCIE, CLOCK_PCI})
    if (m_fSelection[c] > 0) ShowValue(m_selection[1 + c], m_fSelection[c]);
  m_fSelection[CLOCK_RAM] = DramClockFor(m_fSelection[CLOCK_BCLK], m_fMultiplier);
  if (m_fSelection[CLOCK_RAM] > 0) ShowValue(m_selection[2], m_fSelection[CLOCK_RAM]);
  return true;
}

void CPLLDlg::OnClockSlider(ClockSlider& c, int position) {
  if (UpdateSelection(*c.generator, position)) c.changed = true;
}

void CPLLDlg::OnClockArrow(ClockSlider& c, int delta) {
  const int position = c.slider->value() + delta;
  if (position < c.slider->minimum() || position > c.slider->maximum()) return;
  if (!UpdateSelection(*c.generator, position)) return;
  c.changed = true;
  m_bLoading = true;
  c.slider->setValue(position);
  m_bLoading = false;
}

void CPLLDlg::OnRatio(int k, int value) {
  m_nRatio[k] = value;
  m_bRatiosChanged = true;
  if (m_bLinked) {
    m_bLoading = true;
    for (int j = 0; j < 6; ++j) {
      m_nRatio[j] = value;
      if (j != k && m_ratioSlider[j]->isEnabled()) m_ratioSlider[j]->setValue(value);
    }
    m_bLoading = false;
  }
  ShowRatioTexts();
}

void CPLLDlg::Apply() {
  CTorvikTuneApp* app = TheApp();
  if (!app) return;
  CWaitCursor wait;
  const int proc = app->m_nSelectedProcessor;
  for (ClockSlider* c : {&m_bclk, &m_pcie}) {
    if (*c->generator < 0 || !c->changed) continue;
    const int target = c->slider->value();
    if (!app->SetGeneratorFrequency(*c->generator, static_cast<float>(target), kRampStepMHz))
      app->Warn(QStringLiteral("The clock generator could not be set to %1 MHz.").arg(target),
                QStringLiteral("Overclocking"));
  }
  if (m_nTurbo != -1) {
    m_nTurbo = m_turboMode->isChecked() ? 1 : 0;
    uint32_t high = 0, low = 0;
    if (app->ReadMSR(proc, 0, kMsrMiscEnable, &high, &low)) {
      uint32_t wanted = high & ~kTurboDisableHigh;
      if (m_nTurbo == 0) wanted |= kTurboDisableHigh;
      // Only a change of the switch is written.
      if (wanted != high) app->WriteMSR(proc, 0, kMsrMiscEnable, wanted, low);
    }
  }
  if (m_bRatiosChanged) {
    CProcessor* p = SelectedProcessor();
    uint32_t type = 0;
    int model = 0;
    {
      PageHardwareLock lock;
      type = p ? p->GetTypeCode() : 0;
      model = p ? p->GetModel() : 0;
    }
    const uint32_t family = type & ~0xFFu;
    auto valid = [](int r) { return r >= kMinRatio && r <= kMaxRatio; };
    if (family == kNehalemTypes) {
      // A ratio never read keeps the register's byte; without the register
      // nothing is written.
      uint32_t bytes[6] = {};
      bool complete = std::all_of(m_nRatio, m_nRatio + 6, valid);
      uint32_t high = 0, low = 0;
      if (!complete && app->ReadMSR(proc, 0, kMsrTurboRatioLimit, &high, &low)) {
        for (int k = 0; k < 4; ++k) bytes[k] = (low >> (8 * k)) & 0xFF;
        for (int k = 0; k < 2; ++k) bytes[4 + k] = (high >> (8 * k)) & 0xFF;
        complete = true;
      }
      if (complete) {
        for (int k = 0; k < 6; ++k)
          if (valid(m_nRatio[k])) bytes[k] = static_cast<uint32_t>(m_nRatio[k]);
        app->WriteMSR(proc, 0, kMsrTurboRatioLimit, bytes[4] | bytes[5] << 8,
                      bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24);
        plat::CurrentMachine().Sleep(50);
      }
    } else if (family == kSandyBridgeTypes && valid(m_nRatio[0])) {
      uint32_t v = 0, base = 0;
      if (model == 45) {
        if (app->ReadPCIConfig(255, 10, 0, 0xD8, &v)) {
          app->WritePCIConfig(255, 10, 0, 0xD8, (v & ~0xFFu) | static_cast<uint32_t>(m_nRatio[0]));
          plat::CurrentMachine().Sleep(50);
        }
      } else if (SandyBridgeRatioAddress(&base) && app->ReadPhysDword(0, base, 0x5990, &v) && !(v & 0x80000000u)) {
        app->WritePhysDword(0, base, 0x5990, (v & ~0xFFu) | static_cast<uint32_t>(m_nRatio[0]));
        plat::CurrentMachine().Sleep(50);
      }
    }
  }
  Reload();
  if (m_brinkOC->isChecked()) WriteValidationAfterApply();
}
