// The SiS 630/96x south bridges' SMBus host: status 0, host semaphore 2,
// control 3, address 4, command 5, block count 7, data from 8. Blocks move
// eight bytes at a time.
#pragma once

#include "sdk/access/CSMBusRegisterSpace.h"

class SiS_SMBusRegisterSpace : public CSMBusRegisterSpace {
 public:
  explicit SiS_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF)
      : CSMBusRegisterSpace(window, controller, 200) {}

  const char* ClassName() const override { return "SiS_SMBusRegisterSpace"; }

 protected:
  bool Transfer(SMBusTransfer& t) override;
  enum : uint8_t { kByte = 0x12, kWord = 0x13, kBlock = 0x15 };
  SiS_SMBusRegisterSpace(CIOSpace* window, uint32_t controller, uint8_t data, bool semaphore, int chunk)
      : CSMBusRegisterSpace(window, controller, 200), dataReg_(data), claimSemaphore_(semaphore), chunk_(chunk) {}
  // Claims the host and clears the status; false when it cannot be had.
  bool Prepare();
  // Starts `protocol` and waits for the end; false on error or time-out.
  bool Run(uint8_t protocol, uint32_t settleMs);
  uint8_t blockReadReg_ = 8;  // where block reads take their bytes

  uint8_t dataReg_ = 8;
  bool claimSemaphore_ = true;
  int chunk_ = 8;
};
