#include "emu/smbus/Jc42ThermalSensor.h"

#include <cmath>

namespace emu {

Jc42ThermalSensor::Jc42ThermalSensor(double celsius, uint16_t manufacturer, uint16_t device) {
  regs_[0] = 0x0037;  // capability: alarms, range, accuracy, 0.25 degC resolution
  regs_[6] = manufacturer;
  regs_[7] = device;
  SetCelsius(celsius);
}

void Jc42ThermalSensor::SetCelsius(double celsius) {
  const int steps = static_cast<int>(std::lround(celsius * 16.0));
  regs_[5] = static_cast<uint16_t>(steps & 0x1FFF);
}

bool Jc42ThermalSensor::ReadByteData(uint8_t command, uint8_t* value) {
  if (command >= regs_.size()) return false;
  *value = static_cast<uint8_t>(regs_[command] >> 8);
  return true;
}

bool Jc42ThermalSensor::WriteByteData(uint8_t, uint8_t) { return false; }

bool Jc42ThermalSensor::ReadWordData(uint8_t command, uint16_t* value) {
  if (command >= regs_.size()) return false;
  // The first byte on the wire (the SMBus low byte) is the high byte.
  *value = static_cast<uint16_t>(regs_[command] >> 8 | (regs_[command] & 0xFF) << 8);
  return true;
}

bool Jc42ThermalSensor::WriteWordData(uint8_t command, uint16_t value) {
  // Configuration and the three limits are writable.
  if (command < 1 || command > 4) return false;
  regs_[command] = static_cast<uint16_t>(value >> 8 | (value & 0xFF) << 8);
  return true;
}

}  // namespace emu
