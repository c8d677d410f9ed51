// uPI uP6262: three offset DACs at registers 0x01..0x03: bits 5:0 the code,
// bit 6 below the base, bit 7 a further control bit (the boost switch of
// the rails labelled "VCORE BOOST"). Combined rows spread one setting over
// the outputs they name.
#pragma once

#include "sdk/voltage/CMicroController.h"

class uP6262_DAC_MicroController : public CMicroController {
 public:
  uP6262_DAC_MicroController(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
      : CMicroController(MC_UP6262, space, mux, muxChannel, address) {}
  int BindDescriptions() override { return Bind(Binding::SpreadCombined); }
  int SetOutput(int rowId, int value, int flags) override;
  const char* ClassName() const override { return "uP6262_DAC_MicroController"; }
  int ChannelCount() const override { return 3; }
  int MaxValue(const _stMicroControllerOutputDesc& row, int flags) const override;

 protected:
  bool ReadChannel(int n, CMicroControllerOutput* out) override;
};
