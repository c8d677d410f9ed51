// The SPD host of the Intel E8500/E8501 north bridge: the 5000X status and
// command words with eight slots and a simpler handshake.
#pragma once

#include "sdk/access/Intel_5000X_SMBusRegisterSpace.h"

class Intel_E8500_SMBusRegisterSpace : public Intel_5000X_SMBusRegisterSpace {
 public:
  using Intel_5000X_SMBusRegisterSpace::Intel_5000X_SMBusRegisterSpace;
  const char* ClassName() const override { return "Intel_E8500_SMBusRegisterSpace"; }

 protected:
  bool Handshake(uint32_t commandWord, bool write, uint32_t* status) override;
  uint32_t SlotMask() const override { return 7; }
};
