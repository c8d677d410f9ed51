#include "emu/Faults.h"

namespace emu {

void FaultInjector::Add(const FaultRule& rule) {
  std::lock_guard<std::mutex> g(mutex_);
  rules_.push_back(rule);
}

void FaultInjector::Clear() {
  std::lock_guard<std::mutex> g(mutex_);
  rules_.clear();
}

bool FaultInjector::Empty() const {
  std::lock_guard<std::mutex> g(mutex_);
  return rules_.empty();
}

bool FaultInjector::Match(AccessKind kind, uint64_t address, bool isWrite, FaultRule* fired) {
  std::lock_guard<std::mutex> g(mutex_);
  for (size_t i = 0; i < rules_.size(); ++i) {
    FaultRule& r = rules_[i];
    if (r.kind != kind) continue;
    if (r.address != kAnyAddress && r.address != address) continue;
    if (isWrite ? !r.onWrite : !r.onRead) continue;
    if (fired) *fired = r;
    if (r.count > 0 && --r.count == 0) rules_.erase(rules_.begin() + static_cast<long>(i));
    return true;
  }
  return false;
}

}  // namespace emu
