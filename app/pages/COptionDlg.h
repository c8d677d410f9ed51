// The "Options" page: program options and the validation record.
#pragma once

#include "app/pages/CTunePage.h"

class COptionDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit COptionDlg(QWidget* parent);
};
