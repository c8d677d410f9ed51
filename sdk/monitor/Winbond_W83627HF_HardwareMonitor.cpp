#include "sdk/monitor/Winbond_W83627HF_HardwareMonitor.h"

#include <cstdio>

#include "sdk/core/CSensor.h"
#include "sdk/monitor/ChipFamilies.h"
#include "sdk/monitor/WinbondBanks.h"

Winbond_W83627HF_HardwareMonitor::Winbond_W83627HF_HardwareMonitor(int code)
    : CHardwareMonitor(MONITOR_CHIP, static_cast<int>(0x5CA30000u | ((code >> 16) & 0xFF))), chipCode(code) {
  std::snprintf(name, sizeof(name), "Winbond W83627HF");
  const ChipFamily* family = FindChipFamily(0x5CA3, static_cast<uint32_t>(code));
  ApplyFamily(family);
  // The channel counts of the variant (W83627HF 7/3/3, THF 5/3/3, 697HF 5/2/2, 637HF 5/3/3).
  auto count = [&](int n, size_t all) { return n > 0 && static_cast<size_t>(n) < all ? static_cast<size_t>(n) : all; };
  registerMap.voltages = std::span<const uint16_t>(kRegVoltages).first(count(family ? family->voltages : 0, 7));
  registerMap.voltStep = kVoltStep;
  registerMap.temperatures =
      std::span<const MonitorTemperatureReg>(kRegTemperatures).first(count(family ? family->temperatures : 0, 3));
  registerMap.openTemperatures = kOpenTemperatures;
  registerMap.fans = std::span<const uint16_t>(kRegFans).first(count(family ? family->fans : 0, 3));
  registerMap.banked = true;
  registerMap.fanRule = 2;
}

void Winbond_W83627HF_HardwareMonitor::BeginRefresh() {
  const int chipId = (chipCode >> 16) & 0xFF;
  uint8_t vrmOvt = 0;
  vrm9_ = (chipId == 0x90 || chipId == 0x80) && ReadBankedReg(*this, kRegVrmOvt, &vrmOvt) && (vrmOvt & 0x01);
}

float Winbond_W83627HF_HardwareMonitor::VoltageInput(int i, int raw) {
  return i == 0 && vrm9_ ? static_cast<float>(raw) * kVrm9Step + kVrm9Offset : static_cast<float>(raw) * kVoltStep;
}

int Winbond_W83627HF_HardwareMonitor::ReadFanCount(int k, int*) {
  uint8_t c;
  if (!ReadBankedReg(*this, registerMap.fans[static_cast<size_t>(k)], &c) || c == 0x00 || c == 0xFF) return -1;
  return static_cast<int>(1350000 / (c << WinbondFanDivisorShift(*this, k)));
}
