#include "app/pages/CMemoryDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "app/CTorvikTuneApp.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"

namespace {

using F = CMemoryView::FieldIndex;

constexpr F kGeneralLines[] = {CMemoryView::kType, CMemoryView::kSize, CMemoryView::kChannels,
                               CMemoryView::kNbFrequency};
constexpr F kTimingLines[] = {CMemoryView::kDramFrequency, CMemoryView::kFsbDram, CMemoryView::kCasLatency,
                              CMemoryView::kRcd,           CMemoryView::kRp,      CMemoryView::kRas,
                              CMemoryView::kRfc,           CMemoryView::kCommandRate};

CChipsetInterface* Chipset(CTorvikTuneApp* app) { return app && app->m_pSDK ? app->m_pSDK->chipsetInterface : nullptr; }

}  // namespace

CMemoryDlg::CMemoryDlg(QWidget* parent) : CTunePage(true, parent) {
  setObjectName("CMemoryDlg");
  CTorvikTuneApp* app = TheApp();
  m_view.Init(Chipset(app), app ? app->m_nMemoryMB : -1, app ? app->MemoryModules() : nullptr);
  m_bModulesShown = app && app->MemoryModulesRead();
  BuildControls();
  Redraw();
  StartPageTimer();
}

void CMemoryDlg::OnReloadSettings() {
  // The modules are read after the window is up: their lines, and the
  // installed size they may correct, arrive with the first reload after.
  CTorvikTuneApp* app = TheApp();
  if (m_bModulesShown || !app || !app->MemoryModulesRead()) return;
  m_bModulesShown = true;
  m_view.Init(Chipset(app), app->m_nMemoryMB, app->MemoryModules());
  BuildModules();
  Redraw();
}

void CMemoryDlg::BuildControls() {
  auto* outer = new QGridLayout(this);
  outer->setContentsMargins(8, 8, 8, 8);
  outer->setHorizontalSpacing(10);
  outer->setVerticalSpacing(8);
  const QFont frameFont = TheApp() ? TheApp()->m_fontLabel : font();
  m_rows.resize(CMemoryView::kFieldCount);

  auto frame = [&](const char* title, const F* lines, int count, int row, int column) {
    auto* box = new QGroupBox(QString::fromLatin1(title), this);
    box->setFont(frameFont);
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);
    for (int i = 0; i < count; ++i) {
      const CMemoryView::Field& f = m_view.At(lines[i]);
      RowWidgets& w = m_rows[lines[i]];
      w.label = MakeFieldLabel(box, QString::fromLatin1(f.label), f.labelId);
      w.value = MakeFieldValue(box, f.valueId);
      w.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid->addWidget(w.label, i, 0);
      grid->addWidget(w.value, i, 1);
    }
    outer->addWidget(box, row, column, Qt::AlignTop);
  };
  frame("General", kGeneralLines, std::size(kGeneralLines), 0, 0);
  frame("Timings", kTimingLines, std::size(kTimingLines), 0, 1);
  m_pOuter = outer;
  BuildModules();
  outer->setRowStretch(2, 1);
}

void CMemoryDlg::BuildModules() {
  const QFont frameFont = TheApp() ? TheApp()->m_fontLabel : font();
  // The modules, one line each: slot, type, size, speed, maker, part number.
  auto* modules = new QGroupBox(QStringLiteral("Modules (SPD)"), this);
  modules->setObjectName(QStringLiteral("modules"));
  modules->setFont(frameFont);
  auto* mg = new QGridLayout(modules);
  mg->setVerticalSpacing(3);
  mg->setHorizontalSpacing(12);
  int line = 0;
  for (const CMemoryView::Module& m : m_view.Modules()) {
    int column = 0;
    for (const std::string* text : {&m.slot, &m.type, &m.size, &m.speed, &m.maker, &m.part}) {
      QLabel* l = column == 0 ? MakeFieldLabel(modules, QString::fromUtf8(m.slot.c_str()), 0)
                              : MakeFieldValue(modules, 0);
      l->setObjectName(QStringLiteral("module%1_%2").arg(line).arg(column));
      if (column == 0) l->setEnabled(true);
      else l->setText(QString::fromUtf8(text->c_str()));
      mg->addWidget(l, line, column++);
    }
    ++line;
  }
  if (line == 0) {
    const bool read = !TheApp() || TheApp()->MemoryModulesRead() || !TheApp()->m_pSDK;
    QLabel* none = MakeFieldLabel(modules, read ? QStringLiteral("No module found")
                                                : QStringLiteral("Reading the modules..."), 0);
    none->setObjectName(QStringLiteral("moduleNone"));
    mg->addWidget(none, 0, 0);
  }
  mg->setColumnStretch(5, 1);
  if (m_pModules) {
    delete m_pOuter->replaceWidget(m_pModules, modules);
    delete m_pModules;
  } else {
    m_pOuter->addWidget(modules, 1, 0, 1, 2);
  }
  m_pModules = modules;
}

void CMemoryDlg::Redraw() {
  CTorvikTuneApp* app = TheApp();
  QUARNSDK* sdk = app ? app->m_pSDK : nullptr;
  const float bus = sdk && sdk->cpuInterface ? sdk->cpuInterface->busClock : -1.0f;
  m_view.Update(Chipset(app), bus);
  for (int i = 0; i < CMemoryView::kFieldCount; ++i) {
    const CMemoryView::Field& f = m_view.Fields()[i];
    m_rows[i].label->setEnabled(f.enabled);
    m_rows[i].value->setText(QString::fromUtf8(f.value.c_str()));
  }
}
