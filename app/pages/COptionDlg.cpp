#include "app/pages/COptionDlg.h"

COptionDlg::COptionDlg(QWidget* parent) : CTunePage(false, parent) {
  setObjectName("COptionDlg");
}
