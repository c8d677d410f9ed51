// The "Overclocking" page: base clock, PCI Express clock and turbo ratios.
#pragma once

#include "app/pages/CTunePage.h"

class CPLLDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit CPLLDlg(QWidget* parent);
};
