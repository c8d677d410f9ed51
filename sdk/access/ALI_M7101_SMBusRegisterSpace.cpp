#include "sdk/access/ALI_M7101_SMBusRegisterSpace.h"

bool ALI_M7101_SMBusRegisterSpace::Transfer(uint8_t address, uint8_t command, uint8_t value, uint8_t* status) {
  Out(0, 0xFF);
  *status = In(0);
  for (int n = 0; !(*status & 0x04) || *status == 0xFF; ++n) {
    if (n >= pollLimit) return false;
    Wait(1);
    *status = In(0);
  }
  Out(3, address);
  Out(1, 0x20);  // byte data
  Out(7, command);
  Out(4, value);
  *status = In(0);
  if (*status & 0x10) Out(0, 0x10);
  Out(2, 0xFF);  // start
  *status = In(0);
  for (int n = 0; (*status & 0x08) && !(*status & 0x04); ++n) {
    if (n >= pollLimit) return false;
    Wait(1);
    *status = In(0);
  }
  return true;
}

int ALI_M7101_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  uint8_t status = 0;
  if (!Transfer(static_cast<uint8_t>(slave << 1 | 1), command, 0, &status) || Failed(status)) return 0;
  *value = In(4);
  return 1;
}

int ALI_M7101_SMBusRegisterSpace::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  uint8_t status = 0;
  // A write fails on the same status bits as a read.
  return Transfer(static_cast<uint8_t>(slave << 1), command, value, &status) && !Failed(status) ? 1 : 0;
}
