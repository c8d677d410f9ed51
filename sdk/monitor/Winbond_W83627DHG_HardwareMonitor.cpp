#include "sdk/monitor/Winbond_W83627DHG_HardwareMonitor.h"

#include <cstdio>

#include "sdk/monitor/BoardTables.h"

const char* Winbond_W83627DHG_HardwareMonitor::ChipName(int superIoChipId) {
  return ((superIoChipId >> 8) & 0xFF) == 0xA5 ? "Winbond W83667HG" : "Winbond W83627DHG";
}

Winbond_W83627DHG_HardwareMonitor::Winbond_W83627DHG_HardwareMonitor(int code)
    : Winbond_W83627EHF_HardwareMonitor(code) {
  std::snprintf(name, sizeof(name), "%s", ChipName(code & 0xFFFF));
  voltageCount = 7;
  tableFamily = TABLES_WINBOND_W83627DHG;
}
