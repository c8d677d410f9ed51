// The main window's tab control: owns the eight pages, switches between
// them and hands the application messages to every page in index order.
#pragma once

#include <QTabWidget>
#include <cstdint>

class CTunePage;

class CMyTabCtl : public QTabWidget {
  Q_OBJECT

 public:
  static constexpr int kPageCount = 8;

  explicit CMyTabCtl(QWidget* parent);
  ~CMyTabCtl() override;

  // Sends `message` (WM_RELOAD_SETTINGS or WM_REFRESH_VIEW) to pages 0..7
  // in that order, each delivered before the next page gets it.
  void SendToPages(uint32_t message);

  CTunePage* Page(int index) const;
  int PageCount() const { return m_nPageCount; }
  int CurrentIndex() const { return m_nCurrent; }

 private:
  void OnSelChange(int index);

  CTunePage* m_pages[kPageCount] = {};
  int m_nPageCount = kPageCount;
  int m_nCurrent = 0;
};
