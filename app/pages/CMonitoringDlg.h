// The "Monitoring" page: the board's voltages, temperatures and fans, the
// selected processor's core temperatures and the power readings, each with
// the smallest and largest value seen; redrawn every second from the values
// the polling thread left (the page never measures), and a four-line
// summary on the keyboard LCD.
#pragma once

#include <vector>

#include "app/pages/CTunePage.h"
#include "poll/MonitorView.h"

class QLabel;
class QGroupBox;

class CMonitoringDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit CMonitoringDlg(QWidget* parent);

  // One redraw from the cached values (rows and LCD).
  void Redraw();

  const CMonitorView& View() const { return m_view; }
  QLabel* RowLabel(int row) const { return m_rows[row].label; }
  QLabel* RowValue(int row) const { return m_rows[row].value; }
  QLabel* RowMin(int row) const { return m_rows[row].min; }
  QLabel* RowMax(int row) const { return m_rows[row].max; }
  QGroupBox* Box(CMonitorView::Box box) const { return m_boxes[box]; }

 protected:
  void OnRefreshView() override { Redraw(); }
  void RedrawValues() override { Redraw(); }

 private:
  struct RowWidgets {
    QLabel* label = nullptr;
    QLabel* value = nullptr;
    QLabel* min = nullptr;
    QLabel* max = nullptr;
  };

  void BuildRows();

  CMonitorView m_view;
  std::vector<RowWidgets> m_rows;
  QGroupBox* m_boxes[CMonitorView::kBoxCount] = {};
};
