// The "Graphics" page: the graphics adapters, their clocks and voltages; refreshed every second.
#pragma once

#include "app/pages/CTunePage.h"

class CGraphicsDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit CGraphicsDlg(QWidget* parent);
};
