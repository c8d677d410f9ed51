// Silego SLG505YC264B clock generator at register level. The strap pins
// appear in byte 0 bits 7:5 and choose the base frequency; byte 1 bit 6
// selects the step per N count. With byte 17 bit 7 set, N comes from byte 16
// (bits 9:2) and byte 15 bits 7:6; otherwise the chip runs at the base N.
// Byte 12 is the byte count of a block read (16 after power-on).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "emu/smbus/SmbusSlave.h"

namespace emu {

class Slg505yc264b : public SmbusSlave {
 public:
  static constexpr int kImageSize = 32;
  static constexpr int kByteCountRegister = 12;
  static constexpr uint8_t kPowerOnByteCount = 16;

  // `strap` 0..7, `fineStep` the g bit; `output` receives the clock.
  Slg505yc264b(int strap, bool fineStep, std::function<void(double)> output);

  // The processor clock in MHz; 0 for strap 7 (no clock model).
  double Frequency() const;
  uint8_t Register(int reg) const { return regs_[reg]; }
  int BlockWrites() const { return blockWrites_; }

  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  bool ReadBlockData(uint8_t command, std::vector<uint8_t>* bytes) override;
  bool WriteBlockData(uint8_t command, const std::vector<uint8_t>& data) override;

 private:
  void Changed() {
    if (output_) output_(Frequency());
  }
  std::array<uint8_t, kImageSize> regs_{};
  std::function<void(double)> output_;
  int blockWrites_ = 0;
};

}  // namespace emu
