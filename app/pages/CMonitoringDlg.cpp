#include "app/pages/CMonitoringDlg.h"

CMonitoringDlg::CMonitoringDlg(QWidget* parent) : CTunePage(true, parent) {
  setObjectName("CMonitoringDlg");
  StartPageTimer();
}
