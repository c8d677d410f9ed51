// The ICH4 and later Intel SMBus hosts (ICH4 to the 7-series PCH): the ICH
// register set with the auxiliary control register; block transfers run
// byte by byte with the 32-byte buffer switched off for their duration.
#pragma once

#include "sdk/access/Intel_ICH1_SMBusRegisterSpace.h"

class Intel_ICH4_SMBusRegisterSpace : public Intel_ICH1_SMBusRegisterSpace {
 public:
  static constexpr int kByteWordPolls = 1000;

  explicit Intel_ICH4_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF)
      : Intel_ICH1_SMBusRegisterSpace(window, controller, 200) {}

  int ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) override;
  int WriteByte(uint8_t slave, uint8_t command, uint8_t value) override;
  int WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) override;
  int ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) override;
  int WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) override;
  const char* ClassName() const override { return "Intel_ICH4_SMBusRegisterSpace"; }
};
