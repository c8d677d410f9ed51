// Intersil ISL90727 128-tap digital potentiometer as an SMBus slave (data
// sheet FN8247): one 7-bit wiper register at address 0x00, reset to 0x40 at
// power-up. Other register addresses are not acknowledged. The wiper moves
// the rail it trims by the board's volts per tap around the centre.
#pragma once

#include <cstdint>

#include "emu/chips/RailOutput.h"
#include "emu/smbus/SmbusSlave.h"

namespace emu {

class Isl90727 : public SmbusSlave {
 public:
  static constexpr uint8_t kPowerUpWiper = 0x40;

  Isl90727(double nominal = 0.0, double voltsPerTap = 0.0);

  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  uint8_t Wiper() const { return wiper_; }

  RailOutput output;

 private:
  double nominal_, step_;
  uint8_t wiper_ = kPowerUpWiper;
};

}  // namespace emu
