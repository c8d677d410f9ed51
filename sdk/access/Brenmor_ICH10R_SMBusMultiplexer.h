// The bus switch of the vendor's ICH10R board, driven by GPIO 52 and 53
// (bits 20 and 21 of the ICH10R's second GPIO bank): both high connects
// segment 0, GPIO 53 high with GPIO 52 low segment 1.
#pragma once

#include "sdk/access/CMultiplexer.h"

class CIOSpace;

class Brenmor_ICH10R_SMBusMultiplexer : public CMultiplexer {
 public:
  static constexpr uint32_t kUseSelect2 = 0x30, kIoSelect2 = 0x34, kLevel2 = 0x38;
  static constexpr uint32_t kGpio52 = 1u << 20, kGpio53 = 1u << 21;

  explicit Brenmor_ICH10R_SMBusMultiplexer(CIOSpace* gpio);
  int SelectChannel(uint8_t channel) override;
  // Also makes both pins general-purpose outputs and drives an undefined
  // level combination to channel 0.
  uint8_t GetChannel() override;
  const char* ClassName() const override { return "Brenmor_ICH10R_SMBusMultiplexer"; }
};
