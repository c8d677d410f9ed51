#include "emu/gpu/RadeonHd4870.h"

#include "emu/EmulatedMachine.h"
#include "emu/PciFunction.h"

namespace emu {

std::shared_ptr<RadeonDcI2c> AddRadeonHd4870(EmulatedMachine& m, uint8_t bus, uint32_t registers,
                                                 uint32_t frameBuffer) {
  auto function = std::make_unique<PciFunction>(bus, 0, 0, 0x1002, 0x9440, 0x03000000u);
  function->express = true;
  function->Set32(0x10, frameBuffer | 0xC);  // 64-bit prefetchable frame buffer
  function->Set32(0x14, 0);
  function->Set32(0x18, registers | 0x4);    // 64-bit register aperture
  function->Set32(0x1C, 0);
  function->SetSubsystem(0x1002, 0x0502);
  m.AddPciFunction(std::move(function));
  auto regs = std::make_shared<RadeonDcI2c>();
  // Engine PLL: reference divider 9 (field 8), feedback 0x3E8000 / 16384 = 250 → 27 / 9 × 250 = 750 MHz.
  regs->Set32(0x600, 0x00000080);
  regs->Set32(0x608, 0x003E8000);
  // Thermal sensor: 55 °C in the 9-bit field.
  regs->Set32(0x730, 0x00000037);
  // CONFIG_MEMSIZE in bytes; RAMCFG channel size 64 bits × 4.
  regs->Set32(0x5428, 0x20000000);
  regs->Set32(0x2004, 0x00003000);
  regs->Set32(0x2760, 0x00000000);
  m.AddMmio(registers, 0x10000, regs);
  return regs;
}

}  // namespace emu
