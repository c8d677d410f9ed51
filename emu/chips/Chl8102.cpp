#include "emu/chips/Chl8102.h"

namespace emu {

Chl8102::Chl8102(double base, double nominal, uint8_t code) : base_(base), nominal_(nominal) {
  regs_[kCode] = code;
  Apply();
}

void Chl8102::Apply() {
  const uint8_t c = regs_[kCode];
  output.Set(c & 0x80 ? base_ + 0.005 * (c & 0x7F) : nominal_);
}

bool Chl8102::ReadByteData(uint8_t command, uint8_t* value) {
  *value = regs_[command];
  return true;
}

bool Chl8102::WriteByteData(uint8_t command, uint8_t value) {
  regs_[command] = value;
  if (command == kCode) Apply();
  return true;
}

}  // namespace emu
