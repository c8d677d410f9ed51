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
  static constexpr uint16_t kRegVoltages[9] = {0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28};
  static constexpr MonitorTemperatureReg kRegTemperatures[3] = {{0x29}, {0x2A}, {0x2B}};
  static constexpr uint8_t kOpenTemperatures[2] = {0x80, 0x7F};
  static constexpr uint16_t kRegFanLow[5] = {0x0D, 0x0E, 0x0F, 0x80, 0x82};
  static constexpr uint8_t kRegFanHigh[5] = {0x18, 0x19, 0x1A, 0x81, 0x83};
  static constexpr uint8_t kRegPwm[3] = {0x15, 0x16, 0x17};
  static constexpr uint8_t kRegPwmDuty[3] = {0x63, 0x6B, 0x73};
  static constexpr uint8_t kRegVendor = 0x58;

  // chipCode: the Super I/O chip id in bits 0-15 (0 on the SMBus), the
  // chip's register 0x5B in bits 16-23.
  explicit ITE_IT87_HardwareMonitor(int chipCode);
  int GetFanMode(int index, uint32_t sensorClass, int* mode) override;
  int SetFanMode(int index, uint32_t sensorClass, int mode) override;

  // What the chips differ in, as the Linux it87 driver's device table marks
  // them (by the Super I/O chip id).
  struct Traits {
    float voltStep;      // volts per count: 16 mV, 12 mV, 10.9 mV or 11 mV
    bool scaledInputs;   // VIN7 (3VSB) and VIN8 (VBAT) halved inside the chip
    bool always16Bit;    // fan counters always 16 bits, 0x0C bits 0-2 reserved
    bool fiveFans;       // fans 4 and 5 (enabled by 0x0C bits 4 and 5)
    bool dutyRegisters;  // duty reported in 0x63/0x6B/0x73 in every mode
  };
  static Traits TraitsOf(int chipId);
  // Volts per count of a chip.
  static float VoltStep(int chipId) { return TraitsOf(chipId).voltStep; }

  int chipCode;
  Traits traits;
  float voltStep;

 protected:
  float VoltageInput(int i, int raw) override;
  // `*pulses` is 2 for a 16-bit counter (1350000 / (count * 2) rpm) and 1
  // for an 8-bit count with its divisor applied (1350000 / count).
  int ReadFanCount(int k, int* pulses) override;
  bool ReadPwm(int k, bool probing) override;
};
