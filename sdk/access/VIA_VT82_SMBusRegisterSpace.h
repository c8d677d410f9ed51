// The VIA VT82xx/VT8xxx south bridges' SMBus host: the Intel register set
// with its own status clearing and a 32-byte block buffer.
#pragma once

#include "sdk/access/Intel_ICH1_SMBusRegisterSpace.h"

class VIA_VT82_SMBusRegisterSpace : public Intel_ICH1_SMBusRegisterSpace {
 public:
  explicit VIA_VT82_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF)
      : Intel_ICH1_SMBusRegisterSpace(window, controller, 200) {
    // Like its reads, a VIA write is judged by the error bits alone.
    writeNeedsIntr = false;
  }

  int ReadByte(uint8_t slave, uint8_t command, uint8_t* value) override;
  int ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) override;
  int WriteByte(uint8_t slave, uint8_t command, uint8_t value) override;
  int WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) override;
  int ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) override;
  int WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) override;
  const char* ClassName() const override { return "VIA_VT82_SMBusRegisterSpace"; }
};
