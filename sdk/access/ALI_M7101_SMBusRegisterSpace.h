// The ALi M7101 power-management unit's SMBus host: status 0 (bit 2 idle,
// bit 3 busy), control 1, start 2, address 3, data 4, command 7. Byte
// reads and writes only.
#pragma once

#include "sdk/access/CSMBusRegisterSpace.h"

class ALI_M7101_SMBusRegisterSpace : public CSMBusRegisterSpace {
 public:
  explicit ALI_M7101_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF)
      : CSMBusRegisterSpace(window, controller, 200) {}
  const char* ClassName() const override { return "ALI_M7101_SMBusRegisterSpace"; }

 protected:
  bool Transfer(SMBusTransfer& t) override;

 private:
  // The end status of a transaction that failed: busy still set, or an
  // error bit (device error, bus collision, terminated: bits 5 to 7).
  static bool Failed(uint8_t status) { return status >= 0x20 || (status & 0xE8); }
};
