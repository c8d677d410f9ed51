// An ATI Radeon HD 4870 (RV770): the display function with its register
// aperture in BAR 2 (64 KB, with the display controller's I2C engine on the
// card's DDC lines) and the frame buffer in BAR 0.
#pragma once

#include <cstdint>
#include <memory>

#include "emu/gpu/RadeonDcI2c.h"

namespace emu {

class EmulatedMachine;

// Core 750 MHz on a 27 MHz reference, 512 MB, 256-bit, 55 °C.
std::shared_ptr<RadeonDcI2c> AddRadeonHd4870(EmulatedMachine& machine, uint8_t bus, uint32_t registers,
                                                 uint32_t frameBuffer);

}  // namespace emu
