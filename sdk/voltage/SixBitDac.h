// The register layout the uP6262 and F72262 share: outputs 0..2 at registers
// 0x01..0x03, a 6-bit code with the direction (bit 6) and the chip's second
// flag (bit 7) above it.
#pragma once

#include "sdk/voltage/MicroControllerDesc.h"

class CMicroController;

// An ordinary row writes its output's register. A combined row spreads the
// value over the registers of the outputs its id names, in register order,
// 63 codes each, the flags on every register that carries part of it;
// registers of outputs it does not name are left alone.
int WriteSixBitDacSetting(CMicroController& chip, int rowId, int value, int flags);
// 63 for an ordinary row on outputs 0..2, 63 per named output for a
// combined row, -1 otherwise.
int SixBitDacMaxValue(const _stMicroControllerOutputDesc& row);
