// Nuvoton NCT6776F: the W83627EHF voltage and temperature registers plus a
// PECI temperature, and 13-bit fan counts in bank 6 (NCT6776F data sheet
// section 7: high byte at 0x630 + 2k, low five bits at 0x631 + 2k).
#pragma once

#include "sdk/monitor/Winbond_W83627EHF_HardwareMonitor.h"

class Nuvoton_NCT6776_HardwareMonitor : public Winbond_W83627EHF_HardwareMonitor {
 public:
  static constexpr uint16_t kRegFanCount = 0x630;
  static constexpr uint16_t kRegPeciTemperature = 0x73;

  explicit Nuvoton_NCT6776_HardwareMonitor(int chipCode);

 protected:
  int ReadFanRpm(int k) override;
  int ReadTemperature(int j) override;
};
