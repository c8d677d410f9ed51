#include "sdk/access/VIA_VT82_SMBusRegisterSpace.h"

#include "sdk/access/SMBusBufferedBlock.h"

int VIA_VT82_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  Out(kStatus, 0xDF);
  In(kStatus);
  Out(kAddress, static_cast<uint8_t>(slave << 1 | 1));
  Out(kCommand, command);
  uint8_t control = 0;
  if (!Get(kControl, &control)) return 0;
  Out(kControl, static_cast<uint8_t>((control & 0xA8) | kProtoByteData | kStart));
  Wait(1);
  uint8_t status = In(kStatus);
  for (int polls = 0; status & kBusy; ++polls) {
    if (polls >= 500) return 0;
    Wait(1);
    status = In(kStatus);
  }
  if (status & (kDevErr | kBusErr | kFailed)) return 0;
  *value = In(kData0);
  return 1;
}

int VIA_VT82_SMBusRegisterSpace::ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) {
  *low = *high = 0;
  Out(kStatus, 0xDF);
  Out(kAddress, static_cast<uint8_t>(slave << 1 | 1));
  Out(kCommand, command);
  uint8_t control = 0;
  if (!Get(kControl, &control)) return 0;
  Out(kControl, static_cast<uint8_t>((control & 0xEC) | kProtoWordData | kStart));
  Wait(1);
  uint8_t status = In(kStatus);
  for (int polls = 0; status & kBusy; ++polls) {
    if (polls >= pollLimit) return 0;
    Wait(1);
    status = In(kStatus);
  }
  if (status & (kDevErr | kBusErr | kFailed)) return 0;
  *low = In(kData0);
  *high = In(kData1);
  return 1;
}

int VIA_VT82_SMBusRegisterSpace::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  return WriteRegisters(slave, command, value, 0, kProtoByteData, 1000);
}

int VIA_VT82_SMBusRegisterSpace::WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) {
  return WriteRegisters(slave, command, low, high, kProtoWordData, 1000);
}

int VIA_VT82_SMBusRegisterSpace::ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) {
  return BufferedBlockRead(io, pollLimit, slave, command, buffer);
}

int VIA_VT82_SMBusRegisterSpace::WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) {
  return BufferedBlockWrite(io, pollLimit, slave, command, buffer, count);
}
