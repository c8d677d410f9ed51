#include "sdk/access/Intel_ICH4_SMBusRegisterSpace.h"

int Intel_ICH4_SMBusRegisterSpace::ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) {
  return ReadWordRegisters(slave, command, low, high, kByteWordPolls);
}

int Intel_ICH4_SMBusRegisterSpace::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  return WriteRegisters(slave, command, value, 0, kProtoByteData, kByteWordPolls);
}

int Intel_ICH4_SMBusRegisterSpace::WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) {
  return WriteRegisters(slave, command, low, high, kProtoWordData, kByteWordPolls);
}

int Intel_ICH4_SMBusRegisterSpace::ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) {
  uint8_t aux = 0;
  bool haveAux = io && io->Read8(kAuxControl, &aux);
  if (haveAux) Out(kAuxControl, aux & ~0x02);
  int n = ReadBlockBytes(slave, command, buffer, true);
  if (haveAux) Out(kAuxControl, aux);
  return n;
}

int Intel_ICH4_SMBusRegisterSpace::WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) {
  uint8_t aux = 0;
  bool haveAux = io && io->Read8(kAuxControl, &aux);
  if (haveAux) Out(kAuxControl, aux & ~0x02);
  int n = WriteBlockBytes(slave, command, buffer, count, true, true);
  if (haveAux) Out(kAuxControl, aux);
  return n;
}
