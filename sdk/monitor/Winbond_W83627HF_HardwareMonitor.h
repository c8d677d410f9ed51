// Winbond W83627HF and the chips sharing its register map (W83627THF,
// W83697HF, W83637HF), behind their Super I/O (logical device 0x0B, base + 5
// / + 6) or the port-0x290 window. W83627HF data sheet section 8 ("Hardware
// Monitor Register Set"): 0x20-0x26 voltages (16 mV), 0x27 temperature 1,
// 0x28-0x2A fan counts, 0x47/0x4B/0x5D fan divisors, 0x4E bank select, bank 1
// and bank 2 0x50/0x51 temperatures 2 and 3 (9 bits, half degrees), 0x58
// chip id. On the W83627THF and W83637HF bit 0 of 0x18 (VRM & OVT
// configuration) puts VCORE (VIN0) on the VRM9 scale: 4.88 mV per count
// above 0.7 V (W83627THF data sheet 8.18, as the Linux w83627hf driver reads it).
#pragma once

#include "sdk/monitor/CHardwareMonitor.h"

class CSensor;

class Winbond_W83627HF_HardwareMonitor : public CHardwareMonitor {
 public:
  static constexpr uint16_t kRegVoltages[7] = {0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26};
  static constexpr MonitorTemperatureReg kRegTemperatures[3] = {{0x27}, {0x150, true}, {0x250, true}};
  static constexpr uint8_t kOpenTemperatures[2] = {0xFF, 0x80};
  static constexpr uint16_t kRegFans[3] = {0x28, 0x29, 0x2A};
  static constexpr uint8_t kRegVrmOvt = 0x18;
  static constexpr float kVoltStep = 0.016f, kVrm9Step = 0.00488f, kVrm9Offset = 0.7f;

  // chipCode: the hardware monitor's chip id in bits 16-23 (0x21, 0x90,
  // 0x60, 0x80), the Super I/O chip id below.
  explicit Winbond_W83627HF_HardwareMonitor(int chipCode);

  int chipCode;

 protected:
  // Reads the VRM & OVT configuration once per refresh.
  void BeginRefresh() override;
  float VoltageInput(int i, int raw) override;
  // In rpm (the default table's rule 2).
  int ReadFanCount(int k, int* pulses) override;

 private:
  bool vrm9_ = false;
};
