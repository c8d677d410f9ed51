#include "emu/gpu/RadeonDcI2c.h"

namespace emu {

namespace {
constexpr uint32_t kControl = 0x7D30, kInterruptControl = 0x7D38, kStatus = 0x7D3C;
constexpr uint32_t kTransaction0 = 0x7D64, kData = 0x7D74, kGpioMask = 0x7E40;
constexpr uint32_t kDone = 1u << 2, kTimeout = 1u << 5, kStoppedOnNack = 1u << 8, kNack0 = 1u << 12;
}  // namespace

bool RadeonDcI2c::MmioRead(uint64_t offset, int width, uint32_t* value) {
  if (offset == kData && width == 4) {
    *value = static_cast<uint32_t>(buffer_[static_cast<size_t>(index_ & 0xFF)]) << 8;
    index_ = (index_ + 1) & 0xFF;
    return true;
  }
  return GpuRegisterFile::MmioRead(offset, width, value);
}

bool RadeonDcI2c::MmioWrite(uint64_t offset, int width, uint32_t value) {
  if (width != 4) return GpuRegisterFile::MmioWrite(offset, width, value);
  switch (offset) {
    case kData:
      if (value & 0x80000000u) index_ = static_cast<int>((value >> 16) & 0xFF);
      if (!(value & 1)) {
        buffer_[static_cast<size_t>(index_)] = static_cast<uint8_t>(value >> 8);
        index_ = (index_ + 1) & 0xFF;
      }
      return true;
    case kInterruptControl:
      if (value & 2) Set32(kStatus, Get32(kStatus) & ~kDone);
      Set32(kInterruptControl, value & ~2u);
      return true;
    case kControl:
      if (value & 2) Set32(kStatus, 0);
      Set32(kControl, value & ~1u);
      if (value & 1) Go();
      return true;
    default:
      return GpuRegisterFile::MmioWrite(offset, width, value);
  }
}

// Runs the programmed transactions over the selected line.
void RadeonDcI2c::Go() {
  ++runs_;
  const uint32_t control = Get32(kControl);
  const int line = static_cast<int>((control >> 8) & 7);
  const int count = static_cast<int>((control >> 20) & 3) + 1;
  uint32_t status = kDone;
  if (line >= kLines || (Get32(kGpioMask + 0x10u * static_cast<uint32_t>(line)) & 0xFFFF)) {
    Set32(kStatus, status | kTimeout);
    return;
  }
  const auto& devices = lines_[static_cast<size_t>(line)];
  size_t p = 0;
  SmbusSlave* device = nullptr;
  uint8_t pointer = 0;
  for (int t = 0; t < count; ++t) {
    const uint32_t tr = Get32(kTransaction0 + 4u * static_cast<uint32_t>(t));
    const int bytes = static_cast<int>((tr >> 16) & 0xFF);
    if (tr & (1u << 12)) {
      const uint8_t a = buffer_[p++ & 0xFF];
      auto it = devices.find(a >> 1);
      device = it == devices.end() ? nullptr : it->second.get();
      if (!device) {
        status |= kNack0 << t;
        if (tr & (1u << 8)) status |= kStoppedOnNack;
        break;
      }
    }
    bool first = true;
    for (int b = 0; b < bytes && device; ++b) {
      uint8_t& slot = buffer_[p++ & 0xFF];
      if (tr & 1) {
        uint8_t v = 0xFF;
        if (!device->ReadByteData(pointer, &v)) v = 0xFF;
        ++pointer;
        slot = v;
      } else if (first && (tr & (1u << 12))) {
        pointer = slot;
        device->SendByte(slot);
      } else {
        device->WriteByteData(pointer++, slot);
      }
      first = false;
    }
  }
  Set32(kStatus, status);
}

}  // namespace emu
