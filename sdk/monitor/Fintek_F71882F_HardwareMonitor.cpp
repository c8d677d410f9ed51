#include "sdk/monitor/Fintek_F71882F_HardwareMonitor.h"

#include <cstdio>

#include "sdk/core/CSensor.h"
#include "sdk/core/RoundToInt.h"
#include "sdk/monitor/BoardTables.h"
#include "sdk/monitor/ChipFamilies.h"

namespace {

constexpr int kStopped[] = {0x0000, 0x0FFF, 0xFFFF};
bool IsStopped(int count) {
  for (int c : kStopped)
    if (c == count) return true;
  return false;
}

const char* const kPwmNames[4] = {"CPU", "System Fan 1", "System Fan 2", "System Fan 3"};

}  // namespace

Fintek_F71882F_HardwareMonitor::Fintek_F71882F_HardwareMonitor(int code)
    : Fintek_F71882F_HardwareMonitor(code, 0x19340541, false) {}

Fintek_F71882F_HardwareMonitor::Fintek_F71882F_HardwareMonitor(int code, int id, bool compact)
    : CHardwareMonitor(MONITOR_CHIP, id), chipCode(code), compact_(compact) {
  std::snprintf(name, sizeof(name), "Fintek F718xx");
  fanConstant = 1500000.0f;
  ApplyFamily(FindChipFamily(0x1934, static_cast<uint32_t>(code)));
  const auto fans = static_cast<size_t>(FanCount());
  registerMap.voltages = kRegVoltages;
  registerMap.voltStep = kVoltStep;
  registerMap.temperatures = kRegTemperatures;
  registerMap.openTemperatures = kOpenTemperatures;
  registerMap.fans = std::span<const uint16_t>(kRegFan).first(fans);
  registerMap.pwms = static_cast<int>(fans);
}

int Fintek_F71882F_HardwareMonitor::FanCount() const {
  // Fan inputs and PWM outputs per chip, as the Linux f71882fg driver
  // counts them: four on the F71882FG only, two on the F71808A.
  switch (chipCode) {
    case 0x0541: return 4;
    case 0x1001: return 2;
    default: return 3;
  }
}

int Fintek_F71882F_HardwareMonitor::ReadFanCount(int k, int* pulses) {
  uint8_t hi, lo;
  int count = -1;
  if (ReadReg(kRegFan[k], &hi) && ReadReg(kRegFan[k] + 1u, &lo)) count = hi * 256 + lo;
  *pulses = 1;
  return IsStopped(count) ? -1 : count;
}

bool Fintek_F71882F_HardwareMonitor::ReadPwm(int k, bool probing) {
  // The F71808 family's outputs get their sensors unread at the probe.
  const bool createUnread = probing && compact_;
  uint8_t duty = 0xFF;
  bool ok = createUnread ? true : ReadReg(kRegPwm[k], &duty) != 0;
  if (!ok) return false;
  bool created = false;
  CFanPwmSensor* s = PwmSensor(k, &created, kPwmNames[k]);
  if (!createUnread) {
    s->raw = duty;
    s->SetValue(duty * 100.0f / 255.0f, true);
  }
  return created;
}

int Fintek_F71882F_HardwareMonitor::CreateSensors() {
  // Board tweaks (board ids of the NB and IOH groups).
  if (compact_) {
    // The F71808 family has no board tweaks.
  } else if (IsNbGroupBoard(boardId)) {
    uint8_t sel;
    if (ReadReg(0x0A, &sel)) {
      if ((sel & 3) == 0) temperatureTable = kNbTemperaturesNorthBridge;
      else if ((sel & 3) == 1) temperatureTable = kNbTemperaturesCpu;
    }
  }
  return CHardwareMonitor::CreateSensors();
}

int Fintek_F71882F_HardwareMonitor::SetSensorValue(int index, uint32_t cls, float value) {
  CSensor* s = GetSensor(cls, index);
  if (!s) return 1;
  if (cls == SENSOR_FAN_PWM) {
    for (int k = 0; k < 4; ++k) {
      if (fanPwmSensors[k] != s) continue;
      if (!TakeManualFanControl()) return 0;
      int duty = RoundToInt(value * 255.0 / 100.0);
      if (duty > 255) duty = 255;
      if (duty < 0) duty = 0;
      return WriteReg(kRegPwm[k], static_cast<uint8_t>(duty)) ? 1 : 0;
    }
  }
  return 1;
}

bool Fintek_F71882F_HardwareMonitor::TakeManualFanControl() {
  // The IOH boards' firmware leaves the fans in automatic (temperature
  // driven) mode, where a duty write has no effect: the first duty the user
  // sets switches every output to manual. Reading sensors never does.
  if (compact_ || !IsIohGroupBoard(boardId) || savedFanMode_ >= 0) return true;
  uint8_t mode;
  if (!ReadReg(kRegFanMode, &mode)) return false;
  if (!WriteReg(kRegFanMode, kAllFansManual)) return false;
  savedFanMode_ = mode;
  return true;
}

void Fintek_F71882F_HardwareMonitor::Close() {
  if (savedFanMode_ < 0) return;
  if (WriteReg(kRegFanMode, static_cast<uint8_t>(savedFanMode_))) savedFanMode_ = -1;
}
