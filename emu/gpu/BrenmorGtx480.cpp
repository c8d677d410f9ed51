#include "emu/gpu/BrenmorGtx480.h"

#include "boardid/BoardVendor.h"
#include "emu/EmulatedMachine.h"

namespace emu {

namespace {

// GF100 boot register: architecture 0xC0, stepping A3.
constexpr uint32_t kBoot0 = 0x0C0000A3;

}  // namespace

BrenmorGtx480 AddBrenmorGtx480(EmulatedMachine& m, uint8_t bus, uint32_t bar0) {
  BrenmorGtx480 card;
  card.gpu = NvidiaGpu::Install(m, {bus, 0, 0x06C0, 0xA3, kBoardVendorPciSubsystemId, 0x2480, bar0});
  card.gpu->SetRegister(0, kBoot0);
  // Clock tree as the card's BIOS programs it (envytools PCLOCK register
  // layout): the GPC clock from its own PLL on the 27 MHz crystal, N = 104,
  // M = 1, P = 1 → 2808 MHz, final divider 2 × / (2 + 2) → 1404 MHz shaders,
  // 702 MHz for the rest of the core.
  card.gpu->SetRegister(0x137100, 0x00000001);  // domain 0 on its PLL
  card.gpu->SetRegister(0x137000, 0x00020005);  // enabled, sync mode, locked
  card.gpu->SetRegister(0x137004, 0x00016801);
  card.gpu->SetRegister(0x137120, 0x00000000);  // PLL reference: the crystal
  card.gpu->SetRegister(0x137250, 0x80000200);
  // Memory from the memory PLL: its source PLL makes 27 × 88 / 9 = 264 MHz,
  // the PLL 264 × 7 = 1848 MHz (GDDR5 command clock, 3696 MT/s).
  card.gpu->SetRegister(0x1373F0, 0x00000002);
  card.gpu->SetRegister(0x132020, 0x00000001);
  card.gpu->SetRegister(0x132024, 0x00015809);
  card.gpu->SetRegister(0x137320, 0x00000000);
  card.gpu->SetRegister(0x132000, 0x00000001);
  card.gpu->SetRegister(0x132004, 0x00010701);
  // 1.000 V core (code 8 + 100), 1.151 V PCI Express (code 3), 1.755 V frame buffer (code 16).
  card.core = std::make_shared<CardRegulator>(CardRegulator::Rail{0xC8, 0xC9, 0.95, 0.00625, 100}, 108);
  card.pex = std::make_shared<CardRegulator>(CardRegulator::Rail{0x01, -1, 1.046, 0.035, 0}, 3);
  card.frameBuffer = std::make_shared<CardRegulator>(CardRegulator::Rail{0x01, -1, 1.595, 0.01, 0}, 16);
  // The ADT7473-1 watches the GPU diode (remote 1), the board (local) and
  // the core rail (VCCP); it drives the one fan on PWM1 / TACH1, leaving
  // remote 2 and tachometers 2-4 unconnected.
  card.thermal = std::make_shared<Adt7473>(m.Time(), 1);
  card.thermal->vccp = [core = card.core] { return core->Volts(); };
  card.thermal->temperatures[0] = Waveform::Steady(58.25);
  card.thermal->temperatures[1] = Waveform::Steady(41.0);
  card.thermal->fans[0].rpm = Waveform::Steady(1900);
  card.thermal->Set(0x30, 0x66);  // 40 % duty
  card.gpu->I2cBus(3).Attach(0x30, card.core);
  card.gpu->I2cBus(3).Attach(0x31, card.pex);
  card.gpu->I2cBus(3).Attach(0x32, card.frameBuffer);
  card.gpu->I2cBus(1).Attach(0x2E, card.thermal);
  return card;
}

}  // namespace emu
