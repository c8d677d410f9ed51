// Decoding of SPD bytes into a CModuleInfo, by the memory type in byte 2
// (JEDEC SPD standards for SDRAM, DDR, DDR2, FB-DIMM and DDR3; Intel XMP
// 1.x; NVIDIA EPP 1.0). A value whose source bytes are invalid (a zero time
// base or cycle time among them) is left at its initial value.
#pragma once

#include <cstdint>

class CModuleInfo;

// Decodes `m.data` (CModuleInfo::kDataSize bytes; nothing when null): the
// type's own decoder, then EPP, the byte-150 block and XMP, whatever the
// type.
void DecodeModule(CModuleInfo& m);

// Whether byte 2 names a module that detection records: types 1 and 2;
// 4 to 8 with byte 8 at most 6; 9 and 10 with byte 1 at most 32; 11 with
// byte 3 at most 16.
bool AcceptSpdType(uint8_t type, uint8_t byte1, uint8_t byte3, uint8_t byte8);

// The speed-bin letter of a DDR3 clock (MHz) and tAA in medium time base
// units, or 0 when that pair is no JEDEC bin.
char Ddr3SpeedBin(int clockMHz, uint8_t tAA);
