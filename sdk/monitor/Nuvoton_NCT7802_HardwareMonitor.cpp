#include "sdk/monitor/Nuvoton_NCT7802_HardwareMonitor.h"

#include <cstdio>

#include "sdk/core/CSensor.h"
#include "sdk/monitor/ChipFamilies.h"

Nuvoton_NCT7802_HardwareMonitor::Nuvoton_NCT7802_HardwareMonitor() : CHardwareMonitor(MONITOR_CHIP, 0x5CA300C1) {
  ApplyFamily(FindChipFamily(0x50, 0xC3));
}

int Nuvoton_NCT7802_HardwareMonitor::CreateSensors() {
  Update();
  ApplyLabels();
  return 1;
}

int Nuvoton_NCT7802_HardwareMonitor::Update() {
  bool relabel = false;
  uint8_t mode;
  bool modeRead = ReadReg(kRegMode, &mode) != 0;
  for (int i = 0; i < 5; ++i) {
    // VSEN1-3 only while their pin is in voltage mode.
    if (i >= 2 && (!modeRead || ((mode >> (2 * (i - 2))) & 3) != 3)) continue;
    uint8_t h;
    if (!ReadReg(kRegVoltage[i], &h) || h == 0x00 || h == 0xFF) continue;
    if (!voltageSensors[i]) {
      auto* s = new CVoltageSensor(i);
      std::snprintf(s->name, sizeof(s->name), "VIN%d", i);
      AddSensorEverywhere(s);
      voltageSensors[i] = s;
      relabel = true;
    }
    // The low bits latch with the high byte: read them right after it.
    uint8_t l;
    ReadReg(kRegVoltageLow, &l);
    voltageSensors[i]->raw = h * 4 + (l >> 6);
    voltageSensors[i]->input = voltageSensors[i]->raw * (i == 0 ? kVccStep : kVoltStep);
  }
  for (int k = 0; k < 3; ++k) {
    // The low bits latch when the high byte is read: read
    // the high byte first. A failed read gives no count at all.
    uint8_t h, l;
    int count = -1;
    if (ReadReg(kRegFan[k], &h) && h != 0x00 && h != 0xFF && ReadReg(kRegFanLow, &l)) count = (h << 5) | (l >> 3);
    relabel |= StoreFanReading(&fanSensors[k], k, count, 1);
  }
  if (relabel) ApplyLabels();
  ApplyConversions();
  ConvertUnlabelled(1, 1);
  return 1;
}
