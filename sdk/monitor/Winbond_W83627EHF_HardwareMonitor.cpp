#include "sdk/monitor/Winbond_W83627EHF_HardwareMonitor.h"

#include <algorithm>
#include <cstdio>

#include "sdk/core/CSensor.h"
#include "sdk/monitor/ChipFamilies.h"
#include "sdk/monitor/WinbondBanks.h"

Winbond_W83627EHF_HardwareMonitor::Winbond_W83627EHF_HardwareMonitor(int code)
    : CHardwareMonitor(MONITOR_CHIP, static_cast<int>(0x5CA30000u | ((code >> 16) & 0xFF))), chipCode(code) {
  std::snprintf(name, sizeof(name), "Winbond W83627EHF");
  const ChipFamily* family = FindChipFamily(0x5CA3, static_cast<uint32_t>(code));
  ApplyFamily(family);
  // Eight voltages unless the row counts them (DHG/667HG and NCT6776: seven).
  const int voltages = family && family->voltages > 0 ? std::min(family->voltages, 10) : 8;
  registerMap.voltages = std::span<const uint16_t>(kRegVoltage).first(static_cast<size_t>(voltages));
  registerMap.voltStep = kVoltStep;
  registerMap.temperatures = kRegTemperatures;
  registerMap.openTemperatures = kOpenTemperatures;
  registerMap.fans = kRegFan;
  registerMap.banked = true;
  registerMap.fanRule = 2;
}

int Winbond_W83627EHF_HardwareMonitor::FanDivisorShift(int k) {
  if (k < 3) return WinbondFanDivisorShift(*this, k);
  uint8_t diode, ovt;
  ReadBankedReg(*this, 0x59, &diode);
  ReadBankedReg(*this, 0x4C, &ovt);
  if (k == 3) return (diode & 3) | ((ovt >> 5) & 4);
  return ((diode >> 2) & 3) | ((diode >> 5) & 4);
}

int Winbond_W83627EHF_HardwareMonitor::ReadFanCount(int k, int*) {
  uint8_t c;
  if (!ReadBankedReg(*this, kRegFan[k], &c) || c == 0x00 || c == 0xFF) return -1;
  return static_cast<int>(1350000 / (c << FanDivisorShift(k)));
}
