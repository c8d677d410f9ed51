#include "emu/PhysicalMemory.h"

#include <cstring>


namespace emu {

namespace {
constexpr uint64_t kPageSize = 4096;
}  // namespace

void PhysicalMemory::AddRam(uint64_t base, uint64_t size) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  ram_.push_back({base, size});
}

void PhysicalMemory::AddMmio(uint64_t base, uint64_t size, std::shared_ptr<MmioDevice> device) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  mmio_.push_back({base, size, std::move(device)});
}

void PhysicalMemory::Load(uint64_t address, const void* data, size_t length) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < length; ++i)
    if (uint8_t* b = RamByte(address + i, true)) *b = p[i];
}

uint8_t* PhysicalMemory::RamByte(uint64_t address, bool create) {
  bool inRam = false;
  for (auto& r : ram_)
    if (address >= r.base && address - r.base < r.size) inRam = true;
  if (!inRam) return nullptr;
  uint64_t page = address / kPageSize;
  auto it = pages_.find(page);
  if (it == pages_.end()) {
    static uint8_t zero = 0;
    if (!create) {
      zero = 0;
      return &zero;
    }
    auto mem = std::make_unique<uint8_t[]>(kPageSize);
    std::memset(mem.get(), 0, kPageSize);
    it = pages_.emplace(page, std::move(mem)).first;
  }
  return &it->second[address % kPageSize];
}

bool PhysicalMemory::Piece(uint64_t address, int width, uint32_t* value, bool write) {
  for (auto& m : mmio_) {
    if (address >= m.base && address - m.base < m.size)
      return write ? m.device->MmioWrite(address - m.base, width, *value)
                   : m.device->MmioRead(address - m.base, width, value);
  }
  uint32_t v = 0;
  for (int i = 0; i < width; ++i) {
    uint8_t* b = RamByte(address + i, write);
    if (write) {
      if (b) *b = static_cast<uint8_t>(*value >> (8 * i));
    } else {
      v |= static_cast<uint32_t>(b ? *b : 0xFF) << (8 * i);
    }
  }
  if (!write) *value = v;
  return true;
}

bool PhysicalMemory::Read(uint64_t address, void* buffer, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  auto* out = static_cast<uint8_t*>(buffer);
  for (uint32_t done = 0; done < length;) {
    const int width = AlignedPiece(address + done, length - done);
    uint32_t v = 0;
    if (!Piece(address + done, width, &v, false)) return false;
    std::memcpy(out + done, &v, width);
    done += width;
  }
  return true;
}

bool PhysicalMemory::Write(uint64_t address, const void* buffer, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  const auto* in = static_cast<const uint8_t*>(buffer);
  for (uint32_t done = 0; done < length;) {
    const int width = AlignedPiece(address + done, length - done);
    uint32_t v = 0;
    std::memcpy(&v, in + done, width);
    if (!Piece(address + done, width, &v, true)) return false;
    done += width;
  }
  return true;
}

uint64_t PhysicalMemory::Map(uint64_t address, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  uint64_t handle = nextMapping_;
  nextMapping_ += 0x1000;
  mappings_[handle] = {address, length};
  return handle;
}

bool PhysicalMemory::Resolve(uint64_t handle, uint32_t offset, uint32_t length, uint64_t* address) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  auto it = mappings_.find(handle);
  if (it == mappings_.end() || offset > it->second.length || length > it->second.length - offset) return false;
  *address = it->second.address + offset;
  return true;
}

void PhysicalMemory::Unmap(uint64_t handle) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  mappings_.erase(handle);
}

}  // namespace emu
