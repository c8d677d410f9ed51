#include "emu/smbus/SmbusSlave.h"

namespace emu {

bool SmbusSlave::ReceiveByte(uint8_t* value) { return ReadByteData(pointer_, value); }

bool SmbusSlave::SendByte(uint8_t value) {
  pointer_ = value;
  return true;
}

bool SmbusSlave::ReadWordData(uint8_t command, uint16_t* value) {
  uint8_t lo = 0, hi = 0;
  if (!ReadByteData(command, &lo) || !ReadByteData(static_cast<uint8_t>(command + 1), &hi)) return false;
  *value = static_cast<uint16_t>(hi << 8 | lo);
  return true;
}

bool SmbusSlave::WriteWordData(uint8_t command, uint16_t value) {
  return WriteByteData(command, static_cast<uint8_t>(value)) &&
         WriteByteData(static_cast<uint8_t>(command + 1), static_cast<uint8_t>(value >> 8));
}

}  // namespace emu
