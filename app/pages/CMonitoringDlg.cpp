#include "app/pages/CMonitoringDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "app/CTorvikTuneApp.h"

namespace {

QLabel* ValueLabel(QWidget* parent, const QFont& font, const QColor& colour, const QString& name) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setFont(font);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  l->setMinimumWidth(72);
  QPalette pal = l->palette();
  pal.setColor(QPalette::WindowText, colour);
  l->setPalette(pal);
  return l;
}

}  // namespace

CMonitoringDlg::CMonitoringDlg(QWidget* parent) : CTunePage(true, parent) {
  setObjectName("CMonitoringDlg");
  BuildRows();
  Redraw();
  StartPageTimer();
}

void CMonitoringDlg::BuildRows() {
  CTorvikTuneApp* app = TheApp();
  const QFont labelFont = app ? app->m_fontLabel : font();
  const QFont valueFont = app ? app->m_fontValue : font();
  const QColor valueColour = app ? app->m_crValueText : QColor(0x00, 0x00, 0x80);

  auto* outer = new QGridLayout(this);
  outer->setContentsMargins(8, 8, 8, 8);
  outer->setHorizontalSpacing(10);
  outer->setVerticalSpacing(8);
  QGridLayout* grids[CMonitorView::kBoxCount] = {};
  int nextLine[CMonitorView::kBoxCount] = {};
  // Voltages and fans on the left, temperatures and power on the right.
  const int place[CMonitorView::kBoxCount][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
  for (int b = 0; b < CMonitorView::kBoxCount; ++b) {
    auto* box = new QGroupBox(QString::fromLatin1(CMonitorView::BoxTitle(static_cast<CMonitorView::Box>(b))), this);
    box->setFont(labelFont);
    m_boxes[b] = box;
    grids[b] = new QGridLayout(box);
    grids[b]->setHorizontalSpacing(12);
    grids[b]->setVerticalSpacing(2);
    grids[b]->setColumnStretch(0, 1);
    int col = 1;
    for (const char* head : {"Current", "Min", "Max"}) {
      auto* h = new QLabel(QString::fromLatin1(head), box);
      h->setFont(labelFont);
      h->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      h->setEnabled(false);
      grids[b]->addWidget(h, 0, col++);
    }
    nextLine[b] = 1;
    outer->addWidget(box, place[b][0], place[b][1], Qt::AlignTop);
  }
  outer->setRowStretch(2, 1);

  m_rows.resize(CMonitorView::kRowCount);
  for (int i = 0; i < CMonitorView::kRowCount; ++i) {
    const CMonitorView::Row& r = m_view.RowAt(i);
    QGroupBox* box = m_boxes[r.box];
    RowWidgets& w = m_rows[i];
    w.label = new QLabel(QString::fromUtf8(r.label.c_str()), box);
    w.label->setObjectName(QString::number(r.labelId));
    w.label->setFont(labelFont);
    w.label->setEnabled(false);
    w.value = ValueLabel(box, valueFont, valueColour, QString::number(r.valueId));
    w.min = ValueLabel(box, valueFont, valueColour, QStringLiteral("min%1").arg(r.valueId));
    w.max = ValueLabel(box, valueFont, valueColour, QStringLiteral("max%1").arg(r.valueId));
    const int line = nextLine[r.box]++;
    grids[r.box]->addWidget(w.label, line, 0);
    grids[r.box]->addWidget(w.value, line, 1);
    grids[r.box]->addWidget(w.min, line, 2);
    grids[r.box]->addWidget(w.max, line, 3);
    // The power box has rows only for the readings the machine has: its
    // rows appear as they are first filled.
    if (r.box == CMonitorView::kOther)
      for (QLabel* l : {w.label, w.value, w.min, w.max}) l->setVisible(false);
  }
  m_boxes[CMonitorView::kOther]->setVisible(false);
}

void CMonitoringDlg::Redraw() {
  CTorvikTuneApp* app = TheApp();
  if (app) app->LcdClear();
  m_view.Update(app ? app->m_pSDK : nullptr, app ? app->m_nBoardId : -1, app ? app->m_nSelectedProcessor : 0);
  for (int i = 0; i < CMonitorView::kRowCount; ++i) {
    const CMonitorView::Row& r = m_view.RowAt(i);
    RowWidgets& w = m_rows[i];
    if (!r.enabled) continue;
    if (r.box == CMonitorView::kOther && w.label->isHidden()) {
      for (QLabel* l : {w.label, w.value, w.min, w.max}) l->setVisible(true);
      m_boxes[CMonitorView::kOther]->setVisible(true);
    }
    w.label->setEnabled(true);
    w.label->setText(QString::fromLocal8Bit(r.label.c_str()));
    w.value->setText(QString::fromUtf8(r.value.c_str()));
    w.min->setText(QString::fromUtf8(r.min.c_str()));
    w.max->setText(QString::fromUtf8(r.max.c_str()));
  }
  if (!app) return;
  for (const CMonitorView::LcdLine& line : m_view.Lcd()) app->LcdText(line.x, line.y, QString::fromUtf8(line.text.c_str()));
  app->LcdFlush();
}
