#include "sdk/monitor/Fintek_F71808E_HardwareMonitor.h"

// Name and tables come from the chip's family row (the base constructor).
Fintek_F71808E_HardwareMonitor::Fintek_F71808E_HardwareMonitor(int code)
    : Fintek_F71882F_HardwareMonitor(code, 0x19340901, true) {}
