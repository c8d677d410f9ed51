#include "sdk/monitor/ChipFamilies.h"

#include "sdk/monitor/AnalogDevice_ADT7475_HardwareMonitor.h"
#include "sdk/monitor/BoardTables.h"
#include "sdk/monitor/CHIL_CHL8266_HardwareMonitor.h"
#include "sdk/monitor/DefaultLabelTables.h"
#include "sdk/monitor/Fintek_F71808E_HardwareMonitor.h"
#include "sdk/monitor/Fintek_F71882F_HardwareMonitor.h"
#include "sdk/monitor/ITE_IT87_HardwareMonitor.h"
#include "sdk/monitor/Nuvoton_NCT6776_HardwareMonitor.h"
#include "sdk/monitor/Nuvoton_NCT7802_HardwareMonitor.h"
#include "sdk/monitor/Volterra_VT1165_HardwareMonitor.h"
#include "sdk/monitor/Winbond_W83627DHG_HardwareMonitor.h"
#include "sdk/monitor/Winbond_W83627EHF_HardwareMonitor.h"
#include "sdk/monitor/Winbond_W83627HF_HardwareMonitor.h"

namespace {

using namespace monitor_tables;

template <typename Driver>
CHardwareMonitor* Make(uint32_t chipCode) {
  return new Driver(static_cast<int>(chipCode));
}
CHardwareMonitor* MakeNct7802(uint32_t) { return new Nuvoton_NCT7802_HardwareMonitor(); }
CHardwareMonitor* MakeVt1165(uint32_t) { return new Volterra_VT1165_HardwareMonitor(); }
CHardwareMonitor* MakeChl8266(uint32_t) { return new CHIL_CHL8266_HardwareMonitor(); }
CHardwareMonitor* MakeAdt7475(uint32_t chipCode) { return new AnalogDevice_ADT7475_HardwareMonitor(chipCode); }

// Super I/O chip ids behind the Winbond 0xC1 monitor.
constexpr uint8_t kNct6776SuperIo[] = {0xB4, 0xC3, 0};
constexpr uint8_t kW83667HgSuperIo[] = {0xA5, 0xB3, 0};

}  // namespace

// A row without a driver here.
#define ID(vendor, maker, lo, hi, cls, name, bus, v, t, f, step, fan) \
  {vendor, 0, lo, hi, nullptr, cls, name, maker, bus, v, t, f, step, fan, nullptr, nullptr, nullptr, nullptr, TABLES_NONE}
#define WB(lo, hi, cls, name, bus, v, t, f, step) \
  {0x5CA3, 16, lo, hi, nullptr, cls, name, "Winbond", bus, v, t, f, step, 0, nullptr, nullptr, nullptr, nullptr, TABLES_NONE}
#define ASUS(vendor, id, cls, name, v, t, f, step) \
  {vendor, 16, id, id, nullptr, cls, name, "Asus", "SMBus", v, t, f, step, 0, nullptr, nullptr, nullptr, nullptr, TABLES_NONE}
// Rows with their driver and default tables.
#define HF(id, name, v, t, f)                                                                                         \
  {0x5CA3, 16, id, id, nullptr, "Winbond_W83627HF_HardwareMonitor", name, "Winbond", "LPC", v, t, f, 0.016f, 0,   \
   &Make<Winbond_W83627HF_HardwareMonitor>, kW83627HfVoltages, kW83627HfTemperatures, kW83627HfFans,               \
   TABLES_WINBOND_W83627HF}
#define EHF(id)                                                                                                   \
  {0x5CA3, 16, id, id, nullptr, "Winbond_W83627EHF_HardwareMonitor", "Winbond W83627EHF", "Winbond", "LPC", 8, 3, \
   5, 0.008f, 0, &Make<Winbond_W83627EHF_HardwareMonitor>, kW83627EhfVoltages, kW83627EhfTemperatures,            \
   kW83627EhfFans, TABLES_WINBOND_W83627EHF}
