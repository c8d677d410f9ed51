#include "sdk/monitor/Nuvoton_NCT6776_HardwareMonitor.h"

#include <cstdio>

#include "sdk/monitor/BoardTables.h"
#include "sdk/monitor/DefaultLabelTables.h"
#include "sdk/monitor/WinbondBanks.h"

Nuvoton_NCT6776_HardwareMonitor::Nuvoton_NCT6776_HardwareMonitor(int code) : Winbond_W83627EHF_HardwareMonitor(code) {
  std::snprintf(name, sizeof(name), "Nuvoton NCT6776");
  voltageCount = 7;
  temperatureCount = 4;
  temperatureTable = monitor_tables::kNct6776Temperatures;
  tableFamily = TABLES_NUVOTON_NCT6776;
}

int Nuvoton_NCT6776_HardwareMonitor::ReadFanRpm(int k) {
  uint8_t hi, lo;
  uint16_t reg = static_cast<uint16_t>(kRegFanCount + 2 * k);
  if (!ReadBankedReg(*this, reg, &hi) || !ReadBankedReg(*this, reg + 1, &lo)) return -1;
  int count = (hi << 5) | (lo & 0x1F);
  if (count == 0 || count == 0x1FFF) return -1;
  return 1350000 / count;
}

int Nuvoton_NCT6776_HardwareMonitor::ReadTemperature(int j) {
  if (j < 3) return Winbond_W83627EHF_HardwareMonitor::ReadTemperature(j);
  uint8_t t;
  return ReadBankedReg(*this, kRegPeciTemperature, &t) ? t : -1;
}
