// Finds the Super I/O chips on the configuration ports 0x2E and 0x4E: each
// maker's key in turn, the chip id and revision, the logical devices with
// their base addresses and the hardware-monitor block's register space.
// Silent: nothing is written but the keys, the exit sequences and the
// logical-device select (put back as it was found).
#pragma once

#include <cstdint>

#include "sdk/core/CTList.h"

class QUARNSDK;
class CLPCIO;

inline constexpr uint16_t kSuperIOPorts[] = {0x2E, 0x4E};

// Appends one CLPCIO per chip found to `out` (when given) and to the
// facade's device list; returns how many were found. A port that already
// has a CLPCIO in the facade is not probed again: its record is reported.
int DetectSuperIOChips(QUARNSDK& sdk, CTList<CLPCIO>* out);
// The same on one configuration port: first the steps that lock a chip left
// in configuration mode, then the makers' probes in the order National
// Semiconductor, SMSC, Fintek, Winbond, ITE (only Fintek's with
// `fintekOnly`). The chip's record, or null; a port space made for the probe
// is destroyed again when nothing answered.
CLPCIO* DetectSuperIOChip(QUARNSDK& sdk, uint16_t port, bool fintekOnly = false);
