#include "emu/gpu/RadeonX1950Pro.h"

#include "emu/EmulatedMachine.h"
#include "emu/PciFunction.h"

namespace emu {

std::shared_ptr<RadeonAvivoI2c> AddRadeonX1950Pro(EmulatedMachine& m, uint8_t bus, uint32_t registers,
                                                  uint32_t frameBuffer) {
  auto function = std::make_unique<PciFunction>(bus, 0, 0, 0x1002, 0x7280, 0x0300009Au);
  function->express = true;
  function->Set32(0x10, frameBuffer | 0xC);  // 64-bit prefetchable frame buffer
  function->Set32(0x14, 0);
  function->Set32(0x18, registers);          // 32-bit register aperture
  function->SetSubsystem(0x1002, 0x0D02);
  m.AddPciFunction(std::move(function));
  auto regs = std::make_shared<RadeonAvivoI2c>();
  m.AddMmio(registers, 0x10000, regs);
  return regs;
}

}  // namespace emu
