// VT1186M regulator controller: the output code (volts below the table's
// base) reads back from register 0x1C; a new code goes to 0x18 and is
// applied by unlocking with 0x55 in 0x1D and setting bit 4 of 0x19.
#pragma once

#include "sdk/voltage/CMicroController.h"

class VT1186M_MicroController : public CMicroController {
 public:
  VT1186M_MicroController(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
      : CMicroController(MC_NONE, space, mux, muxChannel, address) {}
  int BindDescriptions() override { return Bind(Binding::ByNumber); }
  int SetOutput(int rowId, int value, int flags) override;
  const char* ClassName() const override { return "VT1186M_MicroController"; }
  int ChannelCount() const override { return 1; }
  int MaxValue(const _stMicroControllerOutputDesc& row, int flags) const override;

 protected:
  bool ReadChannel(int n, CMicroControllerOutput* out) override;
};
