// uPI uP6228 regulator controller as an SMBus slave: byte registers; the
// output follows the processor's VID (`vidVolts`) until bit 6 of register
// 0x27 is set, then the code in register 0x18 at 5 mV per step above
// 0.245 V.
#pragma once

#include <array>
#include <cstdint>

#include "emu/chips/RailOutput.h"
#include "emu/smbus/SmbusSlave.h"

namespace emu {

class Up6228 : public SmbusSlave {
 public:
  static constexpr uint8_t kCode = 0x18, kControl = 0x27, kOverride = 0x40;

  // The firmware's state at hand-over: the code and whether it is used.
  Up6228(double vidVolts, uint8_t code, bool override);

  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  uint8_t Get(uint8_t reg) const { return regs_[reg]; }

  RailOutput output;

 private:
  void Apply();
  double vid_;
  std::array<uint8_t, 256> regs_{};
};

}  // namespace emu
