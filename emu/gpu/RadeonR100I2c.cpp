#include "emu/gpu/RadeonR100I2c.h"

namespace emu {

namespace {
constexpr uint32_t kDone = 1u << 0, kNack = 1u << 1, kHalt = 1u << 2, kSoftReset = 1u << 5;
constexpr uint32_t kReceive = 1u << 10, kGo = 1u << 12;
constexpr uint32_t kEnable = 1u << 17;
}  // namespace

RadeonR100I2c::Engine* RadeonR100I2c::EngineAt(uint64_t offset, uint32_t* reg) {
  for (Engine& e : engines_)
    if (offset >= e.base && offset < e.base + 12) {
      *reg = static_cast<uint32_t>(offset - e.base);
      return &e;
    }
  return nullptr;
}

bool RadeonR100I2c::MmioRead(uint64_t offset, int width, uint32_t* value) {
  uint32_t reg = 0;
  Engine* e = width == 4 ? EngineAt(offset, &reg) : nullptr;
  if (e && reg == 8) {
    *value = e->fifo.empty() ? 0 : e->fifo.front();
    if (!e->fifo.empty()) e->fifo.pop_front();
    return true;
  }
  return GpuRegisterFile::MmioRead(offset, width, value);
}

bool RadeonR100I2c::MmioWrite(uint64_t offset, int width, uint32_t value) {
  uint32_t reg = 0;
  Engine* e = width == 4 ? EngineAt(offset, &reg) : nullptr;
  if (!e || reg == 4) return GpuRegisterFile::MmioWrite(offset, width, value);
  if (reg == 8) {
    e->fifo.push_back(static_cast<uint8_t>(value));
    return true;
  }
  uint32_t status = Get32(e->base) & (kDone | kNack | kHalt);
  status &= ~(value & (kDone | kNack | kHalt));
  if (value & kSoftReset) {
    e->fifo.clear();
    status = 0;
  }
  Set32(e->base, (value & ~(kDone | kNack | kHalt | kSoftReset | kGo)) | status);
  if (value & kGo) Go(*e, value);
  return true;
}

// One transfer: the address byte from the FIFO, then the data bytes.
void RadeonR100I2c::Go(Engine& e, uint32_t control) {
  const uint32_t setup = Get32(e.base + 4);
  const int line = e.base == 0x90 ? 0 : 1 + static_cast<int>((control >> 3) & 3);
  const int count = static_cast<int>(setup & 0xF);
  uint32_t status = kHalt;
  if ((setup & kEnable) && line < kLines && !e.fifo.empty()) {
    const uint8_t address = e.fifo.front();
    e.fifo.pop_front();
    const auto& devices = lines_[static_cast<size_t>(line)];
    auto it = devices.find(address >> 1);
    SmbusSlave* device = it == devices.end() ? nullptr : it->second.get();
    status = device ? kDone : kNack;
    if (device && (control & kReceive)) {
      e.fifo.clear();
      for (int i = 0; i < count; ++i) {
        uint8_t v = 0xFF;
        if (!device->ReadByteData(e.pointer, &v)) v = 0xFF;
        ++e.pointer;
        e.fifo.push_back(v);
      }
    } else if (device) {
      for (int i = 0; i < count && !e.fifo.empty(); ++i) {
        const uint8_t b = e.fifo.front();
        e.fifo.pop_front();
        if (i == 0) {
          e.pointer = b;
          if (!device->SendByte(b)) status = kNack;
        } else {
          device->WriteByteData(e.pointer++, b);
        }
      }
    }
  }
  Set32(e.base, (Get32(e.base) & ~(kDone | kNack | kHalt)) | status);
}

}  // namespace emu
