#include "emu/chips/Vt1186m.h"

namespace emu {

Vt1186m::Vt1186m(uint8_t bootCode) {
  regs_[kTarget] = regs_[kOutput] = bootCode;
  Apply();
}

bool Vt1186m::ReadByteData(uint8_t command, uint8_t* value) {
  *value = regs_[command];
  return true;
}

bool Vt1186m::WriteByteData(uint8_t command, uint8_t value) {
  if (command == kOutput) return true;  // read-only
  if (command == kControl && (value & 0x10) && regs_[kKey] == 0x55) {
    regs_[kOutput] = regs_[kTarget];
    regs_[kKey] = 0;
    regs_[kControl] = value & ~0x10;
    Apply();
    return true;
  }
  regs_[command] = value;
  return true;
}

}  // namespace emu
