// Single-instance check of a program: an exclusive, non-blocking advisory
// lock on a file named after the instance lock, next to the named-mutex
// segments of the current lock namespace. The kernel drops the lock when
// the holding process ends, however it ends, so a crashed copy never keeps
// a new one from starting.
#pragma once

#include <string>

namespace plat {

class InstanceGuard {
 public:
  // Does not lock yet.
  explicit InstanceGuard(std::string name);
  ~InstanceGuard();
  InstanceGuard(const InstanceGuard&) = delete;
  InstanceGuard& operator=(const InstanceGuard&) = delete;

  // True when this process now holds the instance lock (or already held it
  // through this guard). False when another process holds it. When the lock
  // file cannot be made at all there is nothing to tell us about another
  // copy and the call succeeds.
  bool TryAcquire();
  void Release();
  bool Held() const { return fd_ >= 0 || heldWithoutFile_; }

  // The lock file for `name` in the current lock namespace.
  static std::string PathFor(const std::string& name);

 private:
  std::string name_;
  int fd_ = -1;
  bool heldWithoutFile_ = false;
};

}  // namespace plat
