#include "emu/gpu/RadeonAvivoI2c.h"

namespace emu {

namespace {
constexpr uint32_t kStatus = 0x7D30, kReset = 0x7D34, kControl1 = 0x7D38, kControl2 = 0x7D3C;
constexpr uint32_t kData = 0x7D44, kArbitration = 0x7D50, kGpioMask = 0x7E40;
constexpr uint32_t kDone = 1u << 0, kNack = 1u << 1, kHalt = 1u << 2, kGo = 1u << 3;
}  // namespace

bool RadeonAvivoI2c::MmioRead(uint64_t offset, int width, uint32_t* value) {
  if (offset == kData && width == 4) {
    *value = fifo_.empty() ? 0 : fifo_.front();
    if (!fifo_.empty()) fifo_.pop_front();
    return true;
  }
  return GpuRegisterFile::MmioRead(offset, width, value);
}

bool RadeonAvivoI2c::MmioWrite(uint64_t offset, int width, uint32_t value) {
  if (width != 4) return GpuRegisterFile::MmioWrite(offset, width, value);
  switch (offset) {
    case kData:
      fifo_.push_back(static_cast<uint8_t>(value));
      return true;
    case kStatus:
      Set32(kStatus, Get32(kStatus) & ~(value & (kDone | kNack | kHalt)));
      if (value & kGo) Go();
      return true;
    case kReset:
      if (value & 1) {
        fifo_.clear();
        Set32(kStatus, 0);
      }
      Set32(kReset, value);
      return true;
    case kArbitration: {
      uint32_t v = value & ~2u;
      if (value & 1) v |= 2u;                       // granted at once
      if (value & (1u << 8)) v &= ~(1u | 2u | (1u << 8));  // released
      Set32(kArbitration, v);
      return true;
    }
    default:
      return GpuRegisterFile::MmioWrite(offset, width, value);
  }
}

// One transfer: the address byte from the FIFO, then the data bytes written
// from it or received into it.
void RadeonAvivoI2c::Go() {
  ++transfers_;
  const uint32_t control = Get32(kControl1);
  const int line = static_cast<int>((control >> 16) & 3);
  const int count = static_cast<int>((Get32(kControl2) >> 8) & 0xF);
  uint32_t status = Get32(kStatus);
  if (!(control & (1u << 8)) || !(Get32(kArbitration) & 2u) || line >= kLines ||
      (Get32(kGpioMask + 0x10u * static_cast<uint32_t>(line)) & 0xFFFF) || fifo_.empty()) {
    Set32(kStatus, status | kHalt);
    return;
  }
  const uint8_t address = fifo_.front();
  fifo_.pop_front();
  const auto& devices = lines_[static_cast<size_t>(line)];
  auto it = devices.find(address >> 1);
  if (it == devices.end()) {
    fifo_.clear();
    Set32(kStatus, status | kNack);
    return;
  }
  device_ = it->second.get();
  if (control & (1u << 2)) {
    fifo_.clear();
    for (int i = 0; i < count; ++i) {
      uint8_t v = 0xFF;
      if (!device_->ReadByteData(pointer_, &v)) v = 0xFF;
      ++pointer_;
      fifo_.push_back(v);
    }
  } else {
    for (int i = 0; i < count && !fifo_.empty(); ++i) {
      const uint8_t b = fifo_.front();
      fifo_.pop_front();
      if (i == 0) {
        pointer_ = b;
        if (!device_->SendByte(b)) {
          Set32(kStatus, status | kNack);
          return;
        }
      } else {
        device_->WriteByteData(pointer_++, b);
      }
    }
  }
  Set32(kStatus, status | kDone);
}

}  // namespace emu
