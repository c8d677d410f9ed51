#include "emu/chips/Isl90727.h"

namespace emu {

Isl90727::Isl90727(double nominal, double voltsPerTap) : nominal_(nominal), step_(voltsPerTap) {
  output.Set(nominal_);
}

bool Isl90727::ReadByteData(uint8_t command, uint8_t* value) {
  if (command != 0x00) return false;
  *value = wiper_;
  return true;
}

bool Isl90727::WriteByteData(uint8_t command, uint8_t value) {
  if (command != 0x00) return false;
  wiper_ = value & 0x7F;
  output.Set(nominal_ + (wiper_ - kPowerUpWiper) * step_);
  return true;
}

}  // namespace emu
