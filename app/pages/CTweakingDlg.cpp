#include "app/pages/CTweakingDlg.h"

CTweakingDlg::CTweakingDlg(QWidget* parent) : CTunePage(false, parent) {
  setObjectName("CTweakingDlg");
}
