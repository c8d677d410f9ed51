#include "sdk/access/Kernel_SMBusRegisterSpace.h"

int Kernel_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  uint8_t v = 0;
  if (!adapter_->ReadByte(slave, command, &v)) return 0;
  *value = v;
  return 1;
}

int Kernel_SMBusRegisterSpace::ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) {
  *low = *high = 0;
  uint16_t w = 0;
  if (!adapter_->ReadWord(slave, command, &w)) return 0;
  *low = static_cast<uint8_t>(w);
  *high = static_cast<uint8_t>(w >> 8);
  return 1;
}

int Kernel_SMBusRegisterSpace::ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) {
  return adapter_->ReadBlock(slave, command, buffer);
}

int Kernel_SMBusRegisterSpace::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  return adapter_->WriteByte(slave, command, value) ? 1 : 0;
}

int Kernel_SMBusRegisterSpace::WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) {
  return adapter_->WriteWord(slave, command, static_cast<uint16_t>(high << 8 | low)) ? 1 : 0;
}

int Kernel_SMBusRegisterSpace::WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) {
  if (count < 1) return -1;
  if (count > kMaxBlock) count = kMaxBlock;
  return adapter_->WriteBlock(slave, command, buffer, count);
}
