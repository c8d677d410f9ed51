// Fintek F71808 family hardware monitor (F71808E, F71808A): the F71882F
// register map (F71808E data sheet section 7.5) with four fan inputs and
// outputs on every member and no board tweaks.
#pragma once

#include "sdk/monitor/Fintek_F71882F_HardwareMonitor.h"

class Fintek_F71808E_HardwareMonitor : public Fintek_F71882F_HardwareMonitor {
 public:
  explicit Fintek_F71808E_HardwareMonitor(int chipCode);
};
