// CHiL CHL8102 regulator controller: the output code in register 0x62 bits
// 6:0; bit 7 makes the controller follow it.
#pragma once

#include "sdk/voltage/CMicroController.h"

class CHIL_CHL8102_MicroController : public CMicroController {
 public:
  CHIL_CHL8102_MicroController(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
      : CMicroController(MC_NONE, space, mux, muxChannel, address) {}
  int BindDescriptions() override { return Bind(Binding::SkipCombined); }
  int SetOutput(int rowId, int value, int flags) override;
  const char* ClassName() const override { return "CHIL_CHL8102_MicroController"; }
  int ChannelCount() const override { return 1; }
  int MaxValue(const _stMicroControllerOutputDesc& row, int flags) const override;

 protected:
  bool ReadChannel(int n, CMicroControllerOutput* out) override;
};
