#include "emu/smbus/SmbusRegisterSlave.h"

namespace emu {

void SmbusRegisterSlave::SetBlock(uint8_t command, std::vector<uint8_t> data, int announced) {
  std::vector<uint8_t> bytes;
  bytes.push_back(static_cast<uint8_t>(announced >= 0 ? announced : static_cast<int>(data.size())));
  bytes.insert(bytes.end(), data.begin(), data.end());
  blocks_[command] = std::move(bytes);
}

const std::vector<uint8_t>& SmbusRegisterSlave::Block(uint8_t command) const {
  static const std::vector<uint8_t> kEmpty;
  auto it = written_.find(command);
  return it == written_.end() ? kEmpty : it->second;
}

bool SmbusRegisterSlave::ReadByteData(uint8_t command, uint8_t* value) {
  pointer_ = command;
  *value = regs_[command];
  return true;
}

bool SmbusRegisterSlave::WriteByteData(uint8_t command, uint8_t value) {
  pointer_ = command;
  if (readOnly_[command]) return false;
  regs_[command] = value;
  return true;
}

bool SmbusRegisterSlave::ReadBlockData(uint8_t command, std::vector<uint8_t>* bytes) {
  auto it = blocks_.find(command);
  if (it == blocks_.end()) return false;
  *bytes = it->second;
  return true;
}

bool SmbusRegisterSlave::WriteBlockData(uint8_t command, const std::vector<uint8_t>& data) {
  written_[command] = data;
  return true;
}

}  // namespace emu