#define FINTEK(id, name)                                                                                             \
  {0x1934, 0, id, id, nullptr, "Fintek_F71882F_HardwareMonitor", name, "Fintek", "LPC", 9, 3, 4, 0.008f, 1500000, \
   &Make<Fintek_F71882F_HardwareMonitor>, kFintekVoltages, kFintekTemperatures, kFintekFans, TABLES_FINTEK_F71882F}
#define F71808(id)                                                                                                   \
  {0x1934, 0, id, id, nullptr, "Fintek_F71808E_HardwareMonitor", "Fintek F71808", "Fintek", "LPC", 9, 3, 4, 0.008f, \
   1500000, &Make<Fintek_F71808E_HardwareMonitor>, kFintekVoltages, kFintekTemperatures, kFintekFans,               \
   TABLES_FINTEK_F71808E}
#define ADT7475(lo, hi)                                                                                              \
  {0x41, 0, lo, hi, nullptr, "AnalogDevice_ADT7475_HardwareMonitor", "Analog Device ADT7475", "Analog Devices", "SMBus", \
   2, 3, 4, 0, 5400000, &MakeAdt7475, kAdt7475Voltages, kAdt7475Temperatures, nullptr, TABLES_NONE}
#define ITE(lo, hi, name, volts, step)                                                                             \
  {0x90, 0, lo, hi, nullptr, "ITE_IT87_HardwareMonitor", name, "ITE", "LPC/SMBus", 9, 3, 5, step, 0,             \
   &Make<ITE_IT87_HardwareMonitor>, volts, kIt87Temperatures, kIt87Fans, TABLES_ITE_IT87}

