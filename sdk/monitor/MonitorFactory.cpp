#include "sdk/monitor/MonitorFactory.h"

#include <cstdio>

#include "sdk/monitor/BoardTables.h"
#include "sdk/monitor/ChipFamilies.h"
#include "sdk/monitor/Fintek_F71808E_HardwareMonitor.h"
#include "sdk/monitor/Fintek_F71882F_HardwareMonitor.h"
#include "sdk/monitor/ITE_IT87_HardwareMonitor.h"
#include "sdk/monitor/Nuvoton_NCT6776_HardwareMonitor.h"
#include "sdk/monitor/Nuvoton_NCT7802_HardwareMonitor.h"
#include "sdk/monitor/Winbond_W83627DHG_HardwareMonitor.h"
#include "sdk/monitor/Winbond_W83627EHF_HardwareMonitor.h"
#include "sdk/monitor/Winbond_W83627HF_HardwareMonitor.h"

CHardwareMonitor* BuildMonitor(uint32_t vendor, uint32_t chipCode, int32_t boardKey, int32_t checksum,
                               int address) {
  const ChipFamily* family = FindChipFamily(vendor, chipCode);
  CHardwareMonitor* m = nullptr;
  switch (family ? family->driver : DRIVER_NONE) {
    case DRIVER_FINTEK_F71882F: m = new Fintek_F71882F_HardwareMonitor(static_cast<int>(chipCode)); break;
    case DRIVER_FINTEK_F71808E: m = new Fintek_F71808E_HardwareMonitor(static_cast<int>(chipCode)); break;
    case DRIVER_NUVOTON_NCT7802: m = new Nuvoton_NCT7802_HardwareMonitor(); break;
    case DRIVER_ITE_IT87: m = new ITE_IT87_HardwareMonitor(static_cast<int>(chipCode)); break;
    case DRIVER_WINBOND_W83627HF: m = new Winbond_W83627HF_HardwareMonitor(static_cast<int>(chipCode)); break;
    case DRIVER_WINBOND_W83627EHF: m = new Winbond_W83627EHF_HardwareMonitor(static_cast<int>(chipCode)); break;
    case DRIVER_WINBOND_W83627DHG: m = new Winbond_W83627DHG_HardwareMonitor(static_cast<int>(chipCode)); break;
    case DRIVER_NUVOTON_NCT6776: m = new Nuvoton_NCT6776_HardwareMonitor(static_cast<int>(chipCode)); break;
    default:
      m = new CHardwareMonitor(MONITOR_CHIP, static_cast<int>((vendor << 16) | (chipCode & 0xFFFF)));
      if (family) std::snprintf(m->name, sizeof(m->name), "%s", family->name);
      if (family && family->fanConstant > 0) m->fanConstant = family->fanConstant;
      break;
  }
  m->boardId = boardKey;
  InstallBoardTables(m, static_cast<uint32_t>(boardKey), checksum, address);
  return m;
}
