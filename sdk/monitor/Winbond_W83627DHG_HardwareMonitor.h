// Winbond W83627DHG and W83667HG: the W83627EHF register map with seven
// voltage inputs (W83627DHG data sheet section 8). The Super I/O chip id
// (0xA0xx DHG, 0xA5xx 667HG) tells the two apart.
#pragma once

#include "sdk/monitor/Winbond_W83627EHF_HardwareMonitor.h"

class Winbond_W83627DHG_HardwareMonitor : public Winbond_W83627EHF_HardwareMonitor {
 public:
  explicit Winbond_W83627DHG_HardwareMonitor(int chipCode);
};
