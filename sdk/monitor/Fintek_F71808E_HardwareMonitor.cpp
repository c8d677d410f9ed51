#include "sdk/monitor/Fintek_F71808E_HardwareMonitor.h"

#include <cstdio>

#include "sdk/monitor/BoardTables.h"

Fintek_F71808E_HardwareMonitor::Fintek_F71808E_HardwareMonitor(int code)
    : Fintek_F71882F_HardwareMonitor(code, 0x19340901, true) {
  std::snprintf(name, sizeof(name), "Fintek F71808");
  tableFamily = TABLES_FINTEK_F71808E;
}
