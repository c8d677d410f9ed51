// The ICH4 and later Intel SMBus hosts (ICH4 to the 7-series PCH): the ICH
// register set with the auxiliary control register; block transfers run
// byte by byte with the 32-byte buffer switched off for their duration.
#pragma once

#include "sdk/access/Intel_ICH1_SMBusRegisterSpace.h"

class Intel_ICH4_SMBusRegisterSpace : public Intel_ICH1_SMBusRegisterSpace {
 public:
  explicit Intel_ICH4_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF)
      : Intel_ICH1_SMBusRegisterSpace(window, controller, 200, Variant{.blocks = Blocks::kByteByByteAux}) {}
  const char* ClassName() const override { return "Intel_ICH4_SMBusRegisterSpace"; }

 protected:
  Intel_ICH4_SMBusRegisterSpace(CIOSpace* window, uint32_t controller, const Variant& v)
      : Intel_ICH1_SMBusRegisterSpace(window, controller, 200, v) {}
};
