// A GeForce GTX 285 (GT200) of another maker: the chip with its PLL, memory
// controller and partition registers; nothing on its I2C buses that the
// program drives.
#pragma once

#include <cstdint>
#include <memory>

#include "emu/gpu/NvidiaGpu.h"

namespace emu {

class EmulatedMachine;

// On PCI bus `bus`, device 0, with BAR 0 at `bar0` (16 MB). Clocks: core
// 648 MHz, shaders 1476 MHz, memory 1242 MHz; 1 GB of GDDR3 on 512 bits.
std::shared_ptr<NvidiaGpu> AddGeForceGtx285(EmulatedMachine& machine, uint8_t bus, uint32_t bar0);

}  // namespace emu
