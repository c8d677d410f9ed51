#include "app/pages/CMemoryDlg.h"

CMemoryDlg::CMemoryDlg(QWidget* parent) : CTunePage(true, parent) {
  setObjectName("CMemoryDlg");
  StartPageTimer();
}
