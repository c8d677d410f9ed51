#include "emu/PciBus.h"

#include <cstring>

#include "driver/DriverProtocol.h"

namespace emu {

PciFunction& PciBus::Add(std::unique_ptr<PciFunction> function) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  functions_.push_back(std::move(function));
  return *functions_.back();
}

PciFunction* PciBus::Find(uint32_t bus, uint32_t device, uint32_t function) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  for (auto& f : functions_)
    if (f->Bus() == bus && f->Device() == device && f->Function() == function) return f.get();
  return nullptr;
}

uint32_t PciBus::Read(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, int width) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  PciFunction* f = Find(bus, device, function);
  return f ? f->ConfigRead(offset, width) : FloatingBus(width);
}

void PciBus::Write(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, int width, uint32_t value) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  if (PciFunction* f = Find(bus, device, function)) f->ConfigWrite(offset, width, value);
}

void PciBus::ReadRange(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, void* buffer,
                       uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  auto* out = static_cast<uint8_t*>(buffer);
  for (uint32_t i = 0; i < length;) {
    const int width = AlignedPiece(offset + i, length - i);
    const uint32_t v = Read(bus, device, function, offset + i, width);
    std::memcpy(out + i, &v, width);
    i += width;
  }
}

void PciBus::WriteRange(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, const void* buffer,
                        uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  const auto* in = static_cast<const uint8_t*>(buffer);
  for (uint32_t i = 0; i < length;) {
    const int width = AlignedPiece(offset + i, length - i);
    uint32_t v = 0;
    std::memcpy(&v, in + i, width);
    Write(bus, device, function, offset + i, width, v);
    i += width;
  }
}

bool PciBus::IsMechanismPort(uint16_t port) {
  return port >= drv::kPciConfigAddressPort && port < drv::kPciConfigDataPort + 4;
}

bool PciBus::MechanismAccess(uint16_t port, int width, uint32_t* value, bool write) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  if (port < drv::kPciConfigDataPort) {
    if (width != 4 || port != drv::kPciConfigAddressPort) {
      // Byte and word accesses to 0xCF8 are ordinary I/O, not the address latch.
      if (!write) *value = FloatingBus(width);
      return true;
    }
    if (write)
      cf8_ = *value;
    else
      *value = cf8_;
    return true;
  }
  // 0xCFC..0xCFF: the data window.
  const uint32_t offset = (cf8_ & 0xFC) + (port - drv::kPciConfigDataPort);
  const uint32_t bus = (cf8_ >> 16) & 0xFF, dev = (cf8_ >> 11) & 0x1F, fn = (cf8_ >> 8) & 7;
  if (!(cf8_ & 0x80000000u)) {
    if (!write) *value = FloatingBus(width);
    return true;
  }
  if (write)
    Write(bus, dev, fn, offset, width, *value);
  else
    *value = Read(bus, dev, fn, offset, width);
  return true;
}

}  // namespace emu
