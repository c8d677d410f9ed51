#include "app/pages/CProcessDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cerrno>

#include "app/CTorvikTuneApp.h"
#include "platform/Machine.h"
#include "platform/ProcessList.h"

namespace {

constexpr const char* kCaption = "Processes";

QString Id(int id) { return QString::number(id); }

}  // namespace

CProcessDlg::CProcessDlg(QWidget* parent) : CTunePage(false, parent) {
  setObjectName("CProcessDlg");
  CTorvikTuneApp* app = TheApp();
  const QFont labelFont = app ? app->m_fontLabel : font();

  auto* column = new QVBoxLayout(this);
  auto* rule = new QGroupBox(QStringLiteral("Affinity rule"), this);
  rule->setFont(labelFont);
  auto* grid = new QGridLayout(rule);
  auto* hotkeyLabel = new QLabel(QStringLiteral("Hotkey"), rule);
  auto* processLabel = new QLabel(QStringLiteral("Process"), rule);
  m_pShortcuts = new QComboBox(rule);
  m_pShortcuts->setObjectName(Id(kShortcutListId));
  m_pShortcuts->addItem(QStringLiteral("<Select Hotkey>"));
  for (int k = 0; k < CProcessAction::kShortcutCount; ++k)
    m_pShortcuts->addItem(QStringLiteral("CTRL + %1").arg(QChar('a' + k)));
  m_pShortcuts->setCurrentIndex(0);
  m_pProcesses = new QComboBox(rule);
  m_pProcesses->setObjectName(Id(kProcessListId));
  m_pProcesses->setMinimumWidth(220);
  m_pRefresh = new QPushButton(QStringLiteral("Refresh Processes"), rule);
  m_pRefresh->setObjectName(Id(kRefreshId));
  m_pSet = new QPushButton(QStringLiteral("Set"), rule);
  m_pSet->setObjectName(Id(kSetId));
  grid->addWidget(hotkeyLabel, 0, 0);
  grid->addWidget(m_pShortcuts, 0, 1);
  grid->addWidget(processLabel, 1, 0);
  grid->addWidget(m_pProcesses, 1, 1);
  grid->addWidget(m_pRefresh, 1, 2);
  grid->setColumnStretch(1, 1);
  column->addWidget(rule);

  auto* cpus = new QGroupBox(QStringLiteral("Logical processors"), this);
  cpus->setFont(labelFont);
  auto* boxes = new QGridLayout(cpus);
  for (int i = 0; i < kProcessorBoxes; ++i) {
    m_pBoxes[i] = new QCheckBox(QStringLiteral("UC%1").arg(i), cpus);
    m_pBoxes[i]->setObjectName(Id(kFirstBoxId + i));
    m_pBoxes[i]->setFont(labelFont);
    m_pBoxes[i]->setEnabled(false);
    boxes->addWidget(m_pBoxes[i], i / 8, i % 8);
  }
  column->addWidget(cpus);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_pSet);
  column->addLayout(buttons);
  column->addStretch(1);
  for (QWidget* w : std::initializer_list<QWidget*>{hotkeyLabel, processLabel, m_pRefresh, m_pSet})
    w->setFont(labelFont);

  // The boxes of the machine's logical processors: the system mask that
  // comes with the own process's mask. The process's own mask is no guide,
  // since the SDK pins the program to one processor at a time while it
  // measures.
  uint64_t own = 0, system = 0;
  if (plat::CurrentMachine().GetProcessAffinity(0, &own, &system)) m_nEnabledMask = system;
  for (int i = 0; i < kProcessorBoxes; ++i) m_pBoxes[i]->setEnabled(m_nEnabledMask >> i & 1);

  m_rulesPath = CProcessRules::DefaultPath();
  Rules().LoadRules(m_rulesPath);
  FillProcessList();

  // `activated` comes from the user only: selecting a process for a rule
  // does not show that process's own mask.
  connect(m_pProcesses, &QComboBox::activated, this, &CProcessDlg::OnProcessSelChange);
  connect(m_pShortcuts, &QComboBox::activated, this, &CProcessDlg::OnShortcutSelChange);
  connect(m_pRefresh, &QPushButton::clicked, this, &CProcessDlg::FillProcessList);
  connect(m_pSet, &QPushButton::clicked, this, &CProcessDlg::OnSet);
}

