#include "sdk/monitor/Nuvoton_NCT6776_HardwareMonitor.h"

#include "sdk/monitor/WinbondBanks.h"

Nuvoton_NCT6776_HardwareMonitor::Nuvoton_NCT6776_HardwareMonitor(int code) : Winbond_W83627EHF_HardwareMonitor(code) {
  // Name, counts and tables from the family row (the base constructor).
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
