#include "emu/gpu/CardRegulator.h"

namespace emu {

CardRegulator::CardRegulator(const Rail& rail, uint8_t bootCode) : rail_(rail) {
  Set(rail.reg, bootCode);
  if (rail.secondReg >= 0) Set(static_cast<uint8_t>(rail.secondReg), bootCode);
}

double CardRegulator::Volts() const { return rail_.base + (static_cast<int>(Get(rail_.reg)) - rail_.offset) * rail_.step; }

bool CardRegulator::WriteByteData(uint8_t command, uint8_t value) {
  ++writes_;
  return SmbusRegisterSlave::WriteByteData(command, value);
}

}  // namespace emu
