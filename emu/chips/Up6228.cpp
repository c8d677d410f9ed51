#include "emu/chips/Up6228.h"

namespace emu {

Up6228::Up6228(double vidVolts, uint8_t code, bool override) : vid_(vidVolts) {
  regs_[kCode] = code;
  regs_[kControl] = override ? kOverride : 0;
  Apply();
}

void Up6228::Apply() {
  output.Set(regs_[kControl] & kOverride ? 0.245 + 0.005 * regs_[kCode] : vid_);
}

bool Up6228::ReadByteData(uint8_t command, uint8_t* value) {
  *value = regs_[command];
  return true;
}

bool Up6228::WriteByteData(uint8_t command, uint8_t value) {
  regs_[command] = value;
  if (command == kCode || command == kControl) Apply();
  return true;
}

}  // namespace emu
