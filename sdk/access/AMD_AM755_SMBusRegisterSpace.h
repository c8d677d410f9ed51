// The AMD-755/756/766/768 SMBus host: 16-bit registers, global status 0
// (busy 0x808), control 2, address 4, data 6, command 8. Byte reads only.
#pragma once

#include "sdk/access/CSMBusRegisterSpace.h"

class AMD_AM755_SMBusRegisterSpace : public CSMBusRegisterSpace {
 public:
  explicit AMD_AM755_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF)
      : CSMBusRegisterSpace(window, controller, 200) {}
  const char* ClassName() const override { return "AMD_AM755_SMBusRegisterSpace"; }

 protected:
  bool Transfer(SMBusTransfer& t) override;
};
