// Until the SMBIOS reader and the PCI bus are part of the build, the board
// has no identity and there is nothing to scan.
#include <cstdio>

#include "sdk/core/StartupBoardIdentity.h"

BoardIdentity IdentifyBoard(QUARNSDK&, bool) {
  BoardIdentity id{};
  std::snprintf(id.name, sizeof(id.name), "Mainboard");
  id.boardHash = -1;
  id.boardSum = -1;
  return id;
}

void ScanPciBus(QUARNSDK&) {}
