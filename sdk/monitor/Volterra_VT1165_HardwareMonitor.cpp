#include "sdk/monitor/Volterra_VT1165_HardwareMonitor.h"

#include <cstdio>

#include "sdk/core/CSensor.h"
#include "sdk/monitor/ChipFamilies.h"

namespace {

constexpr int kScaleTable[8] = {24, 36, 32, 28, 26, 38, 34, 30};

}  // namespace

Volterra_VT1165_HardwareMonitor::Volterra_VT1165_HardwareMonitor() : CHardwareMonitor(MONITOR_CHIP, kMonitorId) {
  ApplyFamily(FindChipFamily(0xC002, 0x0A));
  refreshDivider = 2;
}

int Volterra_VT1165_HardwareMonitor::ScaleEntry(uint8_t reg04, uint8_t reg05) {
  return kScaleTable[(reg05 & 1) * 4 + (reg04 >> 6)];
}

bool Volterra_VT1165_HardwareMonitor::ReadChannels() {
  bool made = false;
  uint8_t v = 0xFF;
  if (ReadReg(0x1C, &v)) {
    if (!voltage) {
      voltage = new CVoltageSensor(0);
      std::snprintf(voltage->name, sizeof(voltage->name), "VID");
      AddSensorEverywhere(voltage);
      made = true;
    }
    voltage->raw = v & 0x3F;
    voltage->input = VidVolts(v);
  }
  if (ReadReg(0x0A, &v)) {
    if (!temperature) {
      temperature = new CTemperatureSensor(0);
      std::snprintf(temperature->name, sizeof(temperature->name), "TMPIN0");
      AddSensorEverywhere(temperature);
      made = true;
    }
    temperature->raw = v;
  }
  if (ReadReg(0x1E, &v) && currentScale != -1) {
    if (!current) {
      current = new CCurrentSensor(0);
      std::snprintf(current->name, sizeof(current->name), "CIN0");
      AddSensorEverywhere(current);
      made = true;
    }
    current->raw = v & 0x7F;
    current->SetValue(static_cast<float>(current->raw) * static_cast<float>(currentScale) / 124.0f, true);
  }
  return made;
}

int Volterra_VT1165_HardwareMonitor::CreateSensors() {
  uint8_t v = 0xFF;
  if (ReadReg(0x1C, &v)) {
    voltage = new CVoltageSensor(0);
    std::snprintf(voltage->name, sizeof(voltage->name), "VID");
    AddSensorEverywhere(voltage);
    voltage->raw = v & 0x3F;
    voltage->input = VidVolts(v);
  }
  // Telemetry set-up of the controller (always written, as the vendor's
  // tools do before reading the temperature and current).
  WriteReg(0x08, 0x00);
  WriteReg(0x07, 0xA7);
  WriteReg(0x08, 0x81);
  if (ReadReg(0x0A, &v)) {
    temperature = new CTemperatureSensor(0);
    std::snprintf(temperature->name, sizeof(temperature->name), "TMPIN0");
    AddSensorEverywhere(temperature);
    temperature->raw = v;
  }
  // A failed read leaves 0xFF: the table still gives a scale.
  uint8_t r04 = 0xFF, r05 = 0xFF, r0E = 0xFF;
  ReadReg(0x04, &r04);
  ReadReg(0x05, &r05);
  ReadReg(0x0E, &r0E);
  currentScale = ScaleEntry(r04, r05) * r0E;
  if (ReadReg(0x1E, &v) && currentScale != -1) {
    current = new CCurrentSensor(0);
    std::snprintf(current->name, sizeof(current->name), "CIN0");
    AddSensorEverywhere(current);
    current->raw = v & 0x7F;
    current->SetValue(static_cast<float>(current->raw) * static_cast<float>(currentScale) / 124.0f, true);
  }
  ApplyLabels();
  ApplyConversions();
  return 1;
}

int Volterra_VT1165_HardwareMonitor::Update() {
  if (ReadChannels()) ApplyLabels();
  ApplyConversions();
  return 1;
}
