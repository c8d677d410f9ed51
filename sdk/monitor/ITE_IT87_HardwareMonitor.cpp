#include "sdk/monitor/ITE_IT87_HardwareMonitor.h"

#include <cstdio>

#include "sdk/core/CSensor.h"
#include "sdk/monitor/BoardTables.h"
#include "sdk/monitor/DefaultLabelTables.h"

const char* ITE_IT87_HardwareMonitor::ChipName(int chipId) {
  switch (chipId & 0xFFFF) {
    case 0x8721: return "ITE IT8721";
    case 0x8728: return "ITE IT8728";
    case 0x8771:
    case 0x8772: return "ITE IT8772";
    default: return "ITE IT87";
  }
}

float ITE_IT87_HardwareMonitor::VoltStep(int chipId) {
  switch (chipId & 0xFFFF) {
    case 0x8721:
    case 0x8728:
    case 0x8771:
    case 0x8772: return 0.012f;
    default: return 0.016f;
  }
}

ITE_IT87_HardwareMonitor::ITE_IT87_HardwareMonitor(int code)
    : CHardwareMonitor(MONITOR_CHIP, (0x90 << 16) | (code & 0xFFFF)), chipCode(code), voltStep(VoltStep(code)) {
  std::snprintf(name, sizeof(name), "%s", ChipName(code));
  voltageTable = monitor_tables::kIt87Voltages;
  temperatureTable = monitor_tables::kIt87Temperatures;
  fanTable = monitor_tables::kIt87Fans;
  tableFamily = TABLES_ITE_IT87;
}

int ITE_IT87_HardwareMonitor::ReadFanCount(int k) {
  uint8_t mode, lo;
  if (!ReadReg(kRegFan16Bit, &mode) || !ReadReg(kRegFanLow[k], &lo)) return -1;
  // Fans 4 and 5 exist only in 16-bit mode, enabled by 0x0C bits 4 and 5.
  if (k >= 3 && !(mode & (1 << (k + 1)))) return -1;
  if (k >= 3 || (mode & (1 << k))) {
    uint8_t hi;
    if (!ReadReg(kRegFanHigh[k], &hi)) return -1;
    int count = hi << 8 | lo;
    return (count == 0 || count == 0xFFFF) ? -1 : count;
  }
  // 8-bit counter with divisor 2^n (0x0B: fan 1 bits 2:0, fan 2 bits 5:3,
  // fan 3 bit 6 selects 8 instead of 2).
  if (lo == 0 || lo == 0xFF) return -1;
  uint8_t div;
  if (!ReadReg(kRegFanDivisor, &div)) return -1;
  int shift = k == 0 ? (div & 7) : k == 1 ? ((div >> 3) & 7) : ((div & 0x40) ? 3 : 1);
  return (lo << shift) / 2;
}

void ITE_IT87_HardwareMonitor::ReadPwm(int k) {
  uint8_t v;
  if (!ReadReg(kRegPwm[k], &v)) return;
  if (!fanPwmSensors[k]) {
    auto* s = new CFanPwmSensor(k);
    std::snprintf(s->name, sizeof(s->name), "PWM%d", k + 1);
    AddSensorEverywhere(s);
    fanPwmSensors[k] = s;
  }
  auto* s = static_cast<CFanPwmSensor*>(fanPwmSensors[k]);
  s->raw = v;
  // In automatic mode the low bits name the temperature input that drives it.
  if (v & 0x80) s->pwm = v & 0x03;
  s->SetValue((v & 0x7F) * 100.0f / 128.0f, true);
}

int ITE_IT87_HardwareMonitor::CreateSensors() {
  for (int i = 0; i < 9; ++i) {
    uint8_t v;
    if (!ReadReg(kRegVoltage + i, &v) || v == 0x00 || v == 0xFF) continue;
    auto* s = new CVoltageSensor(i);
    std::snprintf(s->name, sizeof(s->name), "VIN%d", i);
    AddSensorEverywhere(s);
    voltageSensors[i] = s;
  }
  for (int j = 0; j < 3; ++j) {
    uint8_t t;
    if (!ReadReg(kRegTemperature + j, &t) || t == 0x80 || t == 0x7F) continue;
    auto* s = new CTemperatureSensor(j);
    std::snprintf(s->name, sizeof(s->name), "TMPIN%d", j);
    AddSensorEverywhere(s);
    temperatureSensors[j] = s;
  }
  Update();
  ApplyLabels();
  return 1;
}

int ITE_IT87_HardwareMonitor::Update() {
  for (int i = 0; i < 9; ++i) {
    uint8_t v;
    if (voltageSensors[i] && ReadReg(kRegVoltage + i, &v)) {
      voltageSensors[i]->raw = v;
      voltageSensors[i]->input = v * voltStep;
    }
  }
  for (int j = 0; j < 3; ++j) {
    uint8_t t;
    if (temperatureSensors[j] && ReadReg(kRegTemperature + j, &t)) temperatureSensors[j]->raw = t;
  }
  bool relabel = false;
  for (int k = 0; k < 5; ++k) relabel |= StoreFanReading(&fanSensors[k], k, ReadFanCount(k));
  for (int k = 0; k < 3; ++k) ReadPwm(k);
  if (relabel) ApplyLabels();
  ApplyConversions();
  ConvertUnlabelled(1, 1);
  return 1;
}

int ITE_IT87_HardwareMonitor::GetFanMode(int index, uint32_t cls, int* mode) {
  if (cls != SENSOR_FAN_PWM || index < 0 || index > 2) return 0;
  uint8_t v;
  if (!ReadReg(kRegPwm[index], &v)) return 0;
  *mode = (v & 0x80) ? FANMODE_AUTOMATIC : FANMODE_MANUAL;
  return 1;
}

int ITE_IT87_HardwareMonitor::SetFanMode(int index, uint32_t cls, int mode) {
  if (cls != SENSOR_FAN_PWM || index < 0 || index > 2) return 0;
  if (mode == FANMODE_AUTOMATIC) {
    int input = fanPwmSensors[index] ? static_cast<CFanPwmSensor*>(fanPwmSensors[index])->pwm & 3 : 0;
    return WriteReg(kRegPwm[index], static_cast<uint8_t>(0x80 | input));
  }
  if (mode == FANMODE_MANUAL) return WriteReg(kRegPwm[index], 0x7F);
  return 0;
}
