// A slave that answered a probe: the host it answered on and, on boards
// with a bus switch, the switch and channel. Made by the probe, owned by
// the facade's device list, removed when it stops answering.
#pragma once

#include <cstdint>

#include "sdk/core/CDevice.h"

class CSMBusRegisterSpace;
class CMultiplexer;

class CSMBusDevice : public CDevice {
 public:
  CSMBusDevice(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
      : CDevice(DEVICE_SMBUS), smbusSpace(space), multiplexer(mux), channel(muxChannel), slave(address) {}

  // Each selects the device's channel first and restores the default after;
  // outputs are preset to 0xFF.
  int ReadByte(uint8_t command, uint8_t* value);
  int ReadWord(uint8_t command, uint8_t* low, uint8_t* high);
  int ReadBytes(uint8_t command, uint8_t* buffer, int count);
  // A byte-data write on the device's channel; nonzero when the host
  // reported the transaction complete without an error.
  int WriteByte(uint8_t command, uint8_t value);

  CSMBusRegisterSpace* smbusSpace;  // not owned
  CMultiplexer* multiplexer;        // not owned
  uint8_t channel;
  uint8_t slave;  // 0xFF = none
};
