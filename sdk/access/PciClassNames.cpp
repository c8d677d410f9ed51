// Class descriptions of PCI functions, as tables: class names, subclass
// names, and programming-interface variants of a subclass.
#include <cstdio>

#include "sdk/access/CPCIDevice.h"

namespace {

struct ClassRow {
  int classCode;
  const char* name;
};
struct SubclassRow {
  int classCode, subclass;
  const char* name;
};
struct ProgIfRow {
  int classCode, subclass, progIf;
  const char* name;
};

constexpr ClassRow kClasses[] = {
    {0x01, "Mass storage Controller"}, {0x02, "Network Controller"}, {0x03, "Display Controller"},
    {0x04, "Multimedia device"}, {0x05, "Memory Controller"}, {0x06, "Bridge device"},
    {0x07, "Communication Device"}, {0x08, "System Device"}, {0x09, "Input Device"},
    {0x0A, "Docking Station"}, {0x0B, "Processor Device"}, {0x0C, "Serial Bus Controller"},
    {0x0D, "Wireless Device"}, {0x0E, "Intelligent Controller"}, {0x0F, "Satellite Communication Device"},
    {0x10, "Encryption Device"}, {0x11, "Data Aquisition and Signal Processing Device"}, {-1, nullptr},
};

constexpr SubclassRow kSubclasses[] = {
    {0x01, 0, "SCSI Controller"}, {0x01, 1, "IDE Controller"}, {0x01, 2, "Floppy Controller"},
    {0x01, 3, "IPI Controller"}, {0x01, 4, "RAID Controller"}, {0x01, 5, "ATA Controller"},
    {0x01, 6, "Serial ATA Controller"},
    {0x02, 0, "Ethernet Controller"}, {0x02, 1, "Token Ring Controller"}, {0x02, 2, "FDDI Controller"},
    {0x02, 3, "ATM Controller"}, {0x02, 5, "WorldFip Controller"}, {0x02, 6, "PICMG 2.14 multi-computing"},
    {0x03, 0, "VGA Controller"}, {0x03, 1, "XGA Controller"}, {0x03, 2, "3D Controller"},
    {0x04, 0, "Video device"}, {0x04, 1, "Audio device"}, {0x04, 2, "Telephony device"},
    {0x05, 0, "RAM Memory Controller"}, {0x05, 1, "Flash Memory Controller"},
    {0x06, 0, "Host Bridge"}, {0x06, 1, "PCI to ISA Bridge"}, {0x06, 2, "PCI to EISA Bridge"},
    {0x06, 3, "PCI to MCA Bridge"}, {0x06, 4, "PCI to PCI Bridge"}, {0x06, 5, "PCI to PCMCIA Bridge"},
    {0x06, 6, "PCI to NuBUS Bridge"}, {0x06, 7, "PCI to CardBus Bridge"}, {0x06, 8, "PCI to RACEway Bridge"},
    {0x06, 9, "Semi-Transparent PCI to PCI Bridge"}, {0x06, 10, "InfiniBand to PCI Host Bridge"},
    {0x07, 0, "Serial Controller"}, {0x07, 1, "Parallel Controller"}, {0x07, 2, "Multiport Serial Controller"},
    {0x07, 3, "Modem"}, {0x07, 4, "GPIB Controller (IEEE 488.1/2)"}, {0x07, 5, "Smart Card Controller"},
    {0x0C, 0, "FireWire Controller"}, {0x0C, 1, "ACCESS Bus Controller"}, {0x0C, 2, "Serial Storage Controller"},
    {0x0C, 3, "USB Controller"}, {0x0C, 5, "SMBus Controller"},
    {0x0D, 0, "iRDA Controller"}, {0x0D, 1, "Consumer IR"}, {0x0D, 0x10, "RF Controller"},
    {0x0D, 0x11, "BlueTooth"}, {0x0D, 0x12, "Broadband"}, {0x0D, 0x20, "Wireless Ethernet 802.11a"},
    {0x0D, 0x21, "Wireless Ethernet 802.11b"},
    {0x0E, 0, "I2O Intelligent Controller"},
    {0x11, 1, "Performance Counters"}, {0x11, 0x10, "Communication Synchr., Time and Frequency measurement"},
    {0x11, 0x20, "Management Card"}, {-1, -1, nullptr},
};

constexpr ProgIfRow kProgIfs[] = {
    {0x01, 5, 0x20, "ATA Controller (single DMA)"}, {0x01, 5, 0x30, "ATA Controller (chained DMA)"},
    {0x03, 0, 1, "VGA+8514 Controller"},
    {0x06, 8, 0, "PCI to RACEway Bridge (Transparent)"}, {0x06, 8, 1, "PCI to RACEway Bridge (End-Point)"},
    {0x06, 9, 0x40, "Semi-Transparent PCI to PCI Bridge (Primary Bus to Host)"},
    {0x06, 9, 0x80, "Semi-Transparent PCI to PCI Bridge (Secondaty Bus to Host)"},
    {0x07, 0, 1, "Serial 16450 Controller"}, {0x07, 0, 2, "Serial 16550 Controller"},
    {0x07, 0, 3, "Serial 16650 Controller"}, {0x07, 0, 4, "Serial 16750 Controller"},
    {0x07, 0, 5, "Serial 16850 Controller"}, {0x07, 0, 6, "Serial 16950 Controller"},
    {0x07, 1, 1, "Parallel BiDir Controller"}, {0x07, 1, 2, "Parallel ECP Controller"},
    {0x07, 1, 3, "Parallel IEEE1284 Controller"}, {0x07, 1, 0xFE, "Parallel IEEE1284 Target"},
    {0x07, 3, 1, "Modem 16450"}, {0x07, 3, 2, "Modem 16550"}, {0x07, 3, 3, "Modem 16650"},
    {0x07, 3, 4, "Modem 16750"},
    {0x0C, 0, 0x10, "OHCI FireWire Controller"},
    {0x0C, 3, 0, "USB Controller (UHCI)"}, {0x0C, 3, 0x10, "USB Controller (OHCI)"},
    {0x0C, 3, 0x20, "USB 2.0 Controller (EHCI)"}, {0x0C, 3, 0xFE, "USB Device"},
    {-1, -1, -1, nullptr},
};

}  // namespace

void PciClassText(uint8_t classCode, uint8_t subclass, uint8_t progIf, char* out, unsigned size) {
  std::snprintf(out, size, "BaseClass 0x%02X, SubClass 0x%02X, PI 0x%02X", classCode, subclass, progIf);
  for (const ClassRow* c = kClasses; c->classCode != -1; ++c)
    if (c->classCode == classCode) std::snprintf(out, size, "%s", c->name);
  for (const SubclassRow* s = kSubclasses; s->classCode != -1; ++s)
    if (s->classCode == classCode && s->subclass == subclass) std::snprintf(out, size, "%s", s->name);
  for (const ProgIfRow* p = kProgIfs; p->classCode != -1; ++p)
    if (p->classCode == classCode && p->subclass == subclass && p->progIf == progIf)
      std::snprintf(out, size, "%s", p->name);
}
