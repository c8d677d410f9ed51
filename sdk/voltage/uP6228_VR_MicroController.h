// uPI uP6228 regulator controller: the output code in register 0x18; bit 6
// of register 0x27 switches the output from the processor's VID to that
// code.
#pragma once

#include "sdk/voltage/CMicroController.h"

class uP6228_VR_MicroController : public CMicroController {
 public:
  uP6228_VR_MicroController(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
      : CMicroController(MC_UP6228, space, mux, muxChannel, address) {}
  int BindDescriptions() override { return Bind(Binding::SkipCombined); }
  int SetOutput(int rowId, int value, int flags) override;
  const char* ClassName() const override { return "uP6228_VR_MicroController"; }
  int ChannelCount() const override { return 1; }
  int MaxValue(const _stMicroControllerOutputDesc& row, int flags) const override;

 protected:
  bool ReadChannel(int n, CMicroControllerOutput* out) override;
};
