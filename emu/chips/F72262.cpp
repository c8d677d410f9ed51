#include "emu/chips/F72262.h"

namespace emu {

F72262::F72262(Channels channels) : channels_(channels) { Apply(); }

void F72262::Apply() {
  for (int i = 0; i < 3; ++i) {
    const uint8_t r = regs_[1 + i];
    const int code = r & 0x3F;
    const Channel& c = channels_[i];
    outputs[i].Set(r & 0x40 ? c.nominal - code * c.stepDown : c.nominal + code * c.stepUp);
  }
}

bool F72262::ReadByteData(uint8_t command, uint8_t* value) {
  *value = regs_[command];
  return true;
}

bool F72262::WriteByteData(uint8_t command, uint8_t value) {
  regs_[command] = value;
  Apply();
  return true;
}

}  // namespace emu
