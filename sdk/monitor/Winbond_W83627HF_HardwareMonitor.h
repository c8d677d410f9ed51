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
  static constexpr uint8_t kRegVoltage = 0x20, kRegTemperature1 = 0x27, kRegFan = 0x28;
  static constexpr uint16_t kRegTemperature2 = 0x150, kRegTemperature3 = 0x250;
  static constexpr uint8_t kRegVrmOvt = 0x18;
  static constexpr float kVoltStep = 0.016f, kVrm9Step = 0.00488f, kVrm9Offset = 0.7f;

  // chipCode: the hardware monitor's chip id in bits 16-23 (0x21, 0x90,
  // 0x60, 0x80), the Super I/O chip id below.
  explicit Winbond_W83627HF_HardwareMonitor(int chipCode);
  int Update() override;
  int CreateSensors() override;

  int chipCode;
  int voltageCount, temperatureCount, fanCount;
  CSensor* voltageSensors[7] = {};
  CSensor* temperatureSensors[3] = {};
  CSensor* fanSensors[3] = {};
};
