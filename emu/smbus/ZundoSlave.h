// The board vendor's hand-held overclocking device as its SMBus header sees
// it: a byte-register slave answering "ZU" at registers 0 and 1 (which
// refuse writes) and holding what software writes into its display
// registers, 16-bit words low byte first from register 2 on. It records
// every byte it receives, with the machine time, so that tests and
// `torvikctl zundo` can show what arrived and when.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "emu/smbus/SmbusSlave.h"

namespace emu {

class EmulatedMachine;
class SmbusBus;
class TimeBase;

class ZundoSlave : public SmbusSlave {
 public:
  struct Received {
    uint64_t timeNs;
    uint8_t reg;
    uint8_t value;
  };

  // Where the vendor's boards have it plugged in.
  static constexpr uint8_t kBoardAddress = 0x5C;

  explicit ZundoSlave(const TimeBase* time = nullptr);

  // Plugs a device into the board's header: on the common segment of `bus`,
  // named "zundo@0x5c" among the machine's chips.
  static std::shared_ptr<ZundoSlave> Plug(EmulatedMachine& m, SmbusBus& bus, uint8_t address = kBoardAddress);

  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;

  // Every byte written, in order.
  const std::vector<Received>& Log() const { return log_; }
  // The word shown from register `reg` (low) and `reg + 1` (high).
  uint16_t Word(uint8_t reg) const { return static_cast<uint16_t>(regs_[reg] | regs_[reg + 1] << 8); }
  uint8_t Register(uint8_t reg) const { return regs_[reg]; }
  // How many value sets began (writes to the first display register).
  int ValueSets() const;
  void ClearLog() { log_.clear(); }

 private:
  const TimeBase* time_;
  std::array<uint8_t, 256> regs_{};
  std::vector<Received> log_;
};

}  // namespace emu
