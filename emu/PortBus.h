// The emulated machine's I/O port space: the port devices the board placed,
// configuration mechanism #1 handed to the PCI bus, and the software SMI
// port 0xB2. A port nothing decodes reads all ones and drops writes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "emu/Devices.h"

namespace emu {

class PciBus;

class PortBus {
 public:
  PortBus(std::recursive_mutex& lock, PciBus& pci) : lock_(lock), pci_(pci) {}

  void Add(uint16_t first, uint16_t count, std::shared_ptr<PortDevice> device);
  // A handler for software SMIs written to port 0xB2.
  void SetSmiHandler(std::function<bool(uint32_t regs[4])> handler);

  // One access as a device on the bus sees it (no fault, no time cost).
  bool Access(uint16_t port, int width, uint32_t* value, bool write);
  // A software SMI with the registers the caller loaded: the handler runs
  // (a board without one leaves the registers as they were), then the
  // command byte goes out on the POST port 0x84 like the firmware's.
  void SoftwareSmi(uint32_t regs[4]);

 private:
  struct Range {
    uint16_t first, count;
    std::shared_ptr<PortDevice> device;
  };
  std::recursive_mutex& lock_;  // the machine's one lock
  PciBus& pci_;
  std::vector<Range> ranges_;
  std::function<bool(uint32_t regs[4])> smiHandler_;
};

}  // namespace emu
