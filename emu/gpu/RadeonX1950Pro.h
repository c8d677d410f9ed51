// An ATI Radeon X1950 PRO (RV570): the display function with its register
// aperture in BAR 2 (64 KB, with the AVIVO display I2C engine on the card's
// DDC lines) and the frame buffer in BAR 0.
#pragma once

#include <cstdint>
#include <memory>

#include "emu/gpu/RadeonAvivoI2c.h"

namespace emu {

class EmulatedMachine;

std::shared_ptr<RadeonAvivoI2c> AddRadeonX1950Pro(EmulatedMachine& machine, uint8_t bus, uint32_t registers,
                                                  uint32_t frameBuffer);

}  // namespace emu
