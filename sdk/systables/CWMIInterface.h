// The WMI class reader. Linux has no WMI service, so detection fails and the
// interface is absent; the type key stays reserved for it.
#pragma once

#include "sdk/core/CInterface.h"

class CWMIInterface : public CInterface {
 public:
  CWMIInterface() : CInterface(INTERFACE_WMI) {}
  int Init() override { return 1; }
  void Close() override {}
  // Connects to the management service; nonzero when it answers.
  int Detect();
};
