// Intersil ISL90727: a 128-tap digital potentiometer; the wiper register
// (0x00) at 64 is the rail's nominal voltage, below 64 lowers it.
#pragma once

#include "sdk/voltage/CMicroController.h"

class ISL90727_MicroController : public CMicroController {
 public:
  ISL90727_MicroController(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
      : CMicroController(MC_ISL90727, space, mux, muxChannel, address) {}
  int BindDescriptions() override { return Bind(Binding::ByNumber); }
  int SetOutput(int rowId, int value, int flags) override;
  const char* ClassName() const override { return "ISL90727_MicroController"; }
  int ChannelCount() const override { return 1; }
  int MaxValue(const _stMicroControllerOutputDesc& row, int flags) const override;

 protected:
  bool ReadChannel(int n, CMicroControllerOutput* out) override;
};
