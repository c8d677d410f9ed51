// The bus switch of Asus's P5M2 board: bit 2 of the ICH7's GPIO level
// byte at 0x38 is the channel.
#pragma once

#include "sdk/access/CMultiplexer.h"

class CIOSpace;

class Asus_P5M2_SMBusMultiplexer : public CMultiplexer {
 public:
  explicit Asus_P5M2_SMBusMultiplexer(CIOSpace* gpio) : CMultiplexer(0x10438190, gpio) {}
  int SelectChannel(uint8_t channel) override;
  uint8_t GetChannel() override;
  const char* ClassName() const override { return "Asus_P5M2_SMBusMultiplexer"; }

 private:
  static constexpr uint8_t kBit = 1u << 2;
};
