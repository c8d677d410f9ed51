#include "emu/gpu/GeForceGtx285.h"

#include "emu/EmulatedMachine.h"

namespace emu {

std::shared_ptr<NvidiaGpu> AddGeForceGtx285(EmulatedMachine& m, uint8_t bus, uint32_t bar0) {
  auto gpu = NvidiaGpu::Install(m, {bus, 0, 0x05E3, 0xA1, 0x10DE, 0x0000, bar0});
  gpu->SetRegister(0, 0x0A0000A1);  // GT200, stepping A1
  // Clock sources: core and shader PLLs both selected as source 2.
  gpu->SetRegister(0xC040, 0x00000022);
  // Core PLL: N = 24, M = 1, post divider 2 → 27 MHz × 24 / 1 >> 2 × 4 = 648 MHz.
  gpu->SetRegister(0x4024, 0x00001801);
  gpu->SetRegister(0x4028, 0x80020000);
  // Shader PLL: N = 41, M = 3, no post division → 1476 MHz.
  gpu->SetRegister(0x402C, 0x00002903);
  gpu->SetRegister(0x4020, 0x80000000);
  // Memory PLL: enabled, N = 23, M = 2 on the 108 MHz reference → 1242 MHz.
  gpu->SetRegister(0x4008, 0x80000000);
  gpu->SetRegister(0x400C, 0x00001702);
  gpu->SetRegister(0x4018, 0x00000000);
  gpu->SetRegister(0x401C, 0x00000000);
  // Memory: 1 GB, type field 2 with a non-DDR3 configuration → GDDR3.
  gpu->SetRegister(0x10020C, 0x40000000);
  gpu->SetRegister(0x100714, 0x00000002);
  gpu->SetRegister(0x100214, 0x00000000);
  // Eight 64-bit partitions enabled.
  gpu->SetRegister(0x1540, 0x00FF0000 | 0x1E);
  return gpu;
}

}  // namespace emu
