// Turbo controls of Nehalem and Sandy Bridge processors: the turbo switch
// (IA32_MISC_ENABLE bit 38, turbo disengage) and the per-active-core turbo
// ratio limits. Every access runs on the first logical processor of core 0
// of the processor; the caller holds the SDK and driver locks.
#pragma once

class CProcessor;

// A ratio limit that was never read or set; never written into a register.
inline constexpr int kTurboUnset = -1;

struct TurboLimits {
  int ratio[6] = {kTurboUnset, kTurboUnset, kTurboUnset, kTurboUnset, kTurboUnset, kTurboUnset};
};

// True when the turbo switch could be read; `enabled` = bit 38 clear.
bool ReadTurboSwitch(CProcessor* p, bool* enabled);
// Clears the disengage bit, and sets it again only when `enabled` is false;
// every other bit is written back as read.
bool WriteTurboSwitch(CProcessor* p, bool enabled);

// Nehalem: six limits from MSR 0x1AD. Sandy Bridge: the one ratio byte on
// all six (false when the client register's lock bit is set).
bool ReadTurboLimits(CProcessor* p, TurboLimits* limits);
// Nehalem: bytes 0..5 of MSR 0x1AD (unset entries keep the register's byte;
// bits 63:48 are written as 0). Sandy Bridge: only ratio[0] replaces bits
// 7:0, nothing is written when it is unset or the register is locked.
bool WriteTurboLimits(CProcessor* p, const TurboLimits& limits);
