// The "Memory" page: memory modules and the memory controller's timings; refreshed every second.
#pragma once

#include "app/pages/CTunePage.h"

class CMemoryDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit CMemoryDlg(QWidget* parent);
};
