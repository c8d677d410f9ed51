// The two start-up steps that belong to other domains' interfaces: reading
// the board identity from the SMBIOS baseboard structure, and the PCI scan.
#pragma once

#include <cstdint>

class QUARNSDK;

struct BoardIdentity {
  char name[256];
  int32_t boardHash;  // -1 without a baseboard product string
  int32_t boardSum;
};

// Board name, id and checksum from the DMI interface when `haveDmi`;
// "Mainboard" and -1 otherwise.
BoardIdentity IdentifyBoard(QUARNSDK& sdk, bool haveDmi);

// Sets the PCI interface's bus count to 256 and enumerates the bus.
void ScanPciBus(QUARNSDK& sdk);

class CDMIInterface;
// The same identity from a DMI interface that is not the facade's (a
// decoded dump); "Mainboard" and -1 without a baseboard product.
BoardIdentity BoardIdentityFromDmi(const CDMIInterface* dmi);
