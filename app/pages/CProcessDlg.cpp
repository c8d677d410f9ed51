#include "app/pages/CProcessDlg.h"

CProcessDlg::CProcessDlg(QWidget* parent) : CTunePage(false, parent) {
  setObjectName("CProcessDlg");
}