CProcessDlg::~CProcessDlg() {
  // "Set" saves at once; this catches a save that failed then.
  if (Rules().Dirty()) SaveRules();
}

CProcessRules& CProcessDlg::Rules() {
  CTorvikTuneApp* app = TheApp();
  return app ? app->m_processActions : m_ownRules;
}

void CProcessDlg::FillProcessList() {
  m_pProcesses->clear();
  m_pProcesses->addItem(QStringLiteral("<Select process>"));
  m_pids.clear();
  for (const plat::ProcessEntry& p : plat::ListProcesses()) {
    m_pProcesses->addItem(QString::fromStdString(p.name));
    m_pids.push_back(p.pid);
  }
  m_pProcesses->setCurrentIndex(0);
  ShowMask(0, true);
}

void CProcessDlg::ShowMask(uint64_t mask, bool clearFirst) {
  for (int i = 0; i < kProcessorBoxes; ++i) {
    if (mask >> i & 1)
      m_pBoxes[i]->setChecked(true);
    else if (clearFirst)
      m_pBoxes[i]->setChecked(false);
  }
}

uint32_t CProcessDlg::CheckedMask() const {
  uint32_t mask = 0;
  for (int i = 0; i < kProcessorBoxes; ++i)
    if (m_pBoxes[i]->isChecked()) mask |= uint32_t{1} << i;
  return mask;
}

void CProcessDlg::OnProcessSelChange(int e) {
  ShowMask(0, true);
  if (e <= 0 || e > static_cast<int>(m_pids.size())) return;
  uint64_t mask = 0, system = 0;
  if (plat::CurrentMachine().GetProcessAffinity(m_pids[e - 1], &mask, &system)) ShowMask(mask, true);
}

void CProcessDlg::OnShortcutSelChange(int s) {
  if (s <= 0) return;
  const CProcessAction* rule = Rules().FindByShortcut(s - 1);
  if (!rule) {
    m_pProcesses->setCurrentIndex(0);
    ShowMask(0, true);
    return;
  }
  // The first entry that begins with the rule's name, in any case.
  const int e = m_pProcesses->findText(QString::fromStdString(rule->m_name), Qt::MatchStartsWith);
  if (e > 0) m_pProcesses->setCurrentIndex(e);
  ShowMask(rule->m_nMask, false);
}

void CProcessDlg::OnSet() {
  const int e = m_pProcesses->currentIndex();
  if (e <= 0 || e > static_cast<int>(m_pids.size()) || m_pids[e - 1] == 0) return;
  const int pid = m_pids[e - 1];
  uint32_t mask = CheckedMask();
  if (mask == 0) mask = 1;

  CTorvikTuneApp* app = TheApp();
  plat::Machine& machine = plat::CurrentMachine();
  const std::string name = plat::ProcessName(pid);
  errno = 0;
  if (!machine.SetProcessAffinity(pid, mask)) {
    const int error = errno ? errno : EINVAL;
    if (app)
      app->Warn(QString::fromStdString(plat::PinErrorText(pid, name.empty() ? m_pProcesses->currentText().toStdString()
                                                                           : name,
                                                          error)),
                QString::fromLatin1(kCaption));
  }
  // What the process runs on now, whether or not the change was taken.
  OnProcessSelChange(e);
  if (name.empty()) return;  // gone meanwhile: no rule for it

  const int s = m_pShortcuts->currentIndex();
  if (s <= 0) return;
  Rules().Assign(s - 1, mask, name);
  SaveRules();
}

void CProcessDlg::SaveRules() {
  std::string error;
  if (!Rules().SaveRules(m_rulesPath, &error)) {
    if (CTorvikTuneApp* app = TheApp())
      app->Warn(QStringLiteral("The process rules could not be saved: %1").arg(QString::fromStdString(error)),
                QString::fromLatin1(kCaption));
  }
}
