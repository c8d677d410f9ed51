// The ICH10 general-purpose I/O registers at GPIOBASE (LPC configuration
// 0x48, bits 15:7; decoded while GPIO_CNTL bit 4 at 0x4C is set; ICH10
// datasheet 13.10). 128 bytes, any access width. Three banks of pins:
//
//   bank 0 (GPIO 0-31):  0x00 GPIO_USE_SEL,  0x04 GP_IO_SEL,  0x0C GP_LVL
//   bank 1 (GPIO 32-63): 0x30 GPIO_USE_SEL2, 0x34 GP_IO_SEL2, 0x38 GP_LVL2
//   bank 2 (GPIO 64-75): 0x40 GPIO_USE_SEL3, 0x44 GP_IO_SEL3, 0x48 GP_LVL3
//
// USE_SEL 1 = general-purpose pin, IO_SEL 1 = input. GP_LVL reads the
// driven level for GPIO outputs and the pin's external level otherwise;
// writes always go to the output latch. Other registers are stored.
#pragma once

#include <cstdint>

#include "emu/Devices.h"

namespace emu {

class PciFunction;

class Ich10rGpio : public PortDevice {
 public:
  static constexpr uint16_t kSize = 0x80;
  static constexpr int kPins = 76;

  Ich10rGpio(PciFunction& lpc, uint16_t base) : lpc_(lpc), base_(base) {}

  // Firmware state of a bank (0, 1, 2): use-select, direction, output latch.
  void SetBank(int bank, uint32_t useSel, uint32_t ioSel, uint32_t level);
  // What the board drives onto a pin when the chipset does not drive it.
  void SetExternalLevel(int pin, bool high);
  // The level on the pin now.
  bool PinLevel(int pin) const;

  bool PortRead(uint16_t offset, int width, uint32_t* value) override;
  bool PortWrite(uint16_t offset, int width, uint32_t value) override;

 private:
  bool Decoded() const;
  uint32_t Reg32(uint16_t offset) const;
  void SetReg32(uint16_t offset, uint32_t value);
  uint8_t ReadByte(uint16_t offset) const;

  PciFunction& lpc_;
  uint16_t base_;
  uint8_t regs_[kSize] = {};
  uint32_t external_[3] = {};
};

}  // namespace emu
