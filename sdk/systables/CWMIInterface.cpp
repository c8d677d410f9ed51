#include "sdk/systables/CWMIInterface.h"

#include "sdk/core/QUARNSDK.h"

int CWMIInterface::Detect() {
  // There is no management-instrumentation service on this platform.
  return 0;
}

int QUARNSDK::CreateWMIInterface() {
  auto* wmi = new CWMIInterface();
  int detected = wmi->Detect();
  if (!AdoptInterface(wmi, detected)) return 0;
  wmiInterface = wmi;
  return detected;
}
