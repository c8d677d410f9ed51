// The emulated machine's physical address space: RAM ranges (backed by
// pages made on first write; unwritten RAM reads zero), memory-mapped
// devices over them, and the mappings the driver hands out. An address
// that nothing backs reads all ones and drops writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "emu/Devices.h"

namespace emu {

class PhysicalMemory {
 public:
  explicit PhysicalMemory(std::recursive_mutex& lock) : lock_(lock) {}

  void AddRam(uint64_t base, uint64_t size);
  void AddMmio(uint64_t base, uint64_t size, std::shared_ptr<MmioDevice> device);
  // Writes into RAM only (firmware tables, set-up).
  void Load(uint64_t address, const void* data, size_t length);

  // Reads and writes cut into naturally aligned pieces, each going to the
  // device or the RAM behind it (no fault, no time cost).
  bool Read(uint64_t address, void* buffer, uint32_t length);
  bool Write(uint64_t address, const void* buffer, uint32_t length);

  // Mappings: a handle for a range; `Resolve` gives the address of
  // `length` bytes at `offset` in it, false outside the mapping.
  uint64_t Map(uint64_t address, uint32_t length);
  bool Resolve(uint64_t handle, uint32_t offset, uint32_t length, uint64_t* address);
  void Unmap(uint64_t handle);
  size_t OpenMappings() const { return mappings_.size(); }

 private:
  struct MmioRange {
    uint64_t base, size;
    std::shared_ptr<MmioDevice> device;
  };
  struct RamRange {
    uint64_t base, size;
  };
  struct Mapping {
    uint64_t address;
    uint32_t length;
  };
  bool Piece(uint64_t address, int width, uint32_t* value, bool write);
  uint8_t* RamByte(uint64_t address, bool create);

  std::recursive_mutex& lock_;  // the machine's one lock
  std::vector<MmioRange> mmio_;
  std::vector<RamRange> ram_;
  std::map<uint64_t, std::unique_ptr<uint8_t[]>> pages_;
  std::map<uint64_t, Mapping> mappings_;
  uint64_t nextMapping_ = 0x1000;
};

}  // namespace emu
