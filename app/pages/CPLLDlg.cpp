#include "app/pages/CPLLDlg.h"

CPLLDlg::CPLLDlg(QWidget* parent) : CTunePage(false, parent) {
  setObjectName("CPLLDlg");
}
