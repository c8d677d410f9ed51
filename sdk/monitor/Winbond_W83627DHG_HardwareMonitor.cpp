#include "sdk/monitor/Winbond_W83627DHG_HardwareMonitor.h"

#include <cstdio>

#include "sdk/monitor/BoardTables.h"

const char* Winbond_W83627DHG_HardwareMonitor::ChipName(int superIoChipId) {
  // The Super I/O's chip id (register 0x20) in the low byte: 0xA5 and 0xB3
  // are the W83667HG and W83667HG-A.
  const int id = superIoChipId & 0xFF;
  return id == 0xA5 || id == 0xB3 ? "Winbond W83667HG" : "Winbond W83627DHG";
}

Winbond_W83627DHG_HardwareMonitor::Winbond_W83627DHG_HardwareMonitor(int code)
    : Winbond_W83627EHF_HardwareMonitor(code) {
  std::snprintf(name, sizeof(name), "%s", ChipName(code & 0xFFFF));
  voltageCount = 7;
  tableFamily = TABLES_WINBOND_W83627DHG;
}
