// Analog Devices dBCool ADT7473, ADT7475 and ADT7476 fan and thermal
// controllers on the SMBus (7-bit address 0x2C to 0x2E; graphics cards carry
// one on their own I2C bus). Register map from the ADT7473/ADT7475 data
// sheets ("Register Map") as the Linux adt7475 driver reads it:
//
//   0x20-0x24  voltage inputs +2.5V, VCCP, VCC, +5V, +12V (high eight bits)
//   0x25-0x27  temperatures remote 1, local, remote 2 (high eight bits)
//   0x28-0x2F  tachometers 1-4, 16-bit counts of a 90 kHz clock, low byte
//              first (reading it latches the high byte)
//   0x30-0x32  PWM duty cycles 1-3 (0-255)
//   0x3D/0x3E/0x3F  device id (0x73 ADT7473, 0x75 ADT7475, 0x76 ADT7476),
//              vendor 0x41, revision (bits 7:3 = 01101, bits 2:0 stepping)
//   0x43       VID (ADT7476: bit 7 set makes the +12V pin VID5)
//   0x73/0x78/0x7C/0x7D  configuration 2, 3, 5 and 4
//   0x76/0x77  extended resolution 1 and 2: the two low bits of every
//              voltage (in0 bits 1:0 ... in4 bits 9:8) and temperature
//              (bits 11:10 ... 15:14); reading them first freezes the
//              value registers until those are read.
//
// Temperatures are ten bits in quarter degrees: in the default offset-64
// mode the reading is degrees + 64, with configuration 5 bit 0 set a two's
// complement number; a remote diode in fault reads -64 (offset-64) or
// -128 (two's complement) in the high byte. The driver reads only; it never
// starts monitoring or reprograms a fan output.
#pragma once

#include <cstdint>

#include "sdk/monitor/CHardwareMonitor.h"

class AnalogDevice_ADT7475_HardwareMonitor : public CHardwareMonitor {
 public:
  static constexpr uint16_t kRegVoltage[5] = {0x20, 0x21, 0x22, 0x23, 0x24};
  static constexpr MonitorTemperatureReg kRegTemperature[3] = {{0x25}, {0x26}, {0x27}};
  static constexpr uint16_t kRegTach[4] = {0x28, 0x2A, 0x2C, 0x2E};
  static constexpr uint8_t kRegPwm[3] = {0x30, 0x31, 0x32};
  static constexpr uint8_t kRegRevision = 0x3F, kRegVid = 0x43;
  static constexpr uint8_t kRegConfig2 = 0x73, kRegExtend1 = 0x76, kRegExtend2 = 0x77;
  static constexpr uint8_t kRegConfig3 = 0x78, kRegConfig5 = 0x7C, kRegConfig4 = 0x7D;
  // Tachometer clock × 60: rpm = 5400000 / count.
  static constexpr float kFanConstant = 5400000.0f;
  // The temperature sensors' raw readings: quarter degrees above -64 °C.
  static constexpr int kTemperatureZero = 256;

  explicit AnalogDevice_ADT7475_HardwareMonitor(uint32_t chipCode);

  // Rail volts of voltage input `i` for a ten-bit reading: the ADC's 2.25 V
  // full scale times the input's internal attenuator (none when bypassed).
  static float InputVolts(int i, int raw, bool bypassed);
  // Quarter degrees above -64 °C of a ten-bit reading in either mode.
  static int TemperatureRaw(int reading, bool twosComplement);

 protected:
  void BeginRefresh() override;
  bool ReadVoltage(int i, bool probing, int* raw) override;
  float VoltageInput(int i, int raw) override;
  int ReadTemperature(int j) override;
  int ReadFanCount(int k, int* pulses) override;
  bool ReadPwm(int k, bool probing) override;

 private:
  uint32_t chip_;
  // Configuration as read at the start of the refresh; -1 when a read failed.
  int config2_ = -1, config3_ = -1, config4_ = -1, config5_ = -1, revision_ = -1, vid_ = -1;
  int extended_ = -1;  // extended resolution 2 << 8 | 1
  int hasVoltage_ = 0;  // bit i: input i is wired to its pin
};
