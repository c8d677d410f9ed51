#include "sdk/monitor/ITE_IT87_HardwareMonitor.h"

#include <cstdio>
#include <initializer_list>

#include "sdk/core/CSensor.h"
#include "sdk/monitor/ChipFamilies.h"
#include "sdk/monitor/DefaultLabelTables.h"

namespace {

bool In(int id, std::initializer_list<int> ids) {
  for (int i : ids)
    if (i == id) return true;
  return false;
}

}  // namespace

ITE_IT87_HardwareMonitor::Traits ITE_IT87_HardwareMonitor::TraitsOf(int chipId) {
  const int id = chipId & 0xFFFF;
  Traits t{0.016f, false, false, false, false};
  if (In(id, {0x8721, 0x8728, 0x8771, 0x8772, 0x8785, 0x8786, 0x8603, 0x8606, 0x8607, 0x8620, 0x8622, 0x8628,
              0x8686, 0x8688, 0x8689}))
    t.voltStep = 0.012f;
  else if (In(id, {0x8732, 0x8736, 0x8738, 0x8790, 0x8655, 0x8665}))
    t.voltStep = 0.0109f;
  else if (In(id, {0x8792, 0x8613, 0x8625}))
    t.voltStep = 0.011f;
  // The chips with the smaller steps are the newer generation: internal
  // dividers on 3VSB and VBAT, counters always 16 bits, duty registers.
  const bool newer = t.voltStep < 0.016f;
  t.scaledInputs = newer;
  t.always16Bit = newer;
  t.dutyRegisters = newer && id != 0x8736;
  t.fiveFans = In(id, {0x8716, 0x8718, 0x8720, 0x8721, 0x8728, 0x8613, 0x8620, 0x8622, 0x8625, 0x8628, 0x8665,
                       0x8686, 0x8688, 0x8689});
  return t;
}

ITE_IT87_HardwareMonitor::ITE_IT87_HardwareMonitor(int code)
    : CHardwareMonitor(MONITOR_CHIP, (0x90 << 16) | (code & 0xFFFF)),
      chipCode(code),
      traits(TraitsOf(code)),
      voltStep(traits.voltStep) {
  std::snprintf(name, sizeof(name), "ITE IT87");
  ApplyFamily(FindChipFamily(0x90, static_cast<uint32_t>(code)));
  // 3VSB and VBAT come back doubled from the newer chips (see Update).
  if (traits.scaledInputs) voltageTable = monitor_tables::kIt87ScaledVoltages;
  registerMap.voltages = kRegVoltages;
  registerMap.voltStep = voltStep;
  registerMap.temperatures = kRegTemperatures;
  registerMap.openTemperatures = kOpenTemperatures;
  registerMap.fans = kRegFanLow;
  registerMap.pwms = 3;
}

float ITE_IT87_HardwareMonitor::VoltageInput(int i, int raw) {
  // 3VSB (VIN7) and VBAT (VIN8) reach the newer chips' ADC halved.
  return static_cast<float>(raw) * voltStep * (traits.scaledInputs && i >= 7 ? 2 : 1);
}

int ITE_IT87_HardwareMonitor::ReadFanCount(int k, int* pulses) {
  *pulses = 2;
  uint8_t mode = 0, lo;
  if (!traits.always16Bit || k >= 3) {
    if (!ReadReg(kRegFan16Bit, &mode)) return -1;
  }
  // Fans 4 and 5 exist on the five-fan chips, enabled by 0x0C bits 4 and 5.
  if (k >= 3 && (!traits.fiveFans || !(mode & (1 << (k + 1))))) return -1;
  if (!ReadReg(kRegFanLow[k], &lo)) return -1;
  if (traits.always16Bit || k >= 3 || (mode & (1 << k))) {
    uint8_t hi;
    if (!ReadReg(kRegFanHigh[k], &hi)) return -1;
    int count = hi << 8 | lo;
    return (count == 0 || count == 0xFFFF) ? -1 : count;
  }
  // 8-bit counter with divisor 2^n (0x0B: fan 1 bits 2:0, fan 2 bits 5:3,
  // fan 3 bit 6 selects 8 instead of 2).
  if (lo == 0 || lo == 0xFF) return -1;
  uint8_t div;
  if (!ReadReg(kRegFanDivisor, &div)) return -1;
  int shift = k == 0 ? (div & 7) : k == 1 ? ((div >> 3) & 7) : ((div & 0x40) ? 3 : 1);
  *pulses = 1;
  return lo << shift;
}

bool ITE_IT87_HardwareMonitor::ReadPwm(int k, bool) {
  uint8_t v;
  if (!ReadReg(kRegPwm[k], &v)) return false;
  uint8_t duty = 0;
  if (traits.dutyRegisters && !ReadReg(kRegPwmDuty[k], &duty)) return false;
  bool created = false;
  CFanPwmSensor* s = PwmSensor(k, &created);
  s->raw = v;
  // In automatic mode the low bits name the temperature input that drives it.
  if (v & 0x80) s->pwm = v & 0x03;
  if (traits.dutyRegisters) {
    s->SetValue(duty * 100.0f / 255.0f, true);
  } else if (v & 0x80) {
    // The older chips report no duty while they drive the fan themselves.
    s->SetValue(-1.0f, false);
  } else {
    s->SetValue((v & 0x7F) * 100.0f / 128.0f, true);
  }
  return created;
}

int ITE_IT87_HardwareMonitor::GetFanMode(int index, uint32_t cls, int* mode) {
  if (cls != SENSOR_FAN_PWM || index < 0 || index > 2) return 0;
  uint8_t v;
  if (!ReadReg(kRegPwm[index], &v)) return 0;
  *mode = (v & 0x80) ? FANMODE_AUTOMATIC : FANMODE_MANUAL;
  return 1;
}

int ITE_IT87_HardwareMonitor::SetFanMode(int index, uint32_t cls, int mode) {
  if (cls != SENSOR_FAN_PWM || index < 0 || index > 2) return 0;
  if (mode == FANMODE_AUTOMATIC) {
    int input = fanPwmSensors[index] ? static_cast<CFanPwmSensor*>(fanPwmSensors[index])->pwm & 3 : 0;
    return WriteReg(kRegPwm[index], static_cast<uint8_t>(0x80 | input));
  }
  if (mode == FANMODE_MANUAL) return WriteReg(kRegPwm[index], 0x7F);
  return 0;
}
