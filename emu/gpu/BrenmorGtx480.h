// The board vendor's GeForce GTX 480 (GF100): the chip, its own supply
// regulators on I2C port 3 (GPU core at 0x30, PCI Express at 0x31, frame
// buffer at 0x32) and an Analog Devices ADT7473 fan and thermal controller
// at 0x2E on port 1.
#pragma once

#include <cstdint>
#include <memory>

#include "emu/chips/Adt7473.h"
#include "emu/gpu/CardRegulator.h"
#include "emu/gpu/NvidiaGpu.h"

namespace emu {

class EmulatedMachine;

struct BrenmorGtx480 {
  std::shared_ptr<NvidiaGpu> gpu;
  std::shared_ptr<CardRegulator> core, pex, frameBuffer;
  std::shared_ptr<Adt7473> thermal;
};

// On PCI bus `bus`, device 0, with BAR 0 at `bar0` (16 MB).
BrenmorGtx480 AddBrenmorGtx480(EmulatedMachine& machine, uint8_t bus, uint32_t bar0);

}  // namespace emu
