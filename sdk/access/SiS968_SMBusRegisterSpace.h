// The SiS 968 SMBus host: the SiS register set without the host semaphore,
// single data bytes at 0x10, blocks of up to 32 bytes in one go.
#pragma once

#include "sdk/access/SiS_SMBusRegisterSpace.h"

class SiS968_SMBusRegisterSpace : public SiS_SMBusRegisterSpace {
 public:
  explicit SiS968_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF)
      : SiS_SMBusRegisterSpace(window, controller, 0x10, false, kMaxBlock) {
    // Block reads take their bytes from 8 onward, writes put them at 0x10
    // onward (see the SiS 968 notes: the buffer offset is not documented).
    blockReadReg_ = 8;
  }
  const char* ClassName() const override { return "SiS968_SMBusRegisterSpace"; }
};
