// A generic slave with 256 byte registers addressed by the SMBus command
// byte, plus optional block registers for the block protocols. Boards use it
// as a stand-in for chips whose full model lives elsewhere; tests use it to
// see exactly what the host wrote.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "emu/smbus/SmbusSlave.h"

namespace emu {

class SmbusRegisterSlave : public SmbusSlave {
 public:
  SmbusRegisterSlave() { regs_.fill(0); }

  void Set(uint8_t reg, uint8_t value) { regs_[reg] = value; }
  uint8_t Get(uint8_t reg) const { return regs_[reg]; }
  // Makes `command` answer a block read with `data` (announcing data.size()
  // bytes unless `announced` says otherwise).
  void SetBlock(uint8_t command, std::vector<uint8_t> data, int announced = -1);
  // The last block written to `command` (empty if none).
  const std::vector<uint8_t>& Block(uint8_t command) const;
  // Registers that refuse writes (the data byte is not acknowledged).
  void SetReadOnly(uint8_t reg, bool readOnly = true) { readOnly_[reg] = readOnly; }

  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  bool ReadBlockData(uint8_t command, std::vector<uint8_t>* bytes) override;
  bool WriteBlockData(uint8_t command, const std::vector<uint8_t>& data) override;

 private:
  std::array<uint8_t, 256> regs_;
  std::array<bool, 256> readOnly_{};
  std::map<uint8_t, std::vector<uint8_t>> blocks_;  // as sent, count byte first
  std::map<uint8_t, std::vector<uint8_t>> written_;
};

}  // namespace emu
