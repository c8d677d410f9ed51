// One SMBus as the host controller sees it: a common segment that is always
// connected and, on boards with a bus switch, further segments of which at
// most one is connected at a time. Which one is decided by a selector the
// board supplies (GPIO levels, a Super I/O register); the bus asks it on
// every transaction, so the switch follows the pins at once.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "emu/smbus/SmbusSlave.h"

namespace emu {

class SmbusBus {
 public:
  static constexpr int kNoSegment = -1;

  // A slave on the common segment (7-bit address).
  void Attach(uint8_t address, std::shared_ptr<SmbusSlave> slave);
  // A slave behind the switch, on `segment` (0, 1, ...).
  void AttachToSegment(int segment, uint8_t address, std::shared_ptr<SmbusSlave> slave);
  void Detach(uint8_t address);
  // Returns the connected segment or kNoSegment.
  void SetSegmentSelector(std::function<int()> selector) { selector_ = std::move(selector); }
  int ConnectedSegment() const { return selector_ ? selector_() : kNoSegment; }

  // The slave that acknowledges `address` now, or null (a NAK). A common
  // slave wins over one behind the switch.
  SmbusSlave* Find(uint8_t address) const;

 private:
  std::map<uint8_t, std::shared_ptr<SmbusSlave>> common_;
  std::map<int, std::map<uint8_t, std::shared_ptr<SmbusSlave>>> segments_;
  std::function<int()> selector_;
};

}  // namespace emu
