#include "app/pages/CGraphicsDlg.h"

CGraphicsDlg::CGraphicsDlg(QWidget* parent) : CTunePage(true, parent) {
  setObjectName("CGraphicsDlg");
  StartPageTimer();
}
