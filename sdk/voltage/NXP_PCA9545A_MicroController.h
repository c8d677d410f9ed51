// NXP PCA9545A four-channel I2C switch on the dual-processor boards: its
// control register (written by any byte write, the last byte counting)
// connects the downstream channel of one processor's regulators: bit 0 the
// first processor's, bit 1 the second's. It has no outputs of its own.
#pragma once

#include "sdk/voltage/CMicroController.h"

class NXP_PCA9545A_MicroController : public CMicroController {
 public:
  NXP_PCA9545A_MicroController(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
      : CMicroController(MC_PCA9545A, space, mux, muxChannel, address) {}
  const char* ClassName() const override { return "NXP_PCA9545A_MicroController"; }
};
