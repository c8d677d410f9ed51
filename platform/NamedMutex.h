// Named cross-process mutexes shared by every program on the machine.
//
// A mutex lives in a POSIX shared-memory segment named after the lock. It is
// robust (an owner that dies while holding it hands it over as "abandoned"),
// process-shared and recursive for the owning thread. Waits report the
// classic wait results so that callers can tell a time-out from an abandoned
// owner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace plat {

inline constexpr uint32_t kWaitObject0 = 0x0;
inline constexpr uint32_t kWaitAbandoned = 0x80;
inline constexpr uint32_t kWaitTimeout = 0x102;
inline constexpr uint32_t kWaitFailed = 0xFFFFFFFF;
inline constexpr uint32_t kInfinite = 0xFFFFFFFF;

struct SharedMutexBlock;

class NamedMutex {
 public:
  // Opens the mutex called `name`, creating it when no process has it yet.
  // Returns null with `error` set to an errno value when the segment cannot
  // be created or opened.
  static std::unique_ptr<NamedMutex> Open(const std::string& name, bool initialOwner, int* error);

  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Waits up to `timeoutMs` (kInfinite = no limit). Returns kWaitObject0,
  // kWaitAbandoned (the caller now owns it and it is consistent again),
  // kWaitTimeout, or kWaitFailed with `error` set.
  uint32_t Wait(uint32_t timeoutMs, int* error = nullptr);

  // Releases one level of ownership. Returns false, touching nothing, when
  // the calling thread does not own the mutex.
  bool Release();

  // True while the calling thread holds the mutex at least once.
  bool OwnedByCaller() const;

  const std::string& Name() const { return name_; }

 private:
  NamedMutex() = default;

  std::string name_;
  SharedMutexBlock* block_ = nullptr;
};

// Prefix for every segment name. Programs leave the default so that they all
// meet on the same locks; test processes set their own so that parallel test
// runs do not contend. Also read from TORVIK_LOCK_NAMESPACE at first use.
void SetLockNamespace(const std::string& ns);
std::string LockNamespace();

// The segment name a lock of this name lives in (for diagnostics and tests).
std::string SegmentNameFor(const std::string& name);

}  // namespace plat

namespace plat {
// Removes every lock segment of a namespace (test clean-up).
void RemoveLockSegments(const std::string& ns);
}  // namespace plat
