// ITE IT87xx environment controller (IT8705F to IT8772E), on the Super I/O's
// logical device 4 block (base + 5 / + 6) or on the SMBus. Register map from
// the IT8718F data sheet section 8.3 ("Environment Controller Registers"):
// 0x0B fan divisors, 0x0C 16-bit fan counter enable, 0x0D-0x0F fan counts
// (low bytes in 16-bit mode) with the high bytes in 0x18-0x1A, fans 4 and 5
// at 0x80/0x81 and 0x82/0x83, 0x15-0x17 PWM controls, 0x20-0x28 voltages,
// 0x29-0x2B temperatures, 0x58 vendor id 0x90.
#pragma once

#include "sdk/monitor/CHardwareMonitor.h"

class CSensor;

class ITE_IT87_HardwareMonitor : public CHardwareMonitor {
 public:
  static constexpr uint8_t kRegFanDivisor = 0x0B, kRegFan16Bit = 0x0C;
  static constexpr uint8_t kRegFanLow[5] = {0x0D, 0x0E, 0x0F, 0x80, 0x82};
  static constexpr uint8_t kRegFanHigh[5] = {0x18, 0x19, 0x1A, 0x81, 0x83};
  static constexpr uint8_t kRegPwm[3] = {0x15, 0x16, 0x17};
  static constexpr uint8_t kRegVoltage = 0x20, kRegTemperature = 0x29, kRegVendor = 0x58;

  // chipCode: the Super I/O chip id in bits 0-15 (0 on the SMBus), the
  // chip's register 0x5B in bits 16-23.
  explicit ITE_IT87_HardwareMonitor(int chipCode);
  int Update() override;
  int CreateSensors() override;
  int GetFanMode(int index, uint32_t sensorClass, int* mode) override;
  int SetFanMode(int index, uint32_t sensorClass, int mode) override;

  static const char* ChipName(int chipId);
  // Volts per count: 12 mV on the IT8721/28/71/72, 16 mV on the others.
  static float VoltStep(int chipId);

  int chipCode;
  float voltStep;
  CSensor* voltageSensors[9] = {};
  CSensor* temperatureSensors[3] = {};
  CSensor* fanSensors[5] = {};
  CSensor* fanPwmSensors[3] = {};

 private:
  // The count scaled so that 1350000 / (count * 2) is the speed; -1 = stopped.
  int ReadFanCount(int k);
  void ReadPwm(int k);
};
