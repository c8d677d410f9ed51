#include "emu/chips/Ich10rGpio.h"

#include "emu/PciFunction.h"

namespace emu {

namespace {
constexpr uint16_t kUseSel[3] = {0x00, 0x30, 0x40};
constexpr uint16_t kIoSel[3] = {0x04, 0x34, 0x44};
constexpr uint16_t kLevel[3] = {0x0C, 0x38, 0x48};
constexpr uint32_t kGpioBase = 0x48, kGpioControl = 0x4C;
constexpr uint8_t kGpioEnable = 0x10;
}  // namespace

uint32_t Ich10rGpio::Reg32(uint16_t offset) const {
  return static_cast<uint32_t>(regs_[offset]) | regs_[offset + 1] << 8 | regs_[offset + 2] << 16 |
         static_cast<uint32_t>(regs_[offset + 3]) << 24;
}

void Ich10rGpio::SetReg32(uint16_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) regs_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void Ich10rGpio::SetBank(int bank, uint32_t useSel, uint32_t ioSel, uint32_t level) {
  SetReg32(kUseSel[bank], useSel);
  SetReg32(kIoSel[bank], ioSel);
  SetReg32(kLevel[bank], level);
}

void Ich10rGpio::SetExternalLevel(int pin, bool high) {
  const uint32_t bit = 1u << (pin % 32);
  external_[pin / 32] = high ? external_[pin / 32] | bit : external_[pin / 32] & ~bit;
}

bool Ich10rGpio::PinLevel(int pin) const {
  const int bank = pin / 32;
  const uint32_t bit = 1u << (pin % 32);
  const bool driven = (Reg32(kUseSel[bank]) & bit) && !(Reg32(kIoSel[bank]) & bit);
  return (driven ? Reg32(kLevel[bank]) : external_[bank]) & bit;
}

bool Ich10rGpio::Decoded() const {
  return (lpc_.Get8(kGpioControl) & kGpioEnable) && (lpc_.Get32(kGpioBase) & 0xFF80u) == base_;
}

uint8_t Ich10rGpio::ReadByte(uint16_t offset) const {
  for (int bank = 0; bank < 3; ++bank) {
    if (offset >= kLevel[bank] && offset < kLevel[bank] + 4) {
      const int shift = 8 * (offset - kLevel[bank]);
      uint32_t v = 0;
      for (int bit = 0; bit < 32 && bank * 32 + bit < kPins; ++bit)
        if (PinLevel(bank * 32 + bit)) v |= 1u << bit;
      return static_cast<uint8_t>(v >> shift);
    }
  }
  return regs_[offset];
}

bool Ich10rGpio::PortRead(uint16_t offset, int width, uint32_t* value) {
  if (!Decoded()) {
    *value = width == 4 ? 0xFFFFFFFF : width == 2 ? 0xFFFF : 0xFF;
    return true;
  }
  uint32_t v = 0;
  for (int i = 0; i < width && offset + i < kSize; ++i) v |= static_cast<uint32_t>(ReadByte(offset + i)) << (8 * i);
  *value = v;
  return true;
}

bool Ich10rGpio::PortWrite(uint16_t offset, int width, uint32_t value) {
  if (!Decoded()) return true;
  for (int i = 0; i < width && offset + i < kSize; ++i) regs_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  return true;
}

}  // namespace emu
