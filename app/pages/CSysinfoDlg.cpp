#include "app/pages/CSysinfoDlg.h"

CSysinfoDlg::CSysinfoDlg(QWidget* parent) : CTunePage(true, parent) {
  setObjectName("CSysinfoDlg");
  StartPageTimer();
}
