#include "sdk/systables/CDMIStructure.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "sdk/systables/DmiTable.h"

namespace {

// Names of coded bytes, as tables indexed by the code.
struct Name {
  int code;
  const char* text;
};

constexpr Name kChassis[] = {
    {1, "Other"}, {2, "Unknown"}, {3, "Desktop"}, {4, "Low Profile Desktop"}, {5, "Pizza Box"},
    {6, "Mini Tower"}, {7, "Tower"}, {8, "Portable"}, {9, "Laptop"}, {10, "Notebook"}, {11, "Hand Held"},
    {12, "Docking Station"}, {13, "All in One"}, {14, "Sub Notebook"}, {15, "Space-saving"},
    {16, "Lunch Box"}, {17, "Main Server Chassis"}, {18, "Expansion Chassis"}, {19, "SubChassis"},
    {20, "Bus Expansion Chassis"}, {21, "Peripheral Chassis"}, {22, "RAID Chassis"}, {23, "Rack Mount Chassis"},
    {24, "Sealed-case PC"}, {25, "Multi-system"}, {-1, nullptr},
};
constexpr Name kErrorDetection[] = {
    {3, "8-bit parity"}, {4, "32-bit ECC"}, {5, "64-bit ECC"}, {6, "128-bit ECC"}, {7, "CRC"}, {-1, nullptr},
};
constexpr Name kArrayLocation[] = {
    {1, "Other"}, {2, "Unknown"}, {3, "System board or motherboard"}, {4, "ISA add-on card"},
    {5, "EISA add-on card"}, {6, "PCI add-on card"}, {7, "MCA add-on card"}, {8, "PCMCIA add-on card"},
    {9, "Proprietary add-on card"}, {10, "NuBus"}, {-1, nullptr},
};
constexpr Name kArrayUse[] = {
    {1, "Other"}, {2, "Unknown"}, {3, "System memory"}, {4, "Video memory"}, {5, "Flash memory"},
    {6, "Non-volatile RAM"}, {7, "Cache memory"}, {-1, nullptr},
};
constexpr Name kErrorCorrection[] = {
    {1, "Other"}, {2, "Unknown"}, {3, "None"}, {4, "Parity"}, {5, "Single-bit ECC"}, {6, "Multi-bit ECC"},
    {7, "CRC"}, {-1, nullptr},
};
constexpr Name kFormFactor[] = {
    {1, "Other"}, {2, "Unknown"}, {3, "SIMM"}, {4, "SIP"}, {5, "Chip"}, {6, "DIP"}, {7, "ZIP"},
    {8, "Proprietary Card"}, {9, "DIMM"}, {10, "TSOP"}, {11, "Row of chips"}, {12, "RIMM"}, {13, "SODIMM"},
    {14, "SRIMM"}, {15, "FB-DIMM"}, {-1, nullptr},
};
constexpr Name kMemoryType[] = {
    {3, "DRAM"}, {4, "EDRAM"}, {5, "VRAM"}, {6, "SRAM"}, {7, "RAM"}, {8, "ROM"}, {9, "FLASH"},
    {10, "EEPROM"}, {11, "FEPROM"}, {12, "EPROM"}, {13, "CDRAM"}, {14, "3DRAM"}, {15, "SDRAM"},
    {16, "SGRAM"}, {17, "RDRAM"}, {18, "DDR"}, {19, "DDR2"}, {20, "DDR2 FB-DIMM"}, {24, "DDR3"}, {-1, nullptr},
};
constexpr Name kPortType[] = {
    {0, "None"}, {1, "Parallel Port XT/AT Compatible"}, {2, "Parallel Port PS/2"}, {3, "Parallel Port ECP"},
    {4, "Parallel Port EPP"}, {5, "Parallel Port ECP/EPP"}, {6, "Serial Port XT/AT Compatible"},
    {7, "Serial Port 16450 Compatible"}, {8, "Serial Port 16550 Compatible"},
    {9, "Serial Port 16550A Compatible"}, {10, "SCSI Port"}, {11, "MIDI Port"}, {12, "Joy Stick Port"},
    {13, "Keyboard Port"}, {14, "Mouse Port"}, {15, "SSA SCSI"}, {16, "USB"}, {17, "Firewire (IEEE P1394)"},
    {18, "PCMCIA Type I"}, {19, "PCMCIA Type II"}, {20, "PCMCIA Type III"}, {21, "Cardbus"},
    {22, "Access Bus Port"}, {23, "SCSI II"}, {24, "SCSI Wide"}, {28, "Video Port"}, {29, "Audio Port"},
    {30, "Modem Port"}, {31, "Network Port"}, {32, "SATA"}, {33, "SAS"}, {0xFF, "Other"}, {-1, nullptr},
};

void NameOf(const Name* table, int code, char* out, size_t size) {
  for (; table->code != -1; ++table)
    if (table->code == code) {
      std::snprintf(out, size, "%s", table->text);
      return;
    }
  std::snprintf(out, size, "0x%02X", code);
}

int32_t SizeFromCode(uint8_t b) { return b < 125 || b >= 128 ? 1 << (b & 0x1F) : -1; }

}  // namespace

float CDMI_Processor::Multiplier(float currentMHz, float externalMHz) {
  if (!(currentMHz > 0 && externalMHz > 0)) return -1.0f;
  double twenty = std::floor(currentMHz * 20.0 / externalMHz + 0.51);
  return static_cast<float>(std::floor((twenty + 5.0) / 10.0) * 0.5);
}

