// Nuvoton NCT7802Y on the SMBus (7-bit address 0x28 to 0x2F). Register map
// from the NCT7802Y data sheet section 7 ("Register Description", bank 0):
// voltage high bytes 0x09/0x0A/0x0C/0x0D/0x0E with the low two bits in 0x0F,
// fan count high bytes 0x10-0x12 with the low five bits in 0x13. VCC counts
// 4 mV, the other inputs 2 mV. VSEN1-3 (0x0C-0x0E) share their pins with the
// remote diodes RTD1-3: the mode register 0x22 (two bits per pin, 0b11 =
// voltage) says which they are.
#pragma once

#include "sdk/monitor/CHardwareMonitor.h"

class CSensor;

class Nuvoton_NCT7802_HardwareMonitor : public CHardwareMonitor {
 public:
  static constexpr uint16_t kRegVoltage[5] = {0x09, 0x0A, 0x0C, 0x0D, 0x0E};
  static constexpr uint8_t kRegVoltageLow = 0x0F;  // bits 7:6
  static constexpr uint16_t kRegFan[3] = {0x10, 0x11, 0x12};
  static constexpr uint8_t kRegFanLow = 0x13;  // bits 7:3
  static constexpr uint8_t kRegMode = 0x22;
  static constexpr float kVoltStep = 0.002f, kVccStep = 0.004f;

  Nuvoton_NCT7802_HardwareMonitor();

 protected:
  // Reads the mode register once per refresh.
  void BeginRefresh() override;
  // Ten bits; VSEN1-3 only while their pin is in voltage mode.
  bool ReadVoltage(int i, bool probing, int* raw) override;
  float VoltageInput(int i, int raw) override;
  int ReadFanCount(int k, int* pulses) override;

 private:
  int mode_ = -1;  // register 0x22, -1 when it could not be read
};
