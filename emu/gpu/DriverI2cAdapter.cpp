#include "emu/gpu/DriverI2cAdapter.h"

namespace emu {

// The address and the command byte, both acknowledged.
SmbusSlave* DriverI2cAdapter::Addressed(uint8_t slave, uint8_t command) {
  ++transactions;
  SmbusSlave* device = slave < 0x80 ? bus_.Device(slave) : nullptr;
  return device && device->SendByte(command) ? device : nullptr;
}

bool DriverI2cAdapter::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  SmbusSlave* d = Addressed(slave, command);
  return d && d->ReadByteData(command, value);
}

bool DriverI2cAdapter::ReadWord(uint8_t slave, uint8_t command, uint16_t* value) {
  SmbusSlave* d = Addressed(slave, command);
  return d && d->ReadWordData(command, value);
}

bool DriverI2cAdapter::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  SmbusSlave* d = Addressed(slave, command);
  return d && d->WriteByteData(command, value);
}

bool DriverI2cAdapter::WriteWord(uint8_t slave, uint8_t command, uint16_t value) {
  SmbusSlave* d = Addressed(slave, command);
  return d && d->WriteWordData(command, value);
}

}  // namespace emu
