// Builds the driver object for a vendor code and chip code and installs the
// board's label tables over the chip's defaults.
#pragma once

#include <cstdint>

class CHardwareMonitor;

// Board keys: board id and checksum for the mainboard (-1 when unknown);
// `address` the SMBus 7-bit address (-1 for LPC chips). Never null: an
// unknown chip becomes a plain monitor listed by its id.
CHardwareMonitor* BuildMonitor(uint32_t vendor, uint32_t chipCode, int32_t boardKey, int32_t boardChecksum,
                               int address);
