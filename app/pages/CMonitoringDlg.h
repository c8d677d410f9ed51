// The "Monitoring" page: the board's voltages, temperatures and fans; refreshed every second.
#pragma once

#include "app/pages/CTunePage.h"

class CMonitoringDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit CMonitoringDlg(QWidget* parent);
};
