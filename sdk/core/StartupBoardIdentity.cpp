// The board's identity from the SMBIOS baseboard structure, and the PCI scan.
#include "sdk/core/StartupBoardIdentity.h"

#include "sdk/access/CPCIInterface.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/systables/CDMIInterface.h"

BoardIdentity IdentifyBoard(QUARNSDK& sdk, bool haveDmi) {
  return BoardIdentityFromDmi(haveDmi ? static_cast<CDMIInterface*>(sdk.FindInterface(INTERFACE_DMI)) : nullptr);
}

void ScanPciBus(QUARNSDK& sdk) {
  auto* pci = static_cast<CPCIInterface*>(sdk.FindInterface(INTERFACE_PCI));
  if (!pci) return;
  pci->busCount = 256;
  pci->ScanBus();
}
