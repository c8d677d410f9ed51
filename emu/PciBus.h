// The emulated machine's PCI configuration space: the board's functions by
// bus, device and function, and configuration mechanism #1 (the address
// latch at 0xCF8, the data window at 0xCFC-0xCFF) that the port bus hands
// over. A function that is not there answers all ones, like the master
// abort of a real bus.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "emu/Devices.h"
#include "emu/PciFunction.h"

namespace emu {

class PciBus {
 public:
  explicit PciBus(std::recursive_mutex& lock) : lock_(lock) {}

  PciFunction& Add(std::unique_ptr<PciFunction> function);
  PciFunction* Find(uint32_t bus, uint32_t device, uint32_t function);
  const std::vector<std::unique_ptr<PciFunction>>& Functions() const { return functions_; }

  // One naturally aligned access of `width` bytes (1, 2 or 4).
  uint32_t Read(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, int width);
  void Write(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, int width, uint32_t value);
  // `length` bytes from `offset`, cut into naturally aligned accesses.
  void ReadRange(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, void* buffer, uint32_t length);
  void WriteRange(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, const void* buffer,
                  uint32_t length);

  // Configuration mechanism #1: the ports it decodes, and one access to them.
  static bool IsMechanismPort(uint16_t port);
  bool MechanismAccess(uint16_t port, int width, uint32_t* value, bool write);

 private:
  std::recursive_mutex& lock_;  // the machine's one lock
  std::vector<std::unique_ptr<PciFunction>> functions_;
  uint32_t cf8_ = 0;
};

}  // namespace emu
