// The "Processes" page: pins a running program to chosen logical
// processors and keeps that choice as a rule bound to one of the hot keys
// left Ctrl + 'a' .. 'h'.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "app/pages/CTunePage.h"
#include "rules/ProcessRules.h"

class QCheckBox;
class QComboBox;
class QPushButton;

class CProcessDlg : public CTunePage {
  Q_OBJECT

 public:
  static constexpr int kProcessorBoxes = 24;
  static constexpr int kFirstBoxId = 1052;  // "UC0" .. "UC23" = 1052 .. 1075
  static constexpr int kShortcutListId = 1106;
  static constexpr int kProcessListId = 1105;
  static constexpr int kRefreshId = 1013;
  static constexpr int kSetId = 1014;

  explicit CProcessDlg(QWidget* parent);
  ~CProcessDlg() override;

  // "Refresh Processes": the running programs, entry k + 1 = Pids()[k].
  void FillProcessList();
  // Entry `e` of the process list chosen: the boxes show its mask.
  void OnProcessSelChange(int e);
  // Entry `s` of the shortcut list chosen: the rule's process and mask.
  void OnShortcutSelChange(int s);
  // "Set": pins the selected process and, with a shortcut chosen, stores
  // the rule.
  void OnSet();

  const std::vector<int>& Pids() const { return m_pids; }
  // Logical processors whose boxes can be used (the system mask).
  uint64_t EnabledMask() const { return m_nEnabledMask; }
  // The rule list the page edits: the application's, or the page's own
  // when it runs without one.
  CProcessRules& Rules();
  // Where the rules are read from and saved to.
  const std::string& RulesPath() const { return m_rulesPath; }

 private:
  uint32_t CheckedMask() const;
  void ShowMask(uint64_t mask, bool clearFirst);
  void SaveRules();

  QComboBox* m_pShortcuts = nullptr;
  QComboBox* m_pProcesses = nullptr;
  QPushButton* m_pRefresh = nullptr;
  QPushButton* m_pSet = nullptr;
  QCheckBox* m_pBoxes[kProcessorBoxes] = {};
  std::vector<int> m_pids;
  uint64_t m_nEnabledMask = 0;
  CProcessRules m_ownRules;
  std::string m_rulesPath;
};
