#include "sdk/monitor/Nuvoton_NCT6776_HardwareMonitor.h"

#include "sdk/monitor/ChipFamilies.h"
#include "sdk/monitor/WinbondBanks.h"

Nuvoton_NCT6776_HardwareMonitor::Nuvoton_NCT6776_HardwareMonitor(int code) : Winbond_W83627EHF_HardwareMonitor(code) {
  // Name, voltage count and tables from the family row (the base
  // constructor); the PECI reading where the row counts it.
  const ChipFamily* family = FindChipFamily(0x5CA3, static_cast<uint32_t>(code));
  const size_t temperatures = family && family->temperatures > 0 && family->temperatures < 4 ? family->temperatures : 4;
  registerMap.temperatures = std::span<const MonitorTemperatureReg>(kRegTemperatures).first(temperatures);
  registerMap.fans = kRegFanCount;
}

int Nuvoton_NCT6776_HardwareMonitor::ReadFanCount(int k, int*) {
  uint8_t hi, lo;
  const uint16_t reg = kRegFanCount[k];
  if (!ReadBankedReg(*this, reg, &hi) || !ReadBankedReg(*this, static_cast<uint16_t>(reg + 1), &lo)) return -1;
  const int count = (hi << 5) | (lo & 0x1F);
  if (count == 0 || count == 0x1FFF) return -1;
  return 1350000 / count;
}
