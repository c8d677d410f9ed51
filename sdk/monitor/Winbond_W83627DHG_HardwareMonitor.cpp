#include "sdk/monitor/Winbond_W83627DHG_HardwareMonitor.h"

// Name (W83627DHG or W83667HG by the Super I/O chip id), seven voltages and
// the tables come from the chip's family row (the base constructor).
Winbond_W83627DHG_HardwareMonitor::Winbond_W83627DHG_HardwareMonitor(int code)
    : Winbond_W83627EHF_HardwareMonitor(code) {}
