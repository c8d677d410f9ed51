// The Intel SCH (US15W) SMBus host: control 0, status 1 (bit 3 busy,
// bit 0 done, bits 1-2 errors), address 4, command 5, data 6. Byte reads.
#pragma once

#include "sdk/access/CSMBusRegisterSpace.h"

class Intel_SCH_SMBusRegisterSpace : public CSMBusRegisterSpace {
 public:
  explicit Intel_SCH_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF)
      : CSMBusRegisterSpace(window, controller, 1000) {}
  const char* ClassName() const override { return "Intel_SCH_SMBusRegisterSpace"; }

 protected:
  bool Transfer(SMBusTransfer& t) override;
};
