// The "CPU" page: identification, instruction set extensions, clocks of one
// core, caches and core voltage of the processor selected in the main
// window, with its family logo; redrawn every second and on a processor
// selection change.
#pragma once

#include <QPixmap>
#include <vector>

#include "app/pages/CTunePage.h"
#include "poll/SysinfoView.h"

class QGroupBox;
class QLabel;

class CSysinfoDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit CSysinfoDlg(QWidget* parent);

  // One redraw of the selected processor.
  void Redraw();

  const CSysinfoView& View() const { return m_view; }
  // The logo as drawn (transparent where the bitmap has its top-left colour).
  const QPixmap& Logo() const { return m_logo; }

 protected:
  // A processor selection change: redrawn under the SDK lock like a tick
  // (when the lock is busy, the next tick shows the new processor).
  void OnRefreshView() override { RedrawUnderLock(); }
  // Each tick also rebuilds the validation record from the same values.
  void RedrawValues() override;

 private:
  struct RowWidgets {
    QLabel* label = nullptr;
    QLabel* value = nullptr;
    QLabel* ways = nullptr;
  };

  void BuildControls();
  void LoadLogo(uint32_t typeCode);

  CSysinfoView m_view;
  std::vector<RowWidgets> m_rows;
  QGroupBox* m_clocks = nullptr;
  QLabel* m_logoLabel = nullptr;
  QPixmap m_logo;
};
