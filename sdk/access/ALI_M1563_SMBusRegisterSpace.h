// The ALi M1563/M1573/M1575 SMBus host: Intel-like (status 0 with bit 0
// busy and errors 0x1C, control 2, command 3, address 4, data 5/6, start
// 0x40) with its own protocol codes and a kill on time-out. Byte and word
// data.
#pragma once

#include "sdk/access/CSMBusRegisterSpace.h"

class ALI_M1563_SMBusRegisterSpace : public CSMBusRegisterSpace {
 public:
  explicit ALI_M1563_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF)
      : CSMBusRegisterSpace(window, controller, 200) {}
  const char* ClassName() const override { return "ALI_M1563_SMBusRegisterSpace"; }

 protected:
  bool Transfer(SMBusTransfer& t) override;

 private:
  bool WaitIdle(uint8_t* status);
};
