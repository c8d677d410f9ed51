// The two start-up steps that belong to other domains' interfaces: reading
// the board identity from the SMBIOS baseboard structure, and the PCI scan.
#pragma once

#include "sdk/systables/DmiBoardIdentity.h"

class QUARNSDK;

// Board name, id and checksum from the DMI interface when `haveDmi`;
// "Mainboard" and -1 otherwise.
BoardIdentity IdentifyBoard(QUARNSDK& sdk, bool haveDmi);

// Sets the PCI interface's bus count to 256 and enumerates the bus.
void ScanPciBus(QUARNSDK& sdk);
