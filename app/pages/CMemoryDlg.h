// The "Memory" page: the installed memory, the modules found through their
// SPD EEPROMs, and the memory controller's current timings; the timings are
// redrawn every second.
#pragma once

#include <vector>

#include "app/pages/CTunePage.h"
#include "poll/MemoryView.h"

class QGridLayout;
class QGroupBox;
class QLabel;

class CMemoryDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit CMemoryDlg(QWidget* parent);

  // One redraw of the frequency and timing rows.
  void Redraw();

  const CMemoryView& View() const { return m_view; }

 protected:
  void RedrawValues() override { Redraw(); }
  void OnReloadSettings() override;

 private:
  struct RowWidgets {
    QLabel* label = nullptr;
    QLabel* value = nullptr;
  };

  void BuildControls();
  // The modules' box, built anew when the modules have been read.
  void BuildModules();

  CMemoryView m_view;
  std::vector<RowWidgets> m_rows;
  QGridLayout* m_pOuter = nullptr;
  QGroupBox* m_pModules = nullptr;
  bool m_bModulesShown = false;  // the box shows the modules as read
};
