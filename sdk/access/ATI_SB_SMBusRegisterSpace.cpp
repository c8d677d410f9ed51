#include "sdk/access/ATI_SB_SMBusRegisterSpace.h"

#include "sdk/access/SMBusBufferedBlock.h"

int ATI_SB_SMBusRegisterSpace::ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) {
  return BufferedBlockRead(io, pollLimit, slave, command, buffer);
}

int ATI_SB_SMBusRegisterSpace::WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) {
  return BufferedBlockWrite(io, pollLimit, slave, command, buffer, count);
}
