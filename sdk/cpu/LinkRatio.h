// The processor's system link as a multiple of the bus clock: the QPI link
// of Nehalem-generation parts behind an X58 / 5520 I/O hub, the
// HyperTransport link of AMD K8 and later to the chipset.
#pragma once

#include <cstdint>

// Reads a 32-bit PCI configuration register; false when it cannot be read.
using PciConfigReader = bool (*)(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, uint32_t* value);

// QPI link clock / bus clock from the I/O hub's QPIFREQSEL (device 20,
// function 2, register 0xD0 bits 1:0; X58 and 5520 datasheets): 4.8 GT/s is
// 18 x 133 MHz, 6.4 GT/s 24 x 133 MHz. -1 without that hub or for a code the
// datasheets reserve.
int QpiLinkRatio(PciConfigReader read);

// HyperTransport link clock / 200 MHz reference of node 0's first connected
// non-coherent link (function 0 of device 0x18: link type at 0x98 + 0x20 n,
// frequency code at 0x88 + 0x20 n bits 11:8; from family 10h on, its fifth
// bit in bit 0 of the frequency extension at 0x9C + 0x20 n; family 0Fh and
// 10h BKDGs). -1 without one or for a reserved code.
int HyperTransportLinkRatio(PciConfigReader read, bool frequencyExtension);

// The readers above through the facade's driver channel.
int QpiLinkRatio();
int HyperTransportLinkRatio(bool frequencyExtension);
