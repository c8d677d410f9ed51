// Fintek F71882F family hardware monitor (F71862F, F71882F/FG, F71889F/ED/A,
// F71869 and later members), reached through the logical device 4 block at
// base + 5 (index) / base + 6 (data). Register map from the F71882F data
// sheet section 7.4 ("Hardware Monitor Registers").
#pragma once

#include "sdk/monitor/CHardwareMonitor.h"

class CSensor;

class Fintek_F71882F_HardwareMonitor : public CHardwareMonitor {
 public:
  // Registers (F71882F data sheet 7.4).
  static constexpr uint16_t kRegVoltages[9] = {0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28};  // 8 mV
  static constexpr MonitorTemperatureReg kRegTemperatures[3] = {{0x72}, {0x74}, {0x76}};  // degrees C
  static constexpr uint8_t kOpenTemperatures[3] = {0x7F, 0x80, 0xFF};
  static constexpr uint16_t kRegFan[4] = {0xA0, 0xB0, 0xC0, 0xD0};  // count high, low at +1
  static constexpr uint8_t kRegPwm[4] = {0xA3, 0xB3, 0xC3, 0xD3};  // duty 0-255
  static constexpr float kVoltStep = 0.008f;
  // Fan mode register: two bits per output, 0b11 = manual duty.
  static constexpr uint8_t kRegFanMode = 0x96, kAllFansManual = 0xFF;

  explicit Fintek_F71882F_HardwareMonitor(int chipCode);
  // Picks the board's temperature table, then probes the channels.
  int CreateSensors() override;
  int SetSensorValue(int index, uint32_t sensorClass, float value) override;
  // Gives the fans back the mode they had before a duty was set.
  void Close() override;

  // Fan inputs (and as many PWM outputs) of the chip.
  int FanCount() const;

  int chipCode;

 protected:
  // Shared with the F71808 family, which has no board tweaks and creates
  // its PWM sensors unread.
  Fintek_F71882F_HardwareMonitor(int chipCode, int monitorId, bool compact);
  int ReadFanCount(int k, int* pulses) override;
  bool ReadPwm(int k, bool probing) override;
  bool compact_ = false;

 private:
  // Saves the fan mode register and switches the outputs to manual duty
  // where the board needs it; false when that failed.
  bool TakeManualFanControl();
  int savedFanMode_ = -1;  // the mode register before our first write
};
