#include "emu/smbus/SmbusEepromSlave.h"

namespace emu {

SmbusEepromSlave::SmbusEepromSlave(const std::vector<uint8_t>& contents) {
  memory_.fill(0xFF);
  for (std::size_t i = 0; i < contents.size() && i < kSize; ++i) memory_[i] = contents[i];
}

bool SmbusEepromSlave::ReceiveByte(uint8_t* value) {
  *value = memory_[pointer_++];
  return true;
}

bool SmbusEepromSlave::ReadByteData(uint8_t command, uint8_t* value) {
  pointer_ = command;
  return ReceiveByte(value);
}

void SmbusEepromSlave::PageWrite(uint8_t start, const std::vector<uint8_t>& bytes) {
  const uint8_t page = start & ~(kPageSize - 1);
  uint8_t offset = start & (kPageSize - 1);
  for (uint8_t b : bytes) {
    if (!writeProtected) memory_[page | offset] = b;
    offset = (offset + 1) & (kPageSize - 1);
  }
  pointer_ = static_cast<uint8_t>(page | offset);
}

bool SmbusEepromSlave::WriteByteData(uint8_t command, uint8_t value) {
  PageWrite(command, {value});
  return true;
}

bool SmbusEepromSlave::WriteWordData(uint8_t command, uint16_t value) {
  PageWrite(command, {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)});
  return true;
}

bool SmbusEepromSlave::ReadBlockData(uint8_t command, std::vector<uint8_t>* bytes) {
  bytes->clear();
  pointer_ = command;
  for (unsigned i = 0; i < kSize; ++i) bytes->push_back(memory_[pointer_++]);
  return true;
}

bool SmbusEepromSlave::WriteBlockData(uint8_t command, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes;
  bytes.push_back(static_cast<uint8_t>(data.size()));
  bytes.insert(bytes.end(), data.begin(), data.end());
  PageWrite(command, bytes);
  return true;
}

}  // namespace emu
