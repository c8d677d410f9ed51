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
  voltageCount = family && family->voltages > 0 ? family->voltages : 7;
  temperatureCount = family && family->temperatures > 0 ? family->temperatures : 3;
  fanCount = family && family->fans > 0 ? family->fans : 3;
}

int Winbond_W83627HF_HardwareMonitor::CreateSensors() {
  for (int i = 0; i < voltageCount; ++i) {
    uint8_t v;
    if (!ReadBankedReg(*this, static_cast<uint16_t>(kRegVoltage + i), &v) || v == 0x00 || v == 0xFF) continue;
    auto* s = new CVoltageSensor(i);
    std::snprintf(s->name, sizeof(s->name), "VIN%d", i);
    AddSensorEverywhere(s);
    voltageSensors[i] = s;
  }
  for (int j = 0; j < temperatureCount; ++j) {
    uint8_t t;
    uint16_t reg = j == 0 ? kRegTemperature1 : j == 1 ? kRegTemperature2 : kRegTemperature3;
    if (!ReadBankedReg(*this, reg, &t) || t == 0xFF || t == 0x80) continue;
    auto* s = new CTemperatureSensor(j);
    std::snprintf(s->name, sizeof(s->name), "TMPIN%d", j);
    AddSensorEverywhere(s);
    temperatureSensors[j] = s;
  }
  Update();
  ApplyLabels();
  return 1;
}

int Winbond_W83627HF_HardwareMonitor::Update() {
  const int chipId = (chipCode >> 16) & 0xFF;
  uint8_t vrmOvt = 0;
  bool vrm9 = (chipId == 0x90 || chipId == 0x80) && ReadBankedReg(*this, kRegVrmOvt, &vrmOvt) && (vrmOvt & 0x01);
  for (int i = 0; i < voltageCount; ++i) {
    uint8_t v;
    if (voltageSensors[i] && ReadBankedReg(*this, static_cast<uint16_t>(kRegVoltage + i), &v)) {
      voltageSensors[i]->raw = v;
      voltageSensors[i]->input = i == 0 && vrm9 ? v * kVrm9Step + kVrm9Offset : v * kVoltStep;
    }
  }
  for (int j = 0; j < temperatureCount; ++j) {
    if (!temperatureSensors[j]) continue;
    uint8_t hi, lo = 0;
    if (j == 0) {
      if (ReadBankedReg(*this, kRegTemperature1, &hi)) temperatureSensors[j]->raw = hi;
      continue;
    }
    uint16_t reg = j == 1 ? kRegTemperature2 : kRegTemperature3;
    if (ReadBankedReg(*this, reg, &hi) && ReadBankedReg(*this, reg + 1, &lo))
      temperatureSensors[j]->raw = (hi << 1) | (lo >> 7);
  }
  bool relabel = false;
  for (int k = 0; k < fanCount; ++k) {
    uint8_t c;
    int rpm = -1;
    // The default table shows rpm directly (rule 2).
    if (ReadBankedReg(*this, static_cast<uint16_t>(kRegFan + k), &c) && c != 0x00 && c != 0xFF)
      rpm = static_cast<int>(1350000 / (c << WinbondFanDivisorShift(*this, k)));
    relabel |= StoreFanReading(&fanSensors[k], k, rpm);
  }
  RestoreBankZero(*this);
  if (relabel) ApplyLabels();
  ApplyConversions();
  ConvertUnlabelled(1, 2);
  return 1;
}
