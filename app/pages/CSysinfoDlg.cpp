#include "app/pages/CSysinfoDlg.h"

#include <QBitmap>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "app/AppArt.h"
#include "app/CTorvikTuneApp.h"
#include "app/ValidationSave.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CProcessor.h"

namespace {

using F = CSysinfoView::FieldIndex;

// Rows of the three frames, in drawing order; two fields on one line where
// the second is not kFieldCount.
struct Line {
  F first;
  F second;
};
constexpr F kNone = CSysinfoView::kFieldCount;
constexpr Line kProcessorLines[] = {
    {CSysinfoView::kName, kNone},          {CSysinfoView::kCodeName, CSysinfoView::kBrandId},
    {CSysinfoView::kPackage, kNone},       {CSysinfoView::kTechnology, CSysinfoView::kCoreVoltage},
    {CSysinfoView::kSpecification, kNone}, {CSysinfoView::kFamily, CSysinfoView::kModel},
    {CSysinfoView::kStepping, kNone},      {CSysinfoView::kExtFamily, CSysinfoView::kExtModel},
    {CSysinfoView::kRevision, kNone},      {CSysinfoView::kInstructions, kNone},
};
constexpr F kClockLines[] = {CSysinfoView::kCoreSpeed, CSysinfoView::kMultiplier, CSysinfoView::kBusSpeed,
                             CSysinfoView::kRatedFsb};
constexpr F kCacheLines[] = {CSysinfoView::kL1Data, CSysinfoView::kL1Inst, CSysinfoView::kLevel2,
                             CSysinfoView::kLevel3};

}  // namespace

CSysinfoDlg::CSysinfoDlg(QWidget* parent) : CTunePage(true, parent) {
  setObjectName("CSysinfoDlg");
  BuildControls();
  CTorvikTuneApp* app = TheApp();
  CCPUInterface* cpu = app && app->m_pSDK ? app->m_pSDK->cpuInterface : nullptr;
  // Without a processor interface the page stays empty.
  if (!cpu) return;
  CProcessor* first = cpu->GetProcessor(0);
  LoadLogo(first ? first->GetTypeCode() : 0);
  Redraw();
  StartPageTimer();
}

void CSysinfoDlg::BuildControls() {
  auto* outer = new QGridLayout(this);
  outer->setContentsMargins(8, 8, 8, 8);
  outer->setHorizontalSpacing(10);
  outer->setVerticalSpacing(8);
  m_rows.resize(CSysinfoView::kFieldCount);
  const QFont frameFont = TheApp() ? TheApp()->m_fontLabel : font();

  auto addField = [&](QWidget* box, QGridLayout* grid, F f, int line, int column, int span) {
    const CSysinfoView::Field& d = m_view.At(f);
    RowWidgets& w = m_rows[f];
    w.label = MakeFieldLabel(box, QString::fromLatin1(d.label.c_str()), d.labelId);
    w.label->setEnabled(d.enabled);
    w.value = MakeFieldValue(box, d.valueId);
    grid->addWidget(w.label, line, column);
    grid->addWidget(w.value, line, column + 1, 1, span);
    if (d.waysId) {
      w.ways = MakeFieldValue(box, d.waysId);
      grid->addWidget(w.ways, line, column + 2);
    }
  };

  auto* processor = new QGroupBox(QStringLiteral("Processor"), this);
  processor->setFont(frameFont);
  auto* pg = new QGridLayout(processor);
  pg->setVerticalSpacing(3);
  pg->setColumnStretch(1, 1);
  pg->setColumnStretch(3, 1);
  int line = 0;
  for (const Line& l : kProcessorLines) {
    addField(processor, pg, l.first, line, 0, l.second == kNone ? 3 : 1);
    if (l.second != kNone) addField(processor, pg, l.second, line, 2, 1);
    ++line;
  }
  m_logoLabel = new QLabel(processor);
  m_logoLabel->setObjectName(QString::number(CSysinfoView::kLogoId));
  m_logoLabel->setAlignment(Qt::AlignCenter);
  m_logoLabel->setMinimumSize(93, 81);
  pg->addWidget(m_logoLabel, 0, 4, 5, 1);
  outer->addWidget(processor, 0, 0, 1, 2);

  m_clocks = new QGroupBox(QStringLiteral("Clocks"), this);
  m_clocks->setObjectName(QString::number(CSysinfoView::kClocksFrameId));
  m_clocks->setFont(frameFont);
  auto* cg = new QGridLayout(m_clocks);
  cg->setVerticalSpacing(3);
  cg->setColumnStretch(1, 1);
  line = 0;
  for (F f : kClockLines) addField(m_clocks, cg, f, line++, 0, 1);
  outer->addWidget(m_clocks, 1, 0, Qt::AlignTop);

  auto* cache = new QGroupBox(QStringLiteral("Cache"), this);
  cache->setFont(frameFont);
  auto* kg = new QGridLayout(cache);
  kg->setVerticalSpacing(3);
  kg->setColumnStretch(1, 1);
  line = 0;
  for (F f : kCacheLines) addField(cache, kg, f, line++, 0, 1);
  outer->addWidget(cache, 1, 1, Qt::AlignTop);

  auto* counts = new QWidget(this);
  auto* tg = new QGridLayout(counts);
  tg->setContentsMargins(0, 0, 0, 0);
  addField(counts, tg, CSysinfoView::kCores, 0, 0, 1);
  addField(counts, tg, CSysinfoView::kThreads, 0, 2, 1);
  outer->addWidget(counts, 2, 0, 1, 2);
  outer->setRowStretch(3, 1);
}

void CSysinfoDlg::LoadLogo(uint32_t typeCode) {
  QPixmap logo = ProcessorLogo(CSysinfoView::LogoBitmap(typeCode));
  // Every pixel of the top-left pixel's colour lets the page show through.
  const QImage image = logo.toImage();
  logo.setMask(QBitmap::fromImage(image.createMaskFromColor(image.pixel(0, 0), Qt::MaskInColor)));
  m_logo = logo;
  m_logoLabel->setPixmap(m_logo);
}

void CSysinfoDlg::RedrawValues() {
  Redraw();
  if (CTorvikTuneApp* app = TheApp()) RebuildValidationRecordSdkHeld(*app);
}

void CSysinfoDlg::Redraw() {
  CTorvikTuneApp* app = TheApp();
  m_view.Update(app ? app->m_pSDK : nullptr, app ? app->m_nSelectedProcessor : 0, app ? app->m_nSelectedCore : 0);
  for (int i = 0; i < CSysinfoView::kFieldCount; ++i) {
    const CSysinfoView::Field& f = m_view.Fields()[i];
    RowWidgets& w = m_rows[i];
    w.label->setText(QString::fromUtf8(f.label.c_str()));
    w.label->setEnabled(f.enabled);
    w.value->setText(QString::fromUtf8(f.value.c_str()));
    if (w.ways) w.ways->setText(QString::fromUtf8(f.ways.c_str()));
  }
  if (!m_view.ClocksCaption().empty()) m_clocks->setTitle(QString::fromUtf8(m_view.ClocksCaption().c_str()));
}
