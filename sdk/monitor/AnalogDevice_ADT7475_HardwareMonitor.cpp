#include "sdk/monitor/AnalogDevice_ADT7475_HardwareMonitor.h"

#include <cstdio>

#include "sdk/core/CSensor.h"
#include "sdk/monitor/ChipFamilies.h"

namespace {

constexpr uint32_t kVendor = 0x41;
constexpr uint32_t kAdt7473 = 0x73, kAdt7476 = 0x76;

// Internal attenuator of each voltage input, {R1, R2} in kΩ: the pin sees
// V × R2 / (R1 + R2) (ADT7490 data sheet, which the family shares).
constexpr int kAttenuator[5][2] = {{45, 94}, {175, 525}, {68, 71}, {93, 47}, {120, 20}};
constexpr float kFullScale = 2.25f;

// Configuration bits.
constexpr int kConfig2Attenuators = 0x20;  // bypass every attenuator
constexpr int kConfig3SmbAlert = 0x01;     // pin 9 is SMBALERT, not PWM2
constexpr int kConfig3Therm = 0x02;        // THERM on the +2.5V pin (ADT7476)
constexpr int kConfig4PinFunction = 0x03;  // TACH4 pin: 0 = tachometer
constexpr int kConfig5TwosComplement = 0x01;
constexpr int kVidSelect = 0x80;  // ADT7476: the +12V pin is VID5

bool Bit(int reg, int mask) { return reg >= 0 && (reg & mask) != 0; }

}  // namespace

AnalogDevice_ADT7475_HardwareMonitor::AnalogDevice_ADT7475_HardwareMonitor(uint32_t chipCode)
    : CHardwareMonitor(MONITOR_CHIP, static_cast<int>(kVendor << 16 | (chipCode & 0xFFFF))), chip_(chipCode) {
  ApplyFamily(FindChipFamily(kVendor, chipCode));
  fanConstant = kFanConstant;
  registerMap.voltages = kRegVoltage;
  registerMap.temperatures = kRegTemperature;
  registerMap.fans = kRegTach;
  registerMap.pwms = 3;
  registerMap.temperatureRule = 5;
}

float AnalogDevice_ADT7475_HardwareMonitor::InputVolts(int i, int raw, bool bypassed) {
  const float pin = static_cast<float>(raw) * kFullScale / 1024.0f;
  if (bypassed) return pin;
  const int* r = kAttenuator[i];
  return pin * static_cast<float>(r[0] + r[1]) / static_cast<float>(r[1]);
}

int AnalogDevice_ADT7475_HardwareMonitor::TemperatureRaw(int reading, bool twosComplement) {
  if (!twosComplement) return reading;
  const int quarters = reading >= 512 ? reading - 1024 : reading;
  return quarters + kTemperatureZero;
}

void AnalogDevice_ADT7475_HardwareMonitor::BeginRefresh() {
  auto read = [this](uint8_t reg) {
    uint8_t v;
    return ReadReg(reg, &v) ? static_cast<int>(v) : -1;
  };
  config2_ = read(kRegConfig2);
  config3_ = read(kRegConfig3);
  config4_ = read(kRegConfig4);
  config5_ = read(kRegConfig5);
  revision_ = read(kRegRevision);
  // Extended resolution 2 first, then 1, then the value registers.
  const int extend2 = read(kRegExtend2), extend1 = read(kRegExtend1);
  extended_ = extend1 < 0 || extend2 < 0 ? 0 : extend2 << 8 | extend1;
  // VCCP and VCC always; the ADT7476 also +5V, and +2.5V and +12V when
  // their pins are not THERM and VID5.
  hasVoltage_ = 0x06;
  if (chip_ == kAdt7476) {
    hasVoltage_ |= 0x08;
    if ((config3_ >= 0 && !Bit(config3_, kConfig3Therm)) ||
        (config4_ >= 0 && (config4_ & kConfig4PinFunction) == 1))
      hasVoltage_ |= 0x01;
    vid_ = read(kRegVid);
    if (vid_ >= 0 && !Bit(vid_, kVidSelect)) hasVoltage_ |= 0x10;
  }
}

bool AnalogDevice_ADT7475_HardwareMonitor::ReadVoltage(int i, bool, int* raw) {
  if (!(hasVoltage_ & (1 << i))) return false;
  uint8_t v;
  if (!ReadReg(kRegVoltage[i], &v)) return false;
  *raw = v << 2 | ((extended_ >> (2 * i)) & 3);
  return true;
}

float AnalogDevice_ADT7475_HardwareMonitor::VoltageInput(int i, int raw) {
  int bypass = 0;
  if (Bit(config2_, kConfig2Attenuators)) bypass = 0x1B;
  else if (config4_ >= 0) bypass = ((config4_ & 0x30) >> 4) | ((config4_ & 0xC0) >> 3);
  return InputVolts(i, raw, (bypass & hasVoltage_ & (1 << i)) != 0);
}

int AnalogDevice_ADT7475_HardwareMonitor::ReadTemperature(int j) {
  uint8_t v;
  if (!ReadReg(kRegTemperature[j].reg, &v)) return -1;
  const bool twos = Bit(config5_, kConfig5TwosComplement);
  // A remote diode that is open or shorted reads the fault code.
  if (j != 1 && v == (twos ? 0x80 : 0x00)) return -1;
  return TemperatureRaw(v << 2 | ((extended_ >> (2 * (j + 5))) & 3), twos);
}

int AnalogDevice_ADT7475_HardwareMonitor::ReadFanCount(int k, int* pulses) {
  *pulses = 1;
  // The TACH4 pin may serve as THERM instead.
  if (k == 3 && (config4_ < 0 || (config4_ & kConfig4PinFunction) != 0)) return -1;
  uint8_t lo, hi;
  if (!ReadReg(kRegTach[k], &lo) || !ReadReg(kRegTach[k] + 1u, &hi)) return -1;
  const int count = hi << 8 | lo;
  // A stalled or absent fan lets the counter run out.
  return count == 0 || count == 0xFFFF ? -1 : count;
}

bool AnalogDevice_ADT7475_HardwareMonitor::ReadPwm(int k, bool) {
  if (k == 1) {
    // Pin 9 is PWM2 or SMBALERT; on the ADT7473-1 the bit means the reverse.
    if (config3_ < 0) return false;
    bool pwm2 = !Bit(config3_, kConfig3SmbAlert);
    if (chip_ == kAdt7473 && revision_ >= 0 && (revision_ & 7) >= 1) pwm2 = !pwm2;
    if (!pwm2) return false;
  }
  uint8_t duty;
  if (!ReadReg(kRegPwm[k], &duty)) return false;
  bool created = false;
  CFanPwmSensor* s = PwmSensor(k, &created);
  s->raw = duty;
  s->SetValue(duty * 100.0f / 255.0f, true);
  return created;
}
