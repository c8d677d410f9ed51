// The "CPU" page: processor identification, clocks and cache; refreshed every second.
#pragma once

#include "app/pages/CTunePage.h"

class CSysinfoDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit CSysinfoDlg(QWidget* parent);
};
