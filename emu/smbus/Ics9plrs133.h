// ICS 9PLRS133 (24 MHz reference): the processor clock (M byte 11, N byte
// 12, copies 23-25, enable byte 4 bit 3).
#pragma once

#include "emu/smbus/IcsBlockGenerator.h"

namespace emu {

class Ics9plrs133 : public IcsBlockGenerator {
 public:
  Ics9plrs133(double cpuMHz, std::function<void(double)> cpuOut);
};

}  // namespace emu
