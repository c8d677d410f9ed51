// The VIA VT82xx/VT8xxx south bridges' SMBus host: the Intel register set
// with its own status clearing and a 32-byte block buffer. Its transactions
// are judged by the error bits alone, and its byte reads never go through
// the driver's Intel read.
#pragma once

#include "sdk/access/Intel_ICH1_SMBusRegisterSpace.h"

class VIA_VT82_SMBusRegisterSpace : public Intel_ICH1_SMBusRegisterSpace {
 public:
  explicit VIA_VT82_SMBusRegisterSpace(CIOSpace* window, uint32_t controller = 0xFFFFFFFF)
      : Intel_ICH1_SMBusRegisterSpace(window, controller, 200,
                                      Variant{.blocks = Blocks::kBuffered,
                                              .statusClear = 0xDF,
                                              .needsIntr = false,
                                              .releaseAfterByteRead = false,
                                              .kernelByteRead = false,
                                              .wordReadPolls = 200}) {}
  const char* ClassName() const override { return "VIA_VT82_SMBusRegisterSpace"; }
};