const ChipFamily kChipFamilies[] = {
    // Winbond / Nuvoton, chip id from the monitor's register 0x58 (bits 16-23).
    WB(0x10, 0x11, "Winbond_W83781D_HardwareMonitor", "Winbond W83781D", "LPC/SMBus", 7, 3, 3, 0.016f),
    WB(0x30, 0x30, "Winbond_W83781D_HardwareMonitor", "Winbond W83781D", "LPC/SMBus", 7, 3, 3, 0.016f),
    WB(0x40, 0x40, "Winbond_W83783S_HardwareMonitor", "Winbond W83783S", "SMBus", 7, 1, 3, 0.016f),
    HF(0x21, "Winbond W83627HF", 7, 3, 3),
    HF(0x60, "Winbond W83697HF", 5, 2, 2),
    WB(0x71, 0x72, "Winbond_W83791D_HardwareMonitor", "Winbond W83791D", "SMBus", 8, 3, 3, 0.016f),
    WB(0x79, 0x79, "Nuvoton_W83795G_HardwareMonitor", "Nuvoton W83795G", "SMBus", 15, 5, 14, 0.008f),
    WB(0x7A, 0x7A, "Winbond_W83792D_HardwareMonitor", "Winbond W83792D", "SMBus", 7, 3, 7, 0.016f),
    WB(0x7B, 0x7B, "Winbond_W83793_HardwareMonitor", "Winbond W83793", "SMBus", 11, 5, 10, 0.016f),
    HF(0x80, "Winbond W83637HF", 5, 3, 3),
    EHF(0x88),
    EHF(0xA1),
    HF(0x90, "Winbond W83627THF", 5, 3, 3),
    WB(0x31, 0x31, "Asus_AS99127F_HardwareMonitor", "Asus AS99127F", "SMBus", 7, 3, 3, 0.016f),
    // 0xC1: NCT6776 or W83667HG by the Super I/O's chip id, else W83627DHG.
    {0x5CA3, 16, 0xC1, 0xC1, kNct6776SuperIo, "Nuvoton_NCT6776_HardwareMonitor", "Nuvoton NCT6776", "Nuvoton", "LPC",
     7, 4, 5, 0.008f, 0, &Make<Nuvoton_NCT6776_HardwareMonitor>, kW83627EhfVoltages, kNct6776Temperatures,
     kW83627EhfFans, TABLES_NUVOTON_NCT6776},
    {0x5CA3, 16, 0xC1, 0xC1, kW83667HgSuperIo, "Winbond_W83627DHG_HardwareMonitor", "Winbond W83667HG", "Winbond",
     "LPC", 7, 3, 5, 0.008f, 0, &Make<Winbond_W83627DHG_HardwareMonitor>, kW83627EhfVoltages, kW83627EhfTemperatures,
     kW83627EhfFans, TABLES_WINBOND_W83627DHG},
    {0x5CA3, 16, 0xC1, 0xC1, nullptr, "Winbond_W83627DHG_HardwareMonitor", "Winbond W83627DHG", "Winbond", "LPC", 7,
     3, 5, 0.008f, 0, &Make<Winbond_W83627DHG_HardwareMonitor>, kW83627EhfVoltages, kW83627EhfTemperatures,
     kW83627EhfFans, TABLES_WINBOND_W83627DHG},
    // Asus monitors that keep the Winbond layout (vendor words 0x0694, 0x12C3).
    ASUS(0x0694, 0x31, "Asus_AS99127F_HardwareMonitor", "Asus AS99127F", 7, 3, 3, 0.016f),
    ASUS(0x0694, 0x38, "Asus_ROG_38_HardwareMonitor", "Asus IROG 01", -1, -1, -1, 0),
    ASUS(0x0694, 0x40, "Asus_ROG_40_HardwareMonitor", "Asus IROG 02", 0, 0, 4, 0),
    ASUS(0x12C3, 0x31, "Asus_AS99127F_HardwareMonitor", "Asus AS99127F", 7, 3, 3, 0.016f),
    ASUS(0x12C3, 0x38, "Asus_ROG_38_HardwareMonitor", "Asus IROG 01", -1, -1, -1, 0),
    ASUS(0x12C3, 0x40, "Asus_ROG_40_HardwareMonitor", "Asus IROG 02", 0, 0, 4, 0),
    // Fintek, chip id = Super I/O registers 0x20:0x21.
    FINTEK(0x0501, "Fintek F71862F"),
    FINTEK(0x0541, "Fintek F71882F"),
    FINTEK(0x0601, "Fintek F71882FG"),
    FINTEK(0x0723, "Fintek F71889F"),
    FINTEK(0x0814, "Fintek F71869"),
    FINTEK(0x0909, "Fintek F71889ED"),
    FINTEK(0x1005, "Fintek F71889A"),
    FINTEK(0x1007, "Fintek F718xx"),
    F71808(0x0901),
    F71808(0x1001),
    ID(0x1934, "Fintek", 0x0406, 0x0406, "Fintek_F71805F_HardwareMonitor", "Fintek F71805F", "LPC", 8, 3, 4, 0.008f, 1500000),
    ID(0x1934, "Fintek", 0x0341, 0x0341, "Fintek_F71872F_HardwareMonitor", "Fintek F71872F", "LPC", 8, 3, 4, 0.008f, 1500000),
    ID(0x1934, "Fintek", 0x0507, 0x0507, "Fintek_F8000_HardwareMonitor", "Fintek F8000", "LPC", 3, 3, 3, 0.008f, 1500000),
    ID(0x1934, "Fintek", 0x0581, 0x0581, "Fintek_F8000_HardwareMonitor", "Fintek F8000", "LPC", 3, 3, 3, 0.008f, 1500000),
    ID(0x1934, "Fintek", 0x0903, 0x0903, "Fintek_F8000_HardwareMonitor", "Fintek F8000", "LPC", 3, 3, 3, 0.008f, 1500000),
    ID(0x1934, "Fintek", 0x0704, 0x0704, "Fintek_F81865F_HardwareMonitor", "Fintek F81865", "LPC", 6, 2, 2, 0.008f, 1500000),
    // Nuvoton NCT7802 on the SMBus.
    {0x50, 0, 0xC3, 0xC3, nullptr, "Nuvoton_NCT7802_HardwareMonitor", "Nuvoton NCT7802", "Nuvoton", "SMBus", 5, 0, 3,
     0.002f, 1350000, &MakeNct7802, kNct7802Voltages, nullptr, kNct7802Fans, TABLES_NUVOTON_NCT7802},
    // ITE: any Super I/O chip id (bits 16-23 checked by FindChipFamily); the
    // newer chips' 3VSB and VBAT arrive through internal dividers.
    ITE(0x8721, 0x8721, "ITE IT8721", kIt87ScaledVoltages, 0.012f),
    ITE(0x8728, 0x8728, "ITE IT8728", kIt87ScaledVoltages, 0.012f),
    ITE(0x8771, 0x8772, "ITE IT8772", kIt87ScaledVoltages, 0.012f),
    ITE(0x0000, 0xFFFF, "ITE IT87", kIt87Voltages, 0.016f),
    // SMSC.
    ID(0x55, "SMSC", 0x20, 0x2F, "SMSC_LPC47M192_HardwareMonitor", "SMSC LPC47M192", "LPC", 8, 3, 2, 0, 983010),
    ID(0x55, "SMSC", 0x60, 0x6F, "SMSC_EMC6D10X_HardwareMonitor", "SMSC EMC6D10X", "SMBus", 5, 3, 4, 0, 5400000),
    ID(0x55, "SMSC", 0xB0, 0xBF, "SMSC_EMC6W201_HardwareMonitor", "SMSC EMC6W201", "SMBus", 6, 6, 5, 0, 5400000),
    ID(0x55, "SMSC", 0x01, 0x01, "SMSC_EMCT03_HardwareMonitor", "SMSC EMCT03", "SMBus", 0, 5, 0, 0, 0),
    ID(0x55, "SMSC", 0x02, 0x02, "SMSC_LPC47B397_HardwareMonitor", "SMSC LPC47B397", "LPC", 0, 4, 4, 0, 5400000),
    ID(0x55, "SMSC", 0x03, 0x03, "SMSC_LPC47M10x_HardwareMonitor", "SMSC LPC47M10x", "LPC", 0, 0, 3, 0, 5400000),
    ID(0x55, "SMSC", 0x89, 0x8A, "SMSC_DME1737_HardwareMonitor", "SMSC DME1737", "LPC", 5, 3, 4, 0, 5400000),
    ID(0x55, "SMSC", 0x8C, 0x8C, "SMSC_DME1737_HardwareMonitor", "SMSC DME1737", "LPC", 5, 3, 4, 0, 5400000),
    // Andigilog, Analog Devices, Maxim, National Semiconductor, VIA.
    ID(0x61, "Andigilog", 0x6C, 0x6D, "Andigilog_ASC7621_HardwareMonitor", "Andigilog aSC7621", "SMBus", 5, 4, 4, 0, 5400000),
    ID(0x41, "Analog Devices", 0x04, 0x05, "AnalogDevice_ADM1021_HardwareMonitor", "Analog Device ADM1021", "SMBus", 0, 2, 0, 0, 0),
    ID(0x41, "Analog Devices", 0x42, 0x42, "AnalogDevice_ADM1021_HardwareMonitor", "Analog Device ADM1021", "SMBus", 0, 2, 0, 0, 0),
    ID(0x41, "Analog Devices", 0x27, 0x27, "AnalogDevice_ADM1027_HardwareMonitor", "Analog Device ADM1027", "SMBus", 5, 3, 3, 0, 5400000),
    ID(0x41, "Analog Devices", 0x28, 0x28, "AnalogDevice_ADP3228_HardwareMonitor", "Analog Device ADP3228", "SMBus", -1, -1, -1, 0.0087890625f, 0),
    ID(0x41, "Analog Devices", 0x31, 0x31, "AnalogDevice_ADM1031_HardwareMonitor", "Analog Device ADM1031", "SMBus", 0, 3, 3, 0, 675000),
    ID(0x41, "Analog Devices", 0x33, 0x33, "AnalogDevice_ADM1033_HardwareMonitor", "Analog Device ADM1033", "SMBus", 0, 2, 0, 0, 0),
    ID(0x41, "Analog Devices", 0x45, 0x45, "AnalogDevice_ADM1026_HardwareMonitor", "Analog Device ADM1026", "SMBus", 6, 3, 2, 0, 1350000),
    ID(0x41, "Analog Devices", 0x51, 0x51, "AnalogDevice_ADT7461_HardwareMonitor", "Analog Device ADT7461", "SMBus", 0, 2, 0, 0, 0),
    ID(0x41, "Analog Devices", 0x68, 0x68, "AnalogDevice_ADT7467_HardwareMonitor", "Analog Device ADT7467", "SMBus", 2, 3, 4, 0, 5400000),
    ID(0x41, "Analog Devices", 0x6E, 0x6F, "AnalogDevice_ADT7490_HardwareMonitor", "Analog Device ADT7490", "SMBus", 5, 7, 4, 0, 10800000),
    ADT7475(0x73, 0x73),
    ADT7475(0x75, 0x76),
    ID(0x41, "Analog Devices", 0x3298, 0x3298, "AnalogDevice_ASP0800_HardwareMonitor", "Analog Device ASP0800", "SMBus", -1, -1, -1, 0, 0),
    ID(0x4D, "Maxim", 22, 22, "Maxim_MAX1617_HardwareMonitor", "Maxim MAX6648", "SMBus", 0, 2, 0, 0, 0),
    ID(0x4D, "Maxim", 0x59, 0x59, "Maxim_MAX6648_HardwareMonitor", "Maxim MAX6648", "SMBus", 0, 2, 0, 0, 0),
    ID(0xFF02, "National Semiconductor", 0x41, 0x41, "NS_LM63_HardwareMonitor", "NS LM63", "SMBus", 0, 2, 1, 0, 5400000),
    ID(0xFF02, "National Semiconductor", 0x87, 0x87, "NS_LM87_HardwareMonitor", "NS LM87", "SMBus", 6, 2, 2, 0, 1350000),
    ID(0xFF02, "National Semiconductor", 0xE9, 0xE9, "NS_PC87366_HardwareMonitor", "NS PC87366", "LPC", 11, 3, 3, 0.00390625f * 3.0257502f, 480000),
    ID(0x1106, "VIA", 0x1211, 0x1211, "VIA_VT1211_HardwareMonitor", "VIA VT1211", "LPC", -1, -1, -1, 0, 0),
    // Graphics-card regulators (found by the graphics monitor scan).
    {0xC001, 0, 0x8266, 0x8266, nullptr, "CHIL_CHL8266_HardwareMonitor", "CHIL CHL8266", "CHIL", "I2C", -1, -1, -1, 0,
     0, &MakeChl8266, nullptr, nullptr, nullptr, TABLES_NONE},
    {0xC002, 0, 0x0A, 0x0A, nullptr, "Volterra_VT1165_HardwareMonitor", "Volterra VT1165", "Volterra", "I2C", -1, -1,
     -1, 0, 0, &MakeVt1165, kVt1165Voltages, kVt1165Temperatures, nullptr, TABLES_NONE},
    {kChipFamilyEnd, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0},
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
    if (f->superIoIds) {
      bool listed = false;
      for (const uint8_t* s = f->superIoIds; *s; ++s) listed |= *s == (chipCode & 0xFF);
      if (!listed) continue;
    }
    return f;
  }
  return nullptr;
}
