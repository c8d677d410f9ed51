// ICS 9PLRS139 (32 MHz reference): processor clock (M byte 11, N byte 12,
// copies 23-25, enable byte 1 bit 4) and PCI Express clock (M byte 15,
// N byte 16, copies 26-28, enable byte 1 bit 3). The PCI clock is fixed.
#pragma once

#include "emu/smbus/IcsBlockGenerator.h"

namespace emu {

class Ics9plrs139 : public IcsBlockGenerator {
 public:
  Ics9plrs139(double cpuMHz, double pcieMHz, std::function<void(double)> cpuOut,
              std::function<void(double)> pcieOut);
};

}  // namespace emu
