// The ATI SB400/SB600/SB700 and AMD SB800 SMBus host: Intel-compatible
// byte and word transactions, block transfers through the 32-byte buffer.
#pragma once

#include "sdk/access/Intel_ICH4_SMBusRegisterSpace.h"

class ATI_SB_SMBusRegisterSpace : public Intel_ICH4_SMBusRegisterSpace {
 public:
  explicit ATI_SB_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF)
      : Intel_ICH4_SMBusRegisterSpace(window, controller, Variant{.blocks = Blocks::kBuffered}) {}
  const char* ClassName() const override { return "ATI_SB_SMBusRegisterSpace"; }
};
