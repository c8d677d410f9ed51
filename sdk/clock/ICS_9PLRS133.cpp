#include "sdk/clock/ICS_9PLRS133.h"

// M in byte 11, N in byte 12 (copies 23-25), enable byte 4 bit 3; the chip
// needs 31 bytes; the divider search prefers the divider last read.
const ICS_PLRS_PLL::Layout ICS_9PLRS133_CPU_PLL::kLayout = {11, 12, {23, 24, 25}, 4, 0x08, 31, 11, 18, 0};

ICS_9PLRS133_CPU_PLL::ICS_9PLRS133_CPU_PLL()
    : ICS_PLRS_PLL(kPLLId_ICS_9PLRS133, PLL_KIND_CPU, "ICS 9PLRS133 CPU PLL", 24.0f, kLayout) {}
