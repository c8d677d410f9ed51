#include "emu/smbus/Ics9plrs139.h"

namespace emu {

Ics9plrs139::Ics9plrs139(double cpuMHz, double pcieMHz, std::function<void(double)> cpuOut,
                         std::function<void(double)> pcieOut)
    : IcsBlockGenerator(32.0, {{11, 12, 23, 1, 0x10, std::move(cpuOut)}, {15, 16, 26, 1, 0x08, std::move(pcieOut)}}) {
  PowerOn(0, cpuMHz);
  PowerOn(1, pcieMHz);
}

}  // namespace emu
