#include "emu/smbus/Ics9plrs133.h"

namespace emu {

Ics9plrs133::Ics9plrs133(double cpuMHz, std::function<void(double)> cpuOut)
    : IcsBlockGenerator(24.0, {{11, 12, 23, 4, 0x08, std::move(cpuOut)}}) {
  PowerOn(0, cpuMHz);
}

}  // namespace emu
