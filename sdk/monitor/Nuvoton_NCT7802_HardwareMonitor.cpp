#include "sdk/monitor/Nuvoton_NCT7802_HardwareMonitor.h"

#include "sdk/monitor/ChipFamilies.h"

Nuvoton_NCT7802_HardwareMonitor::Nuvoton_NCT7802_HardwareMonitor() : CHardwareMonitor(MONITOR_CHIP, 0x5CA300C1) {
  ApplyFamily(FindChipFamily(0x50, 0xC3));
  registerMap.voltages = kRegVoltage;
  registerMap.voltStep = kVoltStep;
  registerMap.fans = kRegFan;
  // A pin switched to voltage mode later gets its sensor then.
  registerMap.voltagesAppear = true;
}

void Nuvoton_NCT7802_HardwareMonitor::BeginRefresh() {
  uint8_t mode;
  mode_ = ReadReg(kRegMode, &mode) ? mode : -1;
}

bool Nuvoton_NCT7802_HardwareMonitor::ReadVoltage(int i, bool, int* raw) {
  if (i >= 2 && (mode_ < 0 || ((mode_ >> (2 * (i - 2))) & 3) != 3)) return false;
  uint8_t h;
  if (!ReadReg(kRegVoltage[i], &h) || h == 0x00 || h == 0xFF) return false;
  // The low bits latch with the high byte: read them right after it.
  uint8_t l;
  ReadReg(kRegVoltageLow, &l);
  *raw = h * 4 + (l >> 6);
  return true;
}

float Nuvoton_NCT7802_HardwareMonitor::VoltageInput(int i, int raw) {
  return static_cast<float>(raw) * (i == 0 ? kVccStep : kVoltStep);
}

int Nuvoton_NCT7802_HardwareMonitor::ReadFanCount(int k, int* pulses) {
  // The low bits latch when the high byte is read: read the high byte
  // first. A failed read gives no count at all.
  *pulses = 1;
  uint8_t h, l;
  if (ReadReg(kRegFan[k], &h) && h != 0x00 && h != 0xFF && ReadReg(kRegFanLow, &l)) return (h << 5) | (l >> 3);
  return -1;
}
