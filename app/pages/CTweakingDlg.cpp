#include "app/pages/CTweakingDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CTorvikTuneApp.h"
#include "app/WaitCursor.h"
#include "app/pages/PageHardwareLock.h"
#include "platform/Machine.h"
#include "platform/NamedMutex.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/voltage/CBoardControl.h"
#include "sdk/voltage/RailSettings.h"

CTweakingDlg::CTweakingDlg(QWidget* parent) : CTunePage(false, parent) {
  setObjectName("CTweakingDlg");
  CTorvikTuneApp* app = TheApp();
  const QFont labelFont = app ? app->m_fontLabel : font();
  const QFont valueFont = app ? app->m_fontValue : font();
  const QColor valueColour = app ? app->m_crValueText : QColor(0x00, 0x00, 0x80);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(8, 8, 8, 8);
  m_frame = new QGroupBox(QStringLiteral("Voltages"), this);
  m_frame->setObjectName(QString::number(kFrameId));
  m_frame->setFont(labelFont);
  auto* grid = new QGridLayout(m_frame);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(4);
  grid->setColumnStretch(0, 1);
  for (int i = 0; i < kSlots; ++i) {
    COutputControlItem& s = m_slots[i];
    s.label = new QLabel(m_frame);
    s.label->setObjectName(QString::number(kLabelIds[i]));
    s.label->setFont(labelFont);
    s.list = new QComboBox(m_frame);
    s.list->setObjectName(QString::number(kListIds[i]));
    s.list->setFont(valueFont);
    s.list->setMinimumWidth(150);
    QPalette pal = s.list->palette();
    pal.setColor(QPalette::Text, valueColour);
    pal.setColor(QPalette::ButtonText, valueColour);
    s.list->setPalette(pal);
    grid->addWidget(s.label, i, 0);
    grid->addWidget(s.list, i, 1);
  }
  outer->addWidget(m_frame);
  auto* bottom = new QHBoxLayout();
  m_status = new QLabel(this);
  m_status->setFont(labelFont);
  m_status->setWordWrap(true);
  m_apply = new QPushButton(QStringLiteral("Apply Selection"), this);
  m_apply->setObjectName(QString::number(kApplyId));
  m_apply->setFont(labelFont);
  bottom->addWidget(m_status, 1);
  bottom->addWidget(m_apply);
  outer->addLayout(bottom);
  outer->addStretch(1);
  connect(m_apply, &QPushButton::clicked, this, &CTweakingDlg::Apply);
  Reload();
}

CBoardControl* CTweakingDlg::Control() const {
  CTorvikTuneApp* app = TheApp();
  return app && app->m_pSDK ? CBoardControl::Of(*app->m_pSDK) : nullptr;
}

void CTweakingDlg::Reload() {
  CTorvikTuneApp* app = TheApp();
  const int processor = app ? app->m_nSelectedProcessor : 0;
  for (COutputControlItem& s : m_slots) {
    s.label->clear();
    s.list->clear();
    s.list->setEnabled(false);
    s.controller = s.row = -1;
    s.p = s.m = 0;
    s.name.clear();
    s.loaded = -1;
  }
  m_apply->setEnabled(false);

  CBoardControl* control = Control();
  if (!control) return;
  PageHardwareLock lock;
  if (!lock.Held()) return;
  // The dual-processor boards reach a processor's regulators only through
  // its branch of the board's switch.
  control->SelectProcessorRails(processor);
  control->Refresh();
  int k = 0;
  for (const rails::VisibleRail& r : rails::VisibleRails(*control, processor)) {
    RailReading reading;
    if (!control->ReadRow(r.controller, r.row, &reading)) continue;
    if (k >= kSlots) break;  // the thirteenth and later rails are not shown
    COutputControlItem& s = m_slots[k++];
    const _stMicroControllerOutputDesc& row = reading.row;
    s.label->setText(QString::fromLocal8Bit(r.label.c_str()));
    s.controller = r.controller;
    s.row = r.row;
    s.p = row.stepsAbove;
    s.m = (row.type & 0xFFFF) == ROW_CODE ? row.stepsBelow : 0;
    s.name = QString::fromLocal8Bit(r.name.c_str());
    const int entries = static_cast<int>(rails::Entries(row).size());
    for (int i = 0; i < entries; ++i) s.list->addItem(QString::fromLatin1(rails::EntryText(row, i).c_str()));
    s.loaded = rails::EntryOf(row, reading.code, reading.direction);
    s.list->setCurrentIndex(s.loaded);
    s.list->setEnabled(true);
    m_apply->setEnabled(true);
  }
}

void CTweakingDlg::Apply() {
  CBoardControl* control = Control();
  if (!control) return;
  QStringList refused;
  {
    CWaitCursor wait;
    PageHardwareLock lock;
    if (lock.Held()) {
      CTorvikTuneApp* app = TheApp();
      control->SelectProcessorRails(app ? app->m_nSelectedProcessor : 0);
      for (const COutputControlItem& s : m_slots) {
        // Only rails the last reload filled and whose choice was changed.
        const int chosen = s.list->currentIndex();
        if (s.controller < 0 || s.row < 0 || chosen < 0 || chosen == s.loaded) continue;
        const int a = chosen - s.m;
        int flags = a < 0 ? kSettingBelowBase : 0;
        if (s.name == QLatin1String("VCORE BOOST #1") || s.name == QLatin1String("VCORE BOOST #2"))
          flags |= kSettingBoost;
        std::string why;
        control->WriteRow(s.controller, s.row, a < 0 ? -a : a, flags, &why);
        if (!why.empty()) refused << s.label->text() + ": " + QString::fromStdString(why);
        plat::CurrentMachine().Sleep(kApplyPauseMs);
      }
    }
  }
  m_refusals = refused.join(QStringLiteral("; "));
  m_status->setText(m_refusals.isEmpty() ? QString() : QStringLiteral("Not written: ") + m_refusals);
  Reload();
}
