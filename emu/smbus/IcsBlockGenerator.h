// The ICS 9PLRS1xx clock generators at register level: a 32-byte register
// image read and written with SMBus block transfers (single bytes work as
// well). Byte 8 is the byte count the chip announces on a block read
// (26 after power-on). Each synthesiser has a 6-bit divider M (bits 5:0 of
// its M byte), N bits 2:1 (bits 7:6 of the M byte) and N bits 10:3 (its N
// byte), and runs at reference × N / M. Until software sets the
// synthesiser's enable bit the chip runs from the power-on N latched in the
// copy bytes and its N byte reads 0.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "emu/smbus/SmbusSlave.h"

namespace emu {

class IcsBlockGenerator : public SmbusSlave {
 public:
  static constexpr int kImageSize = 32;
  static constexpr int kByteCountRegister = 8;
  static constexpr uint8_t kPowerOnByteCount = 26;

  struct Synthesiser {
    int mByte, nByte, firstCopy;
    int enableByte;
    uint8_t enableMask;
    std::function<void(double mhz)> output;  // where the clock goes
  };

  // Frequency of synthesiser `index` (MHz), or 0 when it has no clock.
  double FrequencyOf(size_t index) const;
  uint8_t Register(int reg) const { return regs_[reg]; }
  // Block writes received (tests).
  int BlockWrites() const { return blockWrites_; }

  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  bool ReadBlockData(uint8_t command, std::vector<uint8_t>* bytes) override;
  bool WriteBlockData(uint8_t command, const std::vector<uint8_t>& data) override;

 protected:
  IcsBlockGenerator(double referenceMHz, std::vector<Synthesiser> synthesisers);
  // Power-on state of synthesiser `index` for `mhz` (the N, M pair closest
  // to it); pushes the clock to its output.
  void PowerOn(size_t index, double mhz);
  uint8_t Visible(int reg) const;
  void Changed();

  double reference_;
  std::vector<Synthesiser> synths_;
  std::array<uint8_t, kImageSize> regs_{};
  int blockWrites_ = 0;
};

}  // namespace emu
