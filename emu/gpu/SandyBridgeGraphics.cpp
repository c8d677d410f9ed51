#include "emu/gpu/SandyBridgeGraphics.h"

#include "emu/EmulatedMachine.h"
#include "emu/PciFunction.h"

namespace emu {

std::shared_ptr<GpuRegisterFile> AddSandyBridgeGraphics(EmulatedMachine& m, uint32_t bar0) {
  auto function = std::make_unique<PciFunction>(0, 2, 0, 0x8086, 0x0112, 0x03000009u);
  function->Set32(0x10, bar0 | 0x4);  // 64-bit memory BAR
  function->Set32(0x14, 0);
  // SNB_GMCH_CTRL: graphics mode select 2 (64 MB), GTT 2 MB.
  function->Set16(0x50, 0x0211);
  function->SetSubsystem(0x8086, 0x2010);
  m.AddPciFunction(std::move(function));
  auto regs = std::make_shared<GpuRegisterFile>();
  // GEN6_RPSTAT1: current GT frequency ratio 22 (× 50 MHz).
  regs->Set32(0xA01C, 22u << 8);
  // The PCU's MCHBAR registers mirrored at 0x140000: PP1 (graphics plane)
  // temperature 47 °C at MCHBAR 0x5980, bits 7:0.
  regs->Set32(0x140000 + 0x5980, 47);
  m.AddMmio(bar0, 0x400000, regs);
  return regs;
}

}  // namespace emu
