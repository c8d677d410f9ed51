// The nVidia nForce SMBus host (ACPI-style SMBus controller): protocol 0,
// status 1 (bit 7 done, bits 0-4 error code), address 2, command 3, data
// 4/5. Byte and word data, no block operations.
#pragma once

#include "sdk/access/CSMBusRegisterSpace.h"

class nVidia_SMBusRegisterSpace : public CSMBusRegisterSpace {
 public:
  enum : uint8_t { kWriteByte = 0x06, kReadByte = 0x07, kWriteWord = 0x08, kReadWord = 0x09 };

  explicit nVidia_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF)
      : CSMBusRegisterSpace(window, controller, 200) {}
  const char* ClassName() const override { return "nVidia_SMBusRegisterSpace"; }

 protected:
  bool Transfer(SMBusTransfer& t) override;
};
