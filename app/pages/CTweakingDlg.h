// The "Voltages" page: the board's adjustable supply voltages.
#pragma once

#include "app/pages/CTunePage.h"

class CTweakingDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit CTweakingDlg(QWidget* parent);
};
