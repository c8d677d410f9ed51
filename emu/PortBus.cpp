#include "emu/PortBus.h"

#include "emu/PciBus.h"

namespace emu {

void PortBus::Add(uint16_t first, uint16_t count, std::shared_ptr<PortDevice> device) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  ranges_.push_back({first, count, std::move(device)});
}

void PortBus::SetSmiHandler(std::function<bool(uint32_t regs[4])> handler) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  smiHandler_ = std::move(handler);
}

bool PortBus::Access(uint16_t port, int width, uint32_t* value, bool write) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  if (PciBus::IsMechanismPort(port)) return pci_.MechanismAccess(port, width, value, write);
  if (port == 0xB2 && write && smiHandler_) {
    uint32_t regs[4] = {*value, 0, 0, 0};
    smiHandler_(regs);
    return true;
  }
  for (auto& r : ranges_) {
    if (port >= r.first && port < r.first + r.count) return write ? r.device->PortWrite(port - r.first, width, *value)
                                                                  : r.device->PortRead(port - r.first, width, value);
  }
  // Nothing decodes the port: reads float high, writes vanish.
  if (!write) *value = FloatingBus(width);
  return true;
}

void PortBus::SoftwareSmi(uint32_t regs[4]) {
  std::lock_guard<std::recursive_mutex> g(lock_);
  if (smiHandler_) smiHandler_(regs);
  uint32_t al = regs[0] & 0xFF;
  Access(0x84, 1, &al, true);
}

}  // namespace emu
