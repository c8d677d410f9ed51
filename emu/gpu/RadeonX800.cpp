#include "emu/gpu/RadeonX800.h"

#include "emu/EmulatedMachine.h"
#include "emu/PciFunction.h"

namespace emu {

std::shared_ptr<RadeonR100I2c> AddRadeonX800(EmulatedMachine& m, uint8_t bus, uint32_t registers,
                                             uint32_t frameBuffer) {
  auto function = std::make_unique<PciFunction>(bus, 0, 0, 0x1002, 0x4A50, 0x03000000u);
  function->Set32(0x10, frameBuffer | 0x8);  // prefetchable frame buffer
  function->Set32(0x18, registers);          // register aperture
  function->SetSubsystem(0x1002, 0x0002);
  m.AddPciFunction(std::move(function));
  auto regs = std::make_shared<RadeonR100I2c>();
  m.AddMmio(registers, 0x10000, regs);
  return regs;
}

}  // namespace emu
