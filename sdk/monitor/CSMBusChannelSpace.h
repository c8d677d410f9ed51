// A monitoring chip that sits behind a board's SMBus switch: every request
// selects the chip's channel first and puts the switch back to its default
// afterwards, so the chip is reached whatever other code selected between
// two reads. Registered with the facade like any register space.
#pragma once

#include <cstdint>

#include "sdk/access/CRegisterSpace.h"

class CSMBusRegisterSpace;
class CMultiplexer;

class CSMBusChannelSpace : public CRegisterSpace {
 public:
  // A kind of its own: SMBus host look-ups must not take it for a host.
  static constexpr uint32_t kKind = 0x105;

  CSMBusChannelSpace(CSMBusRegisterSpace* host, CMultiplexer* mux, uint8_t channel);
  int Execute(CIORequest* request) override;

  CSMBusRegisterSpace* host;  // not owned
  CMultiplexer* multiplexer;  // not owned
  uint8_t channel;
};
