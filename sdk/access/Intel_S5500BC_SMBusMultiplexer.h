// The bus switch of Intel's S5500BC server board: GPIO 49 and 52 (bits 17
// and 20 of the ICH10R's second GPIO level register).
#pragma once

#include "sdk/access/CMultiplexer.h"

class CIOSpace;

class Intel_S5500BC_SMBusMultiplexer : public CMultiplexer {
 public:
  explicit Intel_S5500BC_SMBusMultiplexer(CIOSpace* gpio) : CMultiplexer(0x808634DA, gpio) {}
  int SelectChannel(uint8_t channel) override;
  uint8_t GetChannel() override;
  const char* ClassName() const override { return "Intel_S5500BC_SMBusMultiplexer"; }
};
