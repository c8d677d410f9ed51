// Maxim/Dallas DS4402: two current DACs that offset a regulator's feedback.
// OUT0 at register 0xF8, OUT1 at 0xF9: bits 4:0 the current code, bit 7
// the sign (DS4402 data sheet, "Output current registers"); the boards wire
// a set sign bit to lower the rail.
#pragma once

#include "sdk/voltage/CMicroController.h"

class Dallas_DS4402_DAC_MicroController : public CMicroController {
 public:
  Dallas_DS4402_DAC_MicroController(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
      : CMicroController(MC_DS4402, space, mux, muxChannel, address) {}
  int BindDescriptions() override { return Bind(Binding::ByNumber); }
  int SetOutput(int rowId, int value, int flags) override;
  const char* ClassName() const override { return "Dallas_DS4402_DAC_MicroController"; }
  int ChannelCount() const override { return 2; }
  int MaxValue(const _stMicroControllerOutputDesc& row, int flags) const override;

 protected:
  bool ReadChannel(int n, CMicroControllerOutput* out) override;
};
