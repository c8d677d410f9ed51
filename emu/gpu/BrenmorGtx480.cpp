#include "emu/gpu/BrenmorGtx480.h"

#include "boardid/BoardVendor.h"
#include "emu/EmulatedMachine.h"

namespace emu {

namespace {

// GF100 boot register: architecture 0xC0, stepping A3.
constexpr uint32_t kBoot0 = 0x0C0000A3;

// ADT7473 registers as the Linux adt7475 driver reads them: temperatures
// at 0x25 to 0x27 (remote 1, local, remote 2; °C + 64 in offset-64 mode),
// tachometer words at 0x28, PWM duties at 0x30, device id 0x3D, vendor 0x3E.
std::shared_ptr<SmbusRegisterSlave> Adt7473() {
  auto chip = std::make_shared<SmbusRegisterSlave>();
  chip->Set(0x3D, 0x73);
  chip->Set(0x3E, 0x41);
  chip->Set(0x3F, 0x69);
  chip->Set(0x40, 0x05);  // CONFIG1: monitoring started
  chip->Set(0x25, 64 + 58);
  chip->Set(0x26, 64 + 41);
  chip->Set(0x27, 64 + 52);
  chip->Set(0x28, 0xB0);  // 90000 × 60 / count ≈ 1900 rpm
  chip->Set(0x29, 0x0A);
  chip->Set(0x30, 0x66);
  return chip;
}

}  // namespace

BrenmorGtx480 AddBrenmorGtx480(EmulatedMachine& m, uint8_t bus, uint32_t bar0) {
  BrenmorGtx480 card;
  card.gpu = NvidiaGpu::Install(m, {bus, 0, 0x06C0, 0xA3, kBoardVendorPciSubsystemId, 0x2480, bar0});
  card.gpu->SetRegister(0, kBoot0);
  // 1.000 V core (code 8 + 100), 1.151 V PCI Express (code 3), 1.755 V frame buffer (code 16).
  card.core = std::make_shared<CardRegulator>(CardRegulator::Rail{0xC8, 0xC9, 0.95, 0.00625, 100}, 108);
  card.pex = std::make_shared<CardRegulator>(CardRegulator::Rail{0x01, -1, 1.046, 0.035, 0}, 3);
  card.frameBuffer = std::make_shared<CardRegulator>(CardRegulator::Rail{0x01, -1, 1.595, 0.01, 0}, 16);
  card.thermal = Adt7473();
  card.gpu->I2cBus(3).Attach(0x30, card.core);
  card.gpu->I2cBus(3).Attach(0x31, card.pex);
  card.gpu->I2cBus(3).Attach(0x32, card.frameBuffer);
  card.gpu->I2cBus(1).Attach(0x2E, card.thermal);
  return card;
}

}  // namespace emu
