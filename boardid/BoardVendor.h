// The board vendor's identity as the hardware carries it.
#pragma once

#include <cstdint>

// PCI subsystem vendor id that the vendor's boards put in their chipset
// functions' subsystem registers. The SMBus multiplexer of the vendor's
// ICH10R board is recognised by it (subsystem id 0x101A).
inline constexpr uint16_t kBoardVendorPciSubsystemId = 0x1B4F;
inline constexpr uint16_t kBoardVendorIch10rMuxSubsystemDevice = 0x101A;
