// CHiL CHL8102 regulator controller as an SMBus slave: register 0x62 holds
// the output code (bits 6:0, 5 mV per step above `base`), used while bit 7
// is set; otherwise the output stays at `nominal`.
#pragma once

#include <array>
#include <cstdint>

#include "emu/chips/RailOutput.h"
#include "emu/smbus/SmbusSlave.h"

namespace emu {

class Chl8102 : public SmbusSlave {
 public:
  static constexpr uint8_t kCode = 0x62;

  Chl8102(double base, double nominal, uint8_t code);

  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  uint8_t Get(uint8_t reg) const { return regs_[reg]; }

  RailOutput output;

 private:
  void Apply();
  double base_, nominal_;
  std::array<uint8_t, 256> regs_{};
};

}  // namespace emu
