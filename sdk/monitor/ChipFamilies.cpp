#include "sdk/monitor/ChipFamilies.h"

#define ID(vendor, lo, hi, cls, name, bus, v, t, f, step, fan, drv) \
  {vendor, 0, lo, hi, cls, name, bus, v, t, f, step, fan, drv}
#define WB(lo, hi, cls, name, bus, v, t, f, step, drv) \
  {0x5CA3, 16, lo, hi, cls, name, bus, v, t, f, step, 0, drv}

const ChipFamily kChipFamilies[] = {
    // Winbond / Nuvoton, chip id from the monitor's register 0x58 (bits 16-23).
    WB(0x10, 0x11, "Winbond_W83781D_HardwareMonitor", "Winbond W83781D", "LPC/SMBus", 7, 3, 3, 0.016f, DRIVER_NONE),
    WB(0x30, 0x30, "Winbond_W83781D_HardwareMonitor", "Winbond W83781D", "LPC/SMBus", 7, 3, 3, 0.016f, DRIVER_NONE),
    WB(0x40, 0x40, "Winbond_W83783S_HardwareMonitor", "Winbond W83783S", "SMBus", 7, 1, 3, 0.016f, DRIVER_NONE),
    WB(0x21, 0x21, "Winbond_W83627HF_HardwareMonitor", "Winbond W83627HF", "LPC", 7, 3, 3, 0.016f,
       DRIVER_WINBOND_W83627HF),
    WB(0x60, 0x60, "Winbond_W83697HF_HardwareMonitor", "Winbond W83697HF", "LPC", 5, 2, 2, 0.016f,
       DRIVER_WINBOND_W83627HF),
    WB(0x71, 0x72, "Winbond_W83791D_HardwareMonitor", "Winbond W83791D", "SMBus", 8, 3, 3, 0.016f, DRIVER_NONE),
    WB(0x79, 0x79, "Nuvoton_W83795G_HardwareMonitor", "Nuvoton W83795G", "SMBus", 15, 5, 14, 0.008f, DRIVER_NONE),
    WB(0x7A, 0x7A, "Winbond_W83792D_HardwareMonitor", "Winbond W83792D", "SMBus", 7, 3, 7, 0.016f, DRIVER_NONE),
    WB(0x7B, 0x7B, "Winbond_W83793_HardwareMonitor", "Winbond W83793", "SMBus", 11, 5, 10, 0.016f, DRIVER_NONE),
    WB(0x80, 0x80, "Winbond_W83637HF_HardwareMonitor", "Winbond W83637HF", "LPC", 5, 3, 3, 0.016f,
       DRIVER_WINBOND_W83627HF),
    WB(0x88, 0x88, "Winbond_W83627EHF_HardwareMonitor", "Winbond W83627EHF", "LPC", 8, 3, 5, 0.008f,
       DRIVER_WINBOND_W83627EHF),
    WB(0xA1, 0xA1, "Winbond_W83627EHF_HardwareMonitor", "Winbond W83627EHF", "LPC", 8, 3, 5, 0.008f,
       DRIVER_WINBOND_W83627EHF),
    WB(0x90, 0x90, "Winbond_W83627THF_HardwareMonitor", "Winbond W83627THF", "LPC", 5, 3, 3, 0.016f,
       DRIVER_WINBOND_W83627HF),
    WB(0x31, 0x31, "Asus_AS99127F_HardwareMonitor", "Asus AS99127F", "SMBus", 7, 3, 3, 0.016f, DRIVER_NONE),
    // 0xC1: NCT6776 behind Super I/O 0xB4xx/0xC3xx, else W83627DHG (FindChipFamily picks).
    WB(0xC1, 0xC1, "Winbond_W83627DHG_HardwareMonitor", "Winbond W83627DHG", "LPC", 7, 3, 5, 0.008f,
       DRIVER_WINBOND_W83627DHG),
    WB(0xC1, 0xC1, "Nuvoton_NCT6776_HardwareMonitor", "Nuvoton NCT6776", "LPC", 7, 4, 5, 0.008f,
       DRIVER_NUVOTON_NCT6776),
    // Asus monitors that keep the Winbond layout (vendor words 0x0694, 0x12C3).
    {0x0694, 16, 0x31, 0x31, "Asus_AS99127F_HardwareMonitor", "Asus AS99127F", "SMBus", 7, 3, 3, 0.016f, 0, 0},
    {0x0694, 16, 0x38, 0x38, "Asus_ROG_38_HardwareMonitor", "Asus IROG 01", "SMBus", -1, -1, -1, 0, 0, 0},
    {0x0694, 16, 0x40, 0x40, "Asus_ROG_40_HardwareMonitor", "Asus IROG 02", "SMBus", 0, 0, 4, 0, 0, 0},
    {0x12C3, 16, 0x31, 0x31, "Asus_AS99127F_HardwareMonitor", "Asus AS99127F", "SMBus", 7, 3, 3, 0.016f, 0, 0},
    {0x12C3, 16, 0x38, 0x38, "Asus_ROG_38_HardwareMonitor", "Asus IROG 01", "SMBus", -1, -1, -1, 0, 0, 0},
    {0x12C3, 16, 0x40, 0x40, "Asus_ROG_40_HardwareMonitor", "Asus IROG 02", "SMBus", 0, 0, 4, 0, 0, 0},
    // Fintek, chip id = Super I/O registers 0x20:0x21.
    ID(0x1934, 0x0501, 0x0501, "Fintek_F71882F_HardwareMonitor", "Fintek F71862F", "LPC", 9, 3, 4, 0.008f, 1500000, DRIVER_FINTEK_F71882F),
    ID(0x1934, 0x0541, 0x0541, "Fintek_F71882F_HardwareMonitor", "Fintek F71882F", "LPC", 9, 3, 4, 0.008f, 1500000, DRIVER_FINTEK_F71882F),
    ID(0x1934, 0x0601, 0x0601, "Fintek_F71882F_HardwareMonitor", "Fintek F71882FG", "LPC", 9, 3, 4, 0.008f, 1500000, DRIVER_FINTEK_F71882F),
    ID(0x1934, 0x0723, 0x0723, "Fintek_F71882F_HardwareMonitor", "Fintek F71889F", "LPC", 9, 3, 4, 0.008f, 1500000, DRIVER_FINTEK_F71882F),
    ID(0x1934, 0x0814, 0x0814, "Fintek_F71882F_HardwareMonitor", "Fintek F71869", "LPC", 9, 3, 4, 0.008f, 1500000, DRIVER_FINTEK_F71882F),
    ID(0x1934, 0x0909, 0x0909, "Fintek_F71882F_HardwareMonitor", "Fintek F71889ED", "LPC", 9, 3, 4, 0.008f, 1500000, DRIVER_FINTEK_F71882F),
    ID(0x1934, 0x1005, 0x1005, "Fintek_F71882F_HardwareMonitor", "Fintek F71889A", "LPC", 9, 3, 4, 0.008f, 1500000, DRIVER_FINTEK_F71882F),
    ID(0x1934, 0x1007, 0x1007, "Fintek_F71882F_HardwareMonitor", "Fintek F718xx", "LPC", 9, 3, 4, 0.008f, 1500000, DRIVER_FINTEK_F71882F),
    ID(0x1934, 0x0901, 0x0901, "Fintek_F71808E_HardwareMonitor", "Fintek F71808", "LPC", 9, 3, 4, 0.008f, 1500000, DRIVER_FINTEK_F71808E),
    ID(0x1934, 0x1001, 0x1001, "Fintek_F71808E_HardwareMonitor", "Fintek F71808", "LPC", 9, 3, 4, 0.008f, 1500000, DRIVER_FINTEK_F71808E),
    ID(0x1934, 0x0406, 0x0406, "Fintek_F71805F_HardwareMonitor", "Fintek F71805F", "LPC", 8, 3, 4, 0.008f, 1500000, DRIVER_NONE),
    ID(0x1934, 0x0341, 0x0341, "Fintek_F71872F_HardwareMonitor", "Fintek F71872F", "LPC", 8, 3, 4, 0.008f, 1500000, DRIVER_NONE),
    ID(0x1934, 0x0507, 0x0507, "Fintek_F8000_HardwareMonitor", "Fintek F8000", "LPC", 3, 3, 3, 0.008f, 1500000, DRIVER_NONE),
    ID(0x1934, 0x0581, 0x0581, "Fintek_F8000_HardwareMonitor", "Fintek F8000", "LPC", 3, 3, 3, 0.008f, 1500000, DRIVER_NONE),
    ID(0x1934, 0x0903, 0x0903, "Fintek_F8000_HardwareMonitor", "Fintek F8000", "LPC", 3, 3, 3, 0.008f, 1500000, DRIVER_NONE),
    ID(0x1934, 0x0704, 0x0704, "Fintek_F81865F_HardwareMonitor", "Fintek F81865", "LPC", 6, 2, 2, 0.008f, 1500000, DRIVER_NONE),
    // Nuvoton NCT7802 on the SMBus.
    ID(0x50, 0xC3, 0xC3, "Nuvoton_NCT7802_HardwareMonitor", "Nuvoton NCT7802", "SMBus", 5, 0, 3, 0.002f, 1350000, DRIVER_NUVOTON_NCT7802),
    // ITE: any Super I/O chip id (bits 16-23 checked by FindChipFamily).
    ID(0x90, 0x0000, 0xFFFF, "ITE_IT87_HardwareMonitor", "ITE IT87", "LPC/SMBus", 9, 3, 5, 0.016f, 0, DRIVER_ITE_IT87),
    // SMSC.
    ID(0x55, 0x20, 0x2F, "SMSC_LPC47M192_HardwareMonitor", "SMSC LPC47M192", "LPC", 8, 3, 2, 0, 983010, DRIVER_NONE),
    ID(0x55, 0x60, 0x6F, "SMSC_EMC6D10X_HardwareMonitor", "SMSC EMC6D10X", "SMBus", 5, 3, 4, 0, 5400000, DRIVER_NONE),
    ID(0x55, 0xB0, 0xBF, "SMSC_EMC6W201_HardwareMonitor", "SMSC EMC6W201", "SMBus", 6, 6, 5, 0, 5400000, DRIVER_NONE),
    ID(0x55, 0x01, 0x01, "SMSC_EMCT03_HardwareMonitor", "SMSC EMCT03", "SMBus", 0, 5, 0, 0, 0, DRIVER_NONE),
    ID(0x55, 0x02, 0x02, "SMSC_LPC47B397_HardwareMonitor", "SMSC LPC47B397", "LPC", 0, 4, 4, 0, 5400000, DRIVER_NONE),
    ID(0x55, 0x03, 0x03, "SMSC_LPC47M10x_HardwareMonitor", "SMSC LPC47M10x", "LPC", 0, 0, 3, 0, 5400000, DRIVER_NONE),
    ID(0x55, 0x89, 0x8A, "SMSC_DME1737_HardwareMonitor", "SMSC DME1737", "LPC", 5, 3, 4, 0, 5400000, DRIVER_NONE),
    ID(0x55, 0x8C, 0x8C, "SMSC_DME1737_HardwareMonitor", "SMSC DME1737", "LPC", 5, 3, 4, 0, 5400000, DRIVER_NONE),
    // Andigilog, Analog Devices, Maxim, National Semiconductor, VIA.
    ID(0x61, 0x6C, 0x6D, "Andigilog_ASC7621_HardwareMonitor", "Andigilog aSC7621", "SMBus", 5, 4, 4, 0, 5400000, DRIVER_NONE),
    ID(0x41, 0x04, 0x05, "AnalogDevice_ADM1021_HardwareMonitor", "Analog Device ADM1021", "SMBus", 0, 2, 0, 0, 0, DRIVER_NONE),
    ID(0x41, 0x42, 0x42, "AnalogDevice_ADM1021_HardwareMonitor", "Analog Device ADM1021", "SMBus", 0, 2, 0, 0, 0, DRIVER_NONE),
    ID(0x41, 0x27, 0x27, "AnalogDevice_ADM1027_HardwareMonitor", "Analog Device ADM1027", "SMBus", 5, 3, 3, 0, 5400000, DRIVER_NONE),
    ID(0x41, 0x28, 0x28, "AnalogDevice_ADP3228_HardwareMonitor", "Analog Device ADP3228", "SMBus", -1, -1, -1, 0.0087890625f, 0, DRIVER_NONE),
    ID(0x41, 0x31, 0x31, "AnalogDevice_ADM1031_HardwareMonitor", "Analog Device ADM1031", "SMBus", 0, 3, 3, 0, 675000, DRIVER_NONE),
    ID(0x41, 0x33, 0x33, "AnalogDevice_ADM1033_HardwareMonitor", "Analog Device ADM1033", "SMBus", 0, 2, 0, 0, 0, DRIVER_NONE),
    ID(0x41, 0x45, 0x45, "AnalogDevice_ADM1026_HardwareMonitor", "Analog Device ADM1026", "SMBus", 6, 3, 2, 0, 1350000, DRIVER_NONE),
    ID(0x41, 0x51, 0x51, "AnalogDevice_ADT7461_HardwareMonitor", "Analog Device ADT7461", "SMBus", 0, 2, 0, 0, 0, DRIVER_NONE),
    ID(0x41, 0x68, 0x68, "AnalogDevice_ADT7467_HardwareMonitor", "Analog Device ADT7467", "SMBus", 2, 3, 4, 0, 5400000, DRIVER_NONE),
    ID(0x41, 0x6E, 0x6F, "AnalogDevice_ADT7490_HardwareMonitor", "Analog Device ADT7490", "SMBus", 5, 7, 4, 0, 10800000, DRIVER_NONE),
    ID(0x41, 0x73, 0x73, "AnalogDevice_ADT7475_HardwareMonitor", "Analog Device ADT7475", "SMBus", 2, 3, 4, 0, 5400000, DRIVER_NONE),
    ID(0x41, 0x75, 0x76, "AnalogDevice_ADT7475_HardwareMonitor", "Analog Device ADT7475", "SMBus", 2, 3, 4, 0, 5400000, DRIVER_NONE),
    ID(0x41, 0x3298, 0x3298, "AnalogDevice_ASP0800_HardwareMonitor", "Analog Device ASP0800", "SMBus", -1, -1, -1, 0, 0, DRIVER_NONE),
    ID(0x4D, 22, 22, "Maxim_MAX1617_HardwareMonitor", "Maxim MAX6648", "SMBus", 0, 2, 0, 0, 0, DRIVER_NONE),
    ID(0x4D, 0x59, 0x59, "Maxim_MAX6648_HardwareMonitor", "Maxim MAX6648", "SMBus", 0, 2, 0, 0, 0, DRIVER_NONE),
    ID(0xFF02, 0x41, 0x41, "NS_LM63_HardwareMonitor", "NS LM63", "SMBus", 0, 2, 1, 0, 5400000, DRIVER_NONE),
    ID(0xFF02, 0x87, 0x87, "NS_LM87_HardwareMonitor", "NS LM87", "SMBus", 6, 2, 2, 0, 1350000, DRIVER_NONE),
    ID(0xFF02, 0xE9, 0xE9, "NS_PC87366_HardwareMonitor", "NS PC87366", "LPC", 11, 3, 3, 0.00390625f * 3.0257502f, 480000, DRIVER_NONE),
    ID(0x1106, 0x1211, 0x1211, "VIA_VT1211_HardwareMonitor", "VIA VT1211", "LPC", -1, -1, -1, 0, 0, DRIVER_NONE),
    {kChipFamilyEnd, 0, 0, 0, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, 0},
};

const ChipFamily* FindChipFamily(uint32_t vendor, uint32_t chipCode) {
  if (vendor == 0x90) {
    uint32_t high = (chipCode >> 16) & 0xFF;
    if (high != 0 && high != 0x12) return nullptr;
  }
  for (const ChipFamily* f = kChipFamilies; f->vendor != kChipFamilyEnd; ++f) {
    if (f->vendor != vendor) continue;
    uint32_t id = f->shift ? (chipCode >> f->shift) & 0xFF : chipCode & 0xFFFF;
    if (id < f->lowId || id > f->highId) continue;
    if (f->driver == DRIVER_WINBOND_W83627DHG || f->driver == DRIVER_NUVOTON_NCT6776) {
      // The Super I/O's chip id (its register 0x20) sits in the low byte.
      uint32_t superIo = chipCode & 0xFF;
      bool nct6776 = superIo == 0xB4 || superIo == 0xC3;
      if (nct6776 != (f->driver == DRIVER_NUVOTON_NCT6776)) continue;
    }
    return f;
  }
  return nullptr;
}
