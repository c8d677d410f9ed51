// VT1186M regulator controller as an SMBus slave: the output code in 0x1C
// (VR11-style, 6.25 mV per step below 1.6125 V). A new code written to 0x18
// takes effect when bit 4 of 0x19 is set while 0x1D holds the unlock key
// 0x55; the bit then clears and the key is consumed.
#pragma once

#include <array>
#include <cstdint>

#include "emu/chips/RailOutput.h"
#include "emu/smbus/SmbusSlave.h"

namespace emu {

class Vt1186m : public SmbusSlave {
 public:
  static constexpr uint8_t kTarget = 0x18, kControl = 0x19, kOutput = 0x1C, kKey = 0x1D;

  explicit Vt1186m(uint8_t bootCode);

  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  uint8_t Get(uint8_t reg) const { return regs_[reg]; }

  RailOutput output;

 private:
  void Apply() { output.Set(1.6125 - 0.00625 * regs_[kOutput]); }
  std::array<uint8_t, 256> regs_{};
};

}  // namespace emu
