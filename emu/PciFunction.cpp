#include "emu/PciFunction.h"

namespace emu {

PciFunction::PciFunction(uint8_t bus, uint8_t device, uint8_t function, uint16_t vendorId, uint16_t deviceId,
                         uint32_t classRevision, uint8_t headerType)
    : bus_(bus), device_(device), function_(function) {
  Set16(0x00, vendorId);
  Set16(0x02, deviceId);
  Set32(0x08, classRevision);
  Set8(0x0E, headerType);
  // Software may write the command register, cache line, latency, BARs,
  // interrupt line and the device-specific area; identification registers
  // are read-only.
  SetWritable(0x04, 2, 0xFF);
  SetWritable(0x0C, 2, 0xFF);
  SetWritable(0x10, 0x18, 0xFF);
  SetWritable(0x3C, 1, 0xFF);
  SetWritable(0x40, kConfigSize - 0x40, 0xFF);
}

void PciFunction::SetWritable(uint32_t offset, uint32_t length, uint8_t mask) {
  for (uint32_t i = 0; i < length && offset + i < kConfigSize; ++i) writable_[offset + i] = mask;
}

void PciFunction::SetSubsystem(uint16_t vendor, uint16_t device) {
  Set16(0x2C, vendor);
  Set16(0x2E, device);
}

uint8_t PciFunction::AddCapability(uint8_t id, uint8_t offset, uint8_t length) {
  // Link at the end of the list.
  Set16(0x06, Get16(0x06) | 0x10);
  if (!config_[0x34]) {
    config_[0x34] = offset;
  } else {
    uint8_t p = config_[0x34];
    while (config_[p + 1]) p = config_[p + 1];
    config_[p + 1] = offset;
  }
  config_[offset] = id;
  config_[offset + 1] = 0;
  (void)length;
  return offset;
}

uint32_t PciFunction::ConfigRead(uint32_t offset, int width) {
  if (hidden) return width == 4 ? 0xFFFFFFFF : width == 2 ? 0xFFFF : 0xFF;
  if (offset >= (express ? kConfigSize : 256u)) return 0;
  uint32_t v = 0;
  for (int i = 0; i < width && offset + i < kConfigSize; ++i) v |= static_cast<uint32_t>(config_[offset + i]) << (8 * i);
  return v;
}

void PciFunction::ConfigWrite(uint32_t offset, int width, uint32_t value) {
  if (hidden || offset >= (express ? kConfigSize : 256u)) return;
  for (int i = 0; i < width && offset + i < kConfigSize; ++i) {
    uint8_t b = static_cast<uint8_t>(value >> (8 * i));
    uint8_t m = writable_[offset + i];
    config_[offset + i] = static_cast<uint8_t>((config_[offset + i] & ~m) | (b & m));
  }
}

}  // namespace emu
