// The SPD SMBus controllers of the Sandy Bridge-E memory controller
// (function 0x3CA8): status 0x180, command 0x184, control 0x188 for slots
// 0x50-0x53 and the same at 0x190 for 0x54-0x57. SPD reads only.
#pragma once

#include "sdk/access/Intel_5000X_SMBusRegisterSpace.h"

class Intel_X79_SMBusRegisterSpace : public Intel_5000X_SMBusRegisterSpace {
 public:
  static constexpr int kPolls = 100000;

  // `registers` is 0x180 or 0x190.
  Intel_X79_SMBusRegisterSpace(CPCIConfigSpace* config, uint32_t bus, uint32_t device, uint32_t function,
                               uint32_t registers, uint32_t controller)
      : Intel_5000X_SMBusRegisterSpace(config, bus, device, function, registers, registers + 4, controller),
        controlReg(registers + 8) {}

  const char* ClassName() const override { return "Intel_X79_SMBusRegisterSpace"; }

  uint32_t controlReg;

 protected:
  bool Transfer(SMBusTransfer& t) override;
};
