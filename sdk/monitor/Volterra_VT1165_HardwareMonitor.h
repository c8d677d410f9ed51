// Volterra VT1165 multi-phase regulator controller on a graphics card's I2C
// bus: the VID code the GPU asks for (register 0x1C), the controller's
// temperature (0x0A) and the output current (0x1E, scaled by the current
// sense setting in registers 0x04, 0x05 and 0x0E).
#pragma once

#include "sdk/monitor/CHardwareMonitor.h"

class Volterra_VT1165_HardwareMonitor : public CHardwareMonitor {
 public:
  static constexpr int kMonitorId = static_cast<int>(0xC002000Au);

  Volterra_VT1165_HardwareMonitor();
  int CreateSensors() override;
  int Update() override;

  // VID code (6 bits) to volts: 1.6125 V less 6.25 mV per step.
  static float VidVolts(int code) { return 1.6125f - 0.00625f * static_cast<float>(code & 0x3F); }
  // Current-sense table entry from registers 0x04 and 0x05.
  static int ScaleEntry(uint8_t reg04, uint8_t reg05);

  CSensor* voltage = nullptr;
  CSensor* temperature = nullptr;
  CSensor* current = nullptr;
  int currentScale = -1;

 private:
  // Reads the three channels; makes a sensor at its first reading. True
  // when one was made (labels are due).
  bool ReadChannels();
};
