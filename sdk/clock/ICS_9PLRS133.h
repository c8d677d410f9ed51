// ICS 9PLRS133 clock generator (SMBus 0x69, 24 MHz reference): the
// processor synthesiser of the IOH boards.
#pragma once

#include "sdk/clock/ICS_PLRS_PLL.h"

inline constexpr uint32_t kPLLId_ICS_9PLRS133 = 0x049FF133;

class ICS_9PLRS133_CPU_PLL : public ICS_PLRS_PLL {
 public:
  static const Layout kLayout;
  ICS_9PLRS133_CPU_PLL();

 protected:
  void MakeOutputs() override { MakeCpuOutput(); }
};
