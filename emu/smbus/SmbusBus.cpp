#include "emu/smbus/SmbusBus.h"

namespace emu {

void SmbusBus::Attach(uint8_t address, std::shared_ptr<SmbusSlave> slave) { common_[address & 0x7F] = std::move(slave); }

void SmbusBus::AttachToSegment(int segment, uint8_t address, std::shared_ptr<SmbusSlave> slave) {
  segments_[segment][address & 0x7F] = std::move(slave);
}

void SmbusBus::Detach(uint8_t address) {
  common_.erase(address & 0x7F);
  for (auto& s : segments_) s.second.erase(address & 0x7F);
}

SmbusSlave* SmbusBus::Find(uint8_t address) const {
  address &= 0x7F;
  if (auto it = common_.find(address); it != common_.end()) return it->second.get();
  auto seg = segments_.find(ConnectedSegment());
  if (seg == segments_.end()) return nullptr;
  auto it = seg->second.find(address);
  return it == seg->second.end() ? nullptr : it->second.get();
}

}  // namespace emu
