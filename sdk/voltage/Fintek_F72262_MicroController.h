// Fintek F72262: three offset DACs at registers 0x01..0x03, bits 5:0 the
// code and bit 6 below the base; written like the uP6262's.
#pragma once

#include "sdk/voltage/CMicroController.h"

class Fintek_F72262_MicroController : public CMicroController {
 public:
  Fintek_F72262_MicroController(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
      : CMicroController(MC_F72262, space, mux, muxChannel, address) {}
  int BindDescriptions() override { return Bind(Binding::SpreadCombined); }
  int SetOutput(int rowId, int value, int flags) override;
  const char* ClassName() const override { return "Fintek_F72262_MicroController"; }
  int ChannelCount() const override { return 3; }
  int MaxValue(const _stMicroControllerOutputDesc& row, int flags) const override;

 protected:
  bool ReadChannel(int n, CMicroControllerOutput* out) override;
};
