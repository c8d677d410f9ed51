#include "sdk/clock/ICS_9PLRS139.h"

#include "sdk/clock/CPLLOutput.h"
#include "sdk/core/RoundToInt.h"

// CPU: M in byte 11, N in byte 12 (copies 23-25), enable byte 1 bit 4; the
// chip needs 30 bytes. PCIE: M in byte 15, N in byte 16 (copies 26-28),
// enable byte 1 bit 3; 31 bytes.
const ICS_PLRS_PLL::Layout ICS_9PLRS139_CPU_PLL::kLayout = {11, 12, {23, 24, 25}, 1, 0x10, 30, 11, 18, 16};
const ICS_PLRS_PLL::Layout ICS_9PLRS139_PCIE_PLL::kLayout = {15, 16, {26, 27, 28}, 1, 0x08, 31, 15, 14, 4};

ICS_9PLRS139_CPU_PLL::ICS_9PLRS139_CPU_PLL()
    : ICS_PLRS_PLL(kPLLId_ICS_9PLRS139, PLL_KIND_CPU, "ICS 9PLRS139 CPU PLL", 32.0f, kLayout) {}

ICS_9PLRS139_PCIE_PLL::ICS_9PLRS139_PCIE_PLL()
    : ICS_PLRS_PLL(kPLLId_ICS_9PLRS139, PLL_KIND_PCIE, "ICS 9PLRS139 PCIE PLL", 32.0f, kLayout) {}

void ICS_9PLRS139_PCIE_PLL::MakeOutputs() {
  int divider = RoundToInt(frequency / 100.0f);
  if (divider > 0) AddOutput("PCIE", PLL_OUTPUT_PCIE, static_cast<float>(divider));
}

ICS_9PLRS139_PCI_PLL::ICS_9PLRS139_PCI_PLL() : CPLL(kPLLId_ICS_9PLRS139) {
  kind = PLL_KIND_PCI;
  reference = 32.0f;
  SetName("ICS 9PLRS139 PCI PLL");
}

int ICS_9PLRS139_PCI_PLL::Read() {
  ClearOutputs();
  frequency = 33.34f;
  AddOutput("PCI", PLL_OUTPUT_PCI, 1.0f);
  return 1;
}
