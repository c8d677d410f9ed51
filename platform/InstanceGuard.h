// Single-instance check of a program: an exclusive, non-blocking advisory
// lock on a file named after the instance lock, next to the named-mutex
// segments of the current lock namespace in the owner-only lock directory. The kernel drops the lock when
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
  // through this guard). False when another process holds it, and also when
  // the lock file cannot be had safely (with a message): the check fails
  // closed.
  bool TryAcquire();
  void Release();
  bool Held() const { return fd_ >= 0; }

  // The lock file for `name` in the current lock namespace and directory.
  static std::string PathFor(const std::string& name);
  static std::string FileFor(const std::string& name);

 private:
  std::string name_;
  int fd_ = -1;
};

}  // namespace plat
