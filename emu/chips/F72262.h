// Fintek F72262 three-channel offset DAC as an SMBus slave: registers
// 0x01..0x03 hold each channel's code (bits 5:0) and direction (bit 6 set:
// below). Each channel offsets a regulator's feedback so that its rail moves
// from the nominal voltage by the board's volts per code step, up or down.
#pragma once

#include <array>
#include <cstdint>

#include "emu/chips/RailOutput.h"
#include "emu/smbus/SmbusSlave.h"

namespace emu {

class F72262 : public SmbusSlave {
 public:
  struct Channel {
    double nominal, stepUp, stepDown;
  };
  using Channels = std::array<Channel, 3>;

  F72262() : F72262(Channels{}) {}
  explicit F72262(Channels channels);

  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  uint8_t Get(uint8_t reg) const { return regs_[reg]; }

  std::array<RailOutput, 3> outputs;

 private:
  void Apply();
  std::array<Channel, 3> channels_;
  std::array<uint8_t, 256> regs_{};
};

}  // namespace emu
