// The integrated graphics function of a Sandy Bridge processor (device 2 of
// bus 0): HD Graphics 2000 (GT2 desktop id 0x0112), its GT register window
// in BAR 0 (4 MB, 64-bit) and the graphics control register at 0x50.
#pragma once

#include <cstdint>
#include <memory>

#include "emu/gpu/GpuRegisterFile.h"

namespace emu {

class EmulatedMachine;

// Render clock 1100 MHz, 64 MB of stolen memory, graphics at 47 °C.
std::shared_ptr<GpuRegisterFile> AddSandyBridgeGraphics(EmulatedMachine& machine, uint32_t bar0);

}  // namespace emu
