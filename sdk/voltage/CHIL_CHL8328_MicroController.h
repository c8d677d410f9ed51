// CHiL CHL8328 dual-loop regulator controller. Each loop has a select
// register (0xD0 loop 1, 0xD2 loop 2) whose bit 6 picks the register pair
// that holds the loop's code: (0xD1, 0xB3) / (0xD3, 0xB4) when set, else
// (0x5B, 0x5C) / (0x5D, 0x5E). Codes up to 255 sit in the first register;
// larger ones read 0xFF there and the rest in the second.
#pragma once

#include "sdk/voltage/CMicroController.h"

class CHIL_CHL8328_MicroController : public CMicroController {
 public:
  CHIL_CHL8328_MicroController(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t address)
      : CMicroController(MC_NONE, space, mux, muxChannel, address) {}
  int BindDescriptions() override { return Bind(Binding::SkipCombined); }
  int SetOutput(int rowId, int value, int flags) override;
  const char* ClassName() const override { return "CHIL_CHL8328_MicroController"; }
  int ChannelCount() const override { return 2; }
  int MaxValue(const _stMicroControllerOutputDesc& row, int flags) const override;

 protected:
  bool ReadChannel(int n, CMicroControllerOutput* out) override;
 private:
  struct Pair {
    uint8_t first, second;
  };
  static uint8_t SelectRegister(int n) { return n == 0 ? 0xD0 : 0xD2; }
  static Pair PairOf(int n, uint8_t select) {
    if (select & 0x40) return n == 0 ? Pair{0xD1, 0xB3} : Pair{0xD3, 0xB4};
    return n == 0 ? Pair{0x5B, 0x5C} : Pair{0x5D, 0x5E};
  }
};
