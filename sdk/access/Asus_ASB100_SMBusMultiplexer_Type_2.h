// The bus switch of Asus boards with the ASB100 monitor: bit 4 of register
// 0xF1 of logical device 8 of the Winbond Super I/O at 0x2E.
#pragma once

#include "sdk/access/CMultiplexer.h"

class CConfigMode;

class Asus_ASB100_SMBusMultiplexer_Type_2 : public CMultiplexer {
 public:
  // Takes `mode` (a Winbond configuration mode) over.
  explicit Asus_ASB100_SMBusMultiplexer_Type_2(CConfigMode* mode) : CMultiplexer(0x12C35902, mode) {}
  ~Asus_ASB100_SMBusMultiplexer_Type_2() override;
  int SelectChannel(uint8_t channel) override;
  uint8_t GetChannel() override;
  const char* ClassName() const override { return "Asus_ASB100_SMBusMultiplexer_Type_2"; }
};
