// uPI uP6208 buck controller: the offset code in register 0x04 (bits 6:0,
// bit 7 enables it); at creation it reports the processor's VID code in
// register 0x0B, which gives its rows their base voltage.
#pragma once

#include "sdk/voltage/CMicroController.h"

class uP6208_Buck_MicroController : public CMicroController {
 public:
  uP6208_Buck_MicroController(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
      : CMicroController(MC_UP6208, space, mux, muxChannel, address) {}
  int BindDescriptions() override { return Bind(Binding::ByNumber); }
  int CreateOutputs() override;
  int SetOutput(int rowId, int value, int flags) override;
  const char* ClassName() const override { return "uP6208_Buck_MicroController"; }
  int ChannelCount() const override { return 1; }
  int MaxValue(const _stMicroControllerOutputDesc& row, int flags) const override;

 protected:
  bool ReadChannel(int n, CMicroControllerOutput* out) override;
};
