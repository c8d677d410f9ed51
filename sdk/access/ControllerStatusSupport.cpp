#include "sdk/access/ControllerStatusSupport.h"

#include "platform/Machine.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/core/QUARNSDK.h"

void SettleAndRescan() {
  plat::CurrentMachine().Sleep(10);
  if (QUARNSDK::HasInstance() && QUARNSDK::GetInstance()->pciInterface)
    QUARNSDK::GetInstance()->pciInterface->ScanBus();
}
