// The board's analogue dial gauge, which the application moves to show the
// processor clock: its pointer follows register 0x61 of the SMBus device at
// address 0x2D (where that device is an NCT7802, 0x61 is its second PWM
// output).
#pragma once

#include <cstdint>

#include "sdk/core/CDevice.h"

class CSMBusRegisterSpace;
class CSMBusRequest;
class CMultiplexer;

class Brenmor_Tessel : public CDevice {
 public:
  static constexpr uint8_t kAddress = 0x2D;
  static constexpr uint8_t kDialRegister = 0x61;

  Brenmor_Tessel(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address);
  ~Brenmor_Tessel() override;
  Brenmor_Tessel(const Brenmor_Tessel&) = delete;
  Brenmor_Tessel& operator=(const Brenmor_Tessel&) = delete;
  const char* GetName() override { return name; }

  // Moves the pointer: 0 at the left stop, 255 at the right. The transfer's
  // result; 0 without a space or request.
  int SetDialPosition(uint8_t position);
  // The position last written, as the device reports it; -1 on failure.
  int GetDialPosition();

  char name[256] = "Brenmor Tessel";
  CSMBusRegisterSpace* space;  // not owned
  CMultiplexer* multiplexer;   // not owned
  CSMBusRequest* request;      // owned

 private:
  int Transfer(uint32_t op, uint32_t* data);
};