CDMIStructure* CDMIStructure::Decode(const dmi::StructureView& s) {
  switch (s.Type()) {
    case 0: {
      auto* r = new CDMI_Bios();
      s.String(4, r->vendor, sizeof(r->vendor));
      s.String(5, r->version, sizeof(r->version));
      s.String(8, r->releaseDate, sizeof(r->releaseDate));
      if (s.Has(9)) r->romSizeKB = (s.Byte(9) + 1) * 64;
      return r;
    }
    case 1: {
      auto* r = new CDMI_System();
      s.String(4, r->manufacturer, sizeof(r->manufacturer));
      s.String(5, r->productName, sizeof(r->productName));
      s.String(6, r->version, sizeof(r->version));
      s.String(7, r->serialNumber, sizeof(r->serialNumber));
      if (s.Has(8, 16)) std::memcpy(r->uuid, s.bytes + 8, 16);
      return r;
    }
    case 2: {
      auto* r = new CDMI_Baseboard();
      s.String(4, r->manufacturer, sizeof(r->manufacturer));
      s.String(5, r->product, sizeof(r->product));
      s.String(6, r->version, sizeof(r->version));
      s.String(7, r->serialNumber, sizeof(r->serialNumber));
      return r;
    }
    case 3: {
      auto* r = new CDMI_SystemEnclosure();
      s.String(4, r->manufacturer, sizeof(r->manufacturer));
      if (s.Has(5)) NameOf(kChassis, s.Byte(5) & 0x7F, r->chassisType, sizeof(r->chassisType));
      s.String(7, r->serialNumber, sizeof(r->serialNumber));
      return r;
    }
    case 4: {
      auto* r = new CDMI_Processor();
      r->family = s.Byte(6);
      s.String(7, r->manufacturer, sizeof(r->manufacturer));
      s.String(16, r->version, sizeof(r->version));
      r->externalClockMHz = s.Word(18);
      r->currentSpeedMHz = s.Word(22);
      r->multiplier = CDMI_Processor::Multiplier(r->currentSpeedMHz, r->externalClockMHz);
      return r;
    }
    case 5: {
      auto* r = new CDMI_MemoryController();
      if (s.Has(4)) NameOf(kErrorDetection, s.Byte(4), r->errorDetection, sizeof(r->errorDetection));
      if (s.Has(8)) r->maxModuleSizeMB = SizeFromCode(s.Byte(8));
      return r;
    }
    case 6: {
      auto* r = new CDMI_MemoryModule();
      s.String(4, r->socket, sizeof(r->socket));
      if (s.Has(9)) {
        r->installedSizeMB = SizeFromCode(s.Byte(9));
        r->banks = s.Byte(9) & 0x80 ? 2 : 1;
      }
      if (s.Byte(6)) r->speedNs = s.Byte(6);
      return r;
    }
    case 8: {
      auto* r = new CDMI_PortConnector();
      s.String(4, r->internalReference, sizeof(r->internalReference));
      r->internalConnector = s.Byte(5);
      s.String(6, r->externalReference, sizeof(r->externalReference));
      r->externalConnector = s.Byte(7);
      r->portType = s.Byte(8);
      NameOf(kPortType, r->portType, r->portTypeName, sizeof(r->portTypeName));
      return r;
    }
    case 9: {
      auto* r = new CDMI_ExtensionSlot();
      s.String(4, r->designation, sizeof(r->designation));
      r->slotType = s.Byte(5);
      static const int kWidths[] = {8, 16, 32, 64, 128};
      uint8_t w = s.Byte(6);
      if (w >= 3 && w <= 7) r->dataBusWidth = kWidths[w - 3];
      if (s.Byte(7) == 3) r->inUse = 0;
      if (s.Byte(7) == 4) r->inUse = 1;
      r->slotId = s.Word(9);
      return r;
    }
    case 11: {
      auto* r = new CDMI_OEM_Strings();
      r->count = s.Byte(4);
      for (int i = 0; i < r->count && i < 16; ++i) {
        size_t n = 0;
        const char* text = dmi::FindString(s.bytes + s.length, s.bytes + s.size, static_cast<unsigned>(i + 1), &n);
        if (!text) break;
        if (n > 255) n = 255;
        std::memcpy(r->strings[i], text, n);
        r->strings[i][n] = 0;
        dmi::CleanString(r->strings[i]);
      }
      return r;
    }
    case 16: {
      auto* r = new CDMI_PhysicalMemoryArray();
      if (s.Has(4)) NameOf(kArrayLocation, s.Byte(4), r->location, sizeof(r->location));
      if (s.Has(5)) NameOf(kArrayUse, s.Byte(5), r->use, sizeof(r->use));
      if (s.Has(6)) NameOf(kErrorCorrection, s.Byte(6), r->errorCorrection, sizeof(r->errorCorrection));
      if (s.Has(7, 4) && s.Dword(7) != 0x80000000u) r->maxCapacityMB = static_cast<int32_t>(s.Dword(7) / 1024);
      r->deviceCount = s.Word(13);
      return r;
    }
    case 17: {
      auto* r = new CDMI_MemoryDevice();
      auto valid = [](uint16_t w) { return w != 0 && w != 0xFFFF; };
      if (valid(s.Word(8))) r->totalWidth = s.Word(8);
      if (valid(s.Word(10))) r->dataWidth = s.Word(10);
      uint16_t size = s.Word(12);
      if (valid(size)) r->sizeMB = size & 0x8000 ? (size & 0x7FFF) >> 10 : size;
      if (s.Has(14)) NameOf(kFormFactor, s.Byte(14), r->formFactor, sizeof(r->formFactor));
      s.String(16, r->deviceLocator, sizeof(r->deviceLocator));
      if (s.Has(18)) NameOf(kMemoryType, s.Byte(18), r->memoryType, sizeof(r->memoryType));
      return r;
    }
    default:
      return nullptr;
  }
}
