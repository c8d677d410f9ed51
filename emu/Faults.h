// Injected faults: an access that fails, or a read whose value is replaced.
// Rules match an access kind and an address (or any address) and fire a
// number of times (or for ever).
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace emu {

enum class AccessKind { Port, Msr, Pci, Memory, Smbus, Install };

inline constexpr uint64_t kAnyAddress = ~0ull;

struct FaultRule {
  AccessKind kind;
  uint64_t address = kAnyAddress;  // port, MSR index, PCI bdf<<12|offset, physical address, SMBus slave
  bool onRead = true;
  bool onWrite = true;
  enum class Action { Fail, Override } action = Action::Fail;
  uint64_t value = 0;  // Override: the value a read returns
  int count = -1;      // times to fire; -1 = for ever
  std::string tag{};   // free text for SMBus-level faults ("nak", "collision", ...)
};

class FaultInjector {
 public:
  void Add(const FaultRule& rule);
  void Clear();
  // Returns the rule that fires for this access (consuming one count), or
  // false when none does.
  bool Match(AccessKind kind, uint64_t address, bool isWrite, FaultRule* fired);
  bool Empty() const;

 private:
  mutable std::mutex mutex_;
  std::vector<FaultRule> rules_;
};

}  // namespace emu
