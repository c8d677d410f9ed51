// The "Processes" page: rules that pin processes to logical processors.
#pragma once

#include "app/pages/CTunePage.h"

class CProcessDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit CProcessDlg(QWidget* parent);
};
