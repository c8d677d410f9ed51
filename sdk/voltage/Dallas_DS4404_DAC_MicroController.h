// Maxim/Dallas DS4404: four current DACs, OUT0..OUT3 at registers 0xF8..0xFB,
// code in bits 4:0, sign in bit 7. Its boards wire a clear sign bit to
// lower the rail.
#pragma once

#include "sdk/voltage/CMicroController.h"

class Dallas_DS4404_DAC_MicroController : public CMicroController {
 public:
  Dallas_DS4404_DAC_MicroController(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
      : CMicroController(MC_DS4404, space, mux, muxChannel, address) {}
  int BindDescriptions() override { return Bind(Binding::ByNumber); }
  int SetOutput(int rowId, int value, int flags) override;
  const char* ClassName() const override { return "Dallas_DS4404_DAC_MicroController"; }
  int ChannelCount() const override { return 4; }
  int MaxValue(const _stMicroControllerOutputDesc& row, int flags) const override;

 protected:
  bool ReadChannel(int n, CMicroControllerOutput* out) override;
};
