// Winbond W83627EHF/EHG hardware monitor and the later chips on its register
// map (W83627DHG, W83667HG, NCT6776 derive from it). W83627EHF data sheet
// section 8 ("Hardware Monitor Register Set"): 0x20-0x26 VIN0-VIN6 and bank 5
// 0x50-0x52 VIN7-VIN9 (8 mV), 0x27 SYSTIN, bank 1 0x50/0x51 CPUTIN and bank 2
// 0x50/0x51 AUXTIN (9 bits, half degrees), fan counts 0x28/0x29/0x2A/0x3F and
// bank 5 0x53 with their divisors in 0x47, 0x4B, 0x5D, 0x59 and 0x4C.
#pragma once

#include "sdk/monitor/CHardwareMonitor.h"

class CSensor;

class Winbond_W83627EHF_HardwareMonitor : public CHardwareMonitor {
 public:
  static constexpr uint16_t kRegVoltage[10] = {0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x550, 0x551, 0x552};
  static constexpr MonitorTemperatureReg kRegTemperatures[3] = {{0x27}, {0x150, true}, {0x250, true}};
  // An open thermal input reads -128 (0x80) or all ones.
  static constexpr uint8_t kOpenTemperatures[2] = {0xFF, 0x80};
  static constexpr uint16_t kRegFan[5] = {0x28, 0x29, 0x2A, 0x3F, 0x553};
  static constexpr float kVoltStep = 0.008f;

  // chipCode: the monitor's chip id (register 0x58) in bits 16-23, the
  // Super I/O chip id below.
  explicit Winbond_W83627EHF_HardwareMonitor(int chipCode);

  int chipCode;

 protected:
  // Fan speed in rpm (the default table's rule 2).
  int ReadFanCount(int k, int* pulses) override;
  int FanDivisorShift(int k);
};
