// Nuvoton NCT6776F: the W83627EHF voltage and temperature registers plus a
// PECI temperature, and 13-bit fan counts in bank 6 (NCT6776F data sheet
// section 7: high byte at 0x630 + 2k, low five bits at 0x631 + 2k).
#pragma once

#include "sdk/monitor/Winbond_W83627EHF_HardwareMonitor.h"

class Nuvoton_NCT6776_HardwareMonitor : public Winbond_W83627EHF_HardwareMonitor {
 public:
  // The W83627EHF temperatures and the PECI reading.
  static constexpr MonitorTemperatureReg kRegTemperatures[4] = {{0x27}, {0x150, true}, {0x250, true}, {0x73}};
  static constexpr uint16_t kRegFanCount[5] = {0x630, 0x632, 0x634, 0x636, 0x638};

  explicit Nuvoton_NCT6776_HardwareMonitor(int chipCode);

 protected:
  // In rpm (the default table's rule 2).
  int ReadFanCount(int k, int* pulses) override;
};
