// ICS 9PLRS139 clock generator (SMBus 0x69, 32 MHz reference): processor
// and PCI Express synthesisers, and a fixed PCI clock.
#pragma once

#include "sdk/clock/ICS_PLRS_PLL.h"

inline constexpr uint32_t kPLLId_ICS_9PLRS139 = 0x049FF139;

class ICS_9PLRS139_CPU_PLL : public ICS_PLRS_PLL {
 public:
  static const Layout kLayout;
  ICS_9PLRS139_CPU_PLL();

 protected:
  void MakeOutputs() override { MakeCpuOutput(); }
};

class ICS_9PLRS139_PCIE_PLL : public ICS_PLRS_PLL {
 public:
  static const Layout kLayout;
  ICS_9PLRS139_PCIE_PLL();

 protected:
  void MakeOutputs() override;
};

// The PCI clock has no register access: it is 33.34 MHz.
class ICS_9PLRS139_PCI_PLL : public CPLL {
 public:
  ICS_9PLRS139_PCI_PLL();
  int Read() override;
};
