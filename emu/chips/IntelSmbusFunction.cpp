#include "emu/chips/IntelSmbusFunction.h"

namespace emu {

IntelSmbusFunction::IntelSmbusFunction(TimeBase& time, uint16_t deviceId, uint16_t ioBase)
    : PciFunction(0, 0x1F, 3, 0x8086, deviceId, 0x0C050000), time_(time) {
  Set16(0x04, 0x0001);  // I/O space enable
  Set32(0x20, (ioBase & 0xFFE0u) | 1);
  // SMB_BASE: bits 15:5 are the base, bit 0 reads 1 (I/O indicator).
  SetWritable(0x10, 0x10, 0x00);
  SetWritable(0x20, 1, 0xE0);
  SetWritable(0x21, 1, 0xFF);
  SetWritable(0x22, 2, 0x00);
  SetWritable(0x24, 4, 0x00);
  Set8(kHostc, kHostcHostEnable);
  SetWritable(kHostc, 1, 0x1F);
}

void IntelSmbusFunction::SetFunctionDisabled(bool disabled) {
  if (disabled == disabled_) return;
  disabled_ = disabled;
  if (!disabled) reappearNs_ = time_.NowNs() + kReappearNs;
  Refresh();
}

bool IntelSmbusFunction::Present() const { return !disabled_ && time_.NowNs() >= reappearNs_; }

void IntelSmbusFunction::Refresh() { hidden = !Present(); }

bool IntelSmbusFunction::DecodesIo(uint16_t port) const {
  return Present() && (Get16(0x04) & 1) && (Get32(0x20) & 0xFFE0u) == port;
}

uint32_t IntelSmbusFunction::ConfigRead(uint32_t offset, int width) {
  Refresh();
  return PciFunction::ConfigRead(offset, width);
}

void IntelSmbusFunction::ConfigWrite(uint32_t offset, int width, uint32_t value) {
  Refresh();
  PciFunction::ConfigWrite(offset, width, value);
}

}  // namespace emu
