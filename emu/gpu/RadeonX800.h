// An ATI Radeon X800 XT Platinum Edition (R420, AGP): the display function
// with its register aperture in BAR 2 (64 KB, with the two hardware I2C
// engines on the card's DDC lines) and the frame buffer in BAR 0.
#pragma once

#include <cstdint>
#include <memory>

#include "emu/gpu/RadeonR100I2c.h"

namespace emu {

class EmulatedMachine;

std::shared_ptr<RadeonR100I2c> AddRadeonX800(EmulatedMachine& machine, uint8_t bus, uint32_t registers,
                                             uint32_t frameBuffer);

}  // namespace emu
