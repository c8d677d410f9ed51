// A supply regulator of the board vendor's own graphics cards: one byte
// register (two on the GPU core rail, both taking the same code) whose
// code sets the output, volts = base + (code - offset) × step. The card's
// BIOS programs the boot code; the output follows every write at once.
#pragma once

#include <cstdint>

#include "emu/smbus/SmbusRegisterSlave.h"

namespace emu {

class CardRegulator : public SmbusRegisterSlave {
 public:
  struct Rail {
    uint8_t reg;
    int secondReg;  // -1: none
    double base, step;
    int offset;
  };
  CardRegulator(const Rail& rail, uint8_t bootCode);

  // The output the code in the main register sets.
  double Volts() const;
  int Writes() const { return writes_; }

  bool WriteByteData(uint8_t command, uint8_t value) override;

 private:
  Rail rail_;
  int writes_ = 0;
};

}  // namespace emu
