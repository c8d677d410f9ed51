#include "sdk/monitor/Winbond_W83627EHF_HardwareMonitor.h"

#include <cstdio>

#include "sdk/core/CSensor.h"
#include "sdk/monitor/ChipFamilies.h"
#include "sdk/monitor/WinbondBanks.h"

Winbond_W83627EHF_HardwareMonitor::Winbond_W83627EHF_HardwareMonitor(int code)
    : CHardwareMonitor(MONITOR_CHIP, static_cast<int>(0x5CA30000u | ((code >> 16) & 0xFF))), chipCode(code) {
  std::snprintf(name, sizeof(name), "Winbond W83627EHF");
  const ChipFamily* family = FindChipFamily(0x5CA3, static_cast<uint32_t>(code));
  ApplyFamily(family);
  // DHG/667HG and NCT6776 rows: seven voltages; NCT6776 adds PECI.
  if (family && family->voltages > 0) voltageCount = family->voltages;
  if (family && family->temperatures > 0) temperatureCount = family->temperatures;
}

int Winbond_W83627EHF_HardwareMonitor::FanDivisorShift(int k) {
  if (k < 3) return WinbondFanDivisorShift(*this, k);
  uint8_t diode, ovt;
  ReadBankedReg(*this, 0x59, &diode);
  ReadBankedReg(*this, 0x4C, &ovt);
  if (k == 3) return (diode & 3) | ((ovt >> 5) & 4);
  return ((diode >> 2) & 3) | ((diode >> 5) & 4);
}

int Winbond_W83627EHF_HardwareMonitor::ReadFanRpm(int k) {
  uint8_t c;
  if (!ReadBankedReg(*this, kRegFan[k], &c) || c == 0x00 || c == 0xFF) return -1;
  return static_cast<int>(1350000 / (c << FanDivisorShift(k)));
}

int Winbond_W83627EHF_HardwareMonitor::ReadTemperature(int j) {
  uint8_t hi, lo;
  if (j == 0) return ReadBankedReg(*this, 0x27, &hi) ? hi : -1;
  if (!ReadBankedReg(*this, kRegTemperature[j], &hi) || !ReadBankedReg(*this, kRegTemperature[j] + 1, &lo))
    return -1;
  return (hi << 1) | (lo >> 7);
}

int Winbond_W83627EHF_HardwareMonitor::CreateSensors() {
  for (int i = 0; i < voltageCount; ++i) {
    uint8_t v;
    if (!ReadBankedReg(*this, kRegVoltage[i], &v) || v == 0x00 || v == 0xFF) continue;
    auto* s = new CVoltageSensor(i);
    std::snprintf(s->name, sizeof(s->name), "VIN%d", i);
    AddSensorEverywhere(s);
    voltageSensors[i] = s;
  }
  for (int j = 0; j < temperatureCount; ++j) {
    int t = ReadTemperature(j);
    // An open thermal input reads -128 (0x80) or all ones.
    if (t < 0 || t == 0xFF || t == 0x80 || t == 0x1FF || t == 0x100) continue;
    auto* s = new CTemperatureSensor(j);
    std::snprintf(s->name, sizeof(s->name), "TMPIN%d", j);
    AddSensorEverywhere(s);
    temperatureSensors[j] = s;
  }
  Update();  // leaves bank 0 selected
  ApplyLabels();
  return 1;
}

int Winbond_W83627EHF_HardwareMonitor::Update() {
  for (int i = 0; i < voltageCount; ++i) {
    uint8_t v;
    if (voltageSensors[i] && ReadBankedReg(*this, kRegVoltage[i], &v)) {
      voltageSensors[i]->raw = v;
      voltageSensors[i]->input = v * kVoltStep;
    }
  }
  for (int j = 0; j < temperatureCount; ++j) {
    if (!temperatureSensors[j]) continue;
    int t = ReadTemperature(j);
    if (t >= 0) temperatureSensors[j]->raw = t;
  }
  bool relabel = false;
  for (int k = 0; k < fanCount; ++k) relabel |= StoreFanReading(&fanSensors[k], k, ReadFanRpm(k));
  RestoreBankZero(*this);
  if (relabel) ApplyLabels();
  ApplyConversions();
  ConvertUnlabelled(1, 2);
  return 1;
}
