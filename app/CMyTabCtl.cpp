#include "app/CMyTabCtl.h"

#include <QCoreApplication>
#include <QTabBar>

#include "app/AppMessages.h"
#include "app/pages/CGraphicsDlg.h"
#include "app/pages/CMemoryDlg.h"
#include "app/pages/CMonitoringDlg.h"
#include "app/pages/COptionDlg.h"
#include "app/pages/CPLLDlg.h"
#include "app/pages/CProcessDlg.h"
#include "app/pages/CSysinfoDlg.h"
#include "app/pages/CTweakingDlg.h"

CMyTabCtl::CMyTabCtl(QWidget* parent) : QTabWidget(parent) {
  setObjectName("tabControl");
  m_pages[0] = new CSysinfoDlg(this);
  m_pages[1] = new CMemoryDlg(this);
  m_pages[2] = new CMonitoringDlg(this);
  m_pages[3] = new CPLLDlg(this);
  m_pages[4] = new CTweakingDlg(this);
  m_pages[5] = new CGraphicsDlg(this);
  m_pages[6] = new CProcessDlg(this);
  m_pages[7] = new COptionDlg(this);
  static const char* const kLabels[kPageCount] = {"CPU",     "Memory",    "Monitoring", "Overclocking",
                                                  "Voltages", "Graphics", "Processes",  "Options"};
  for (int i = 0; i < kPageCount; ++i) addTab(m_pages[i], QString::fromLatin1(kLabels[i]));
  setCurrentIndex(0);
  connect(this, &QTabWidget::currentChanged, this, &CMyTabCtl::OnSelChange);
}

// The pages are children of the tab control and go with it.
CMyTabCtl::~CMyTabCtl() = default;

CTunePage* CMyTabCtl::Page(int index) const {
  return index >= 0 && index < m_nPageCount ? m_pages[index] : nullptr;
}

void CMyTabCtl::SendToPages(uint32_t message) {
  for (int i = 0; i < m_nPageCount; ++i) {
    CAppMessageEvent event(message);
    QCoreApplication::sendEvent(m_pages[i], &event);
  }
}

void CMyTabCtl::OnSelChange(int index) {
  if (index < 0 || index >= m_nPageCount) return;
  m_nCurrent = index;
  m_pages[index]->setFocus();
  tabBar()->setFocus();
}
