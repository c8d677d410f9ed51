// CHiL CHL8328 dual-loop regulator controller as an SMBus slave. Each loop
// takes its code from one of two register pairs, chosen by bit 6 of its
// select register (0xD0 loop 1, 0xD2 loop 2): set, (0xD1, 0xB3) /
// (0xD3, 0xB4); clear, (0x5B, 0x5C) / (0x5D, 0x5E). A first register of
// 0xFF extends the code by the second register (code = second + 255); the
// output is 0.245 V plus 5 mV per code step.
#pragma once

#include <array>
#include <cstdint>

#include "emu/chips/RailOutput.h"
#include "emu/smbus/SmbusSlave.h"

namespace emu {

class Chl8328 : public SmbusSlave {
 public:
  Chl8328();

  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  uint8_t Get(uint8_t reg) const { return regs_[reg]; }
  // Firmware set-up: a register's value at hand-over.
  void Preset(uint8_t reg, uint8_t value);
  // The code loop n (0, 1) follows now.
  int Code(int loop) const;

  std::array<RailOutput, 2> loops;

 private:
  void Apply();
  std::array<uint8_t, 256> regs_{};
};

}  // namespace emu
