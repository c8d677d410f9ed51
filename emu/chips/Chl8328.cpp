#include "emu/chips/Chl8328.h"

namespace emu {

Chl8328::Chl8328() { Apply(); }

int Chl8328::Code(int loop) const {
  const bool alternate = regs_[loop == 0 ? 0xD0 : 0xD2] & 0x40;
  const uint8_t first = loop == 0 ? (alternate ? 0xD1 : 0x5B) : (alternate ? 0xD3 : 0x5D);
  const uint8_t second = loop == 0 ? (alternate ? 0xB3 : 0x5C) : (alternate ? 0xB4 : 0x5E);
  return regs_[first] == 0xFF ? regs_[second] + 255 : regs_[first];
}

void Chl8328::Apply() {
  for (int i = 0; i < 2; ++i) loops[i].Set(0.245 + 0.005 * Code(i));
}

void Chl8328::Preset(uint8_t reg, uint8_t value) {
  regs_[reg] = value;
  Apply();
}

bool Chl8328::ReadByteData(uint8_t command, uint8_t* value) {
  *value = regs_[command];
  return true;
}

bool Chl8328::WriteByteData(uint8_t command, uint8_t value) {
  regs_[command] = value;
  Apply();
  return true;
}

}  // namespace emu
