// The hardware lock: the SDK lock, then the driver channel, released in
// reverse. Every batch of hardware access after start-up runs inside one;
// start-up and teardown, when no other thread uses the SDK, take the channel
// alone (pass no SDK).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/LockTimeouts.h"

class CKMDriver;
class QUARNSDK;

class HardwareLock {
 public:
  enum class Channel {
    Required,  // no channel, no lock: the SDK lock is given back
    Optional,  // the batch runs on cached values when the channel is busy
  };

  // Waits up to `sdkTimeoutMs` for the SDK lock (skipped when `sdk` is null)
  // and up to plat::kChannelTimeoutMs for the channel. A lock whose previous
  // holder died is taken over: the wait reports it and is tried once more.
  HardwareLock(QUARNSDK* sdk, CKMDriver* driver, uint32_t sdkTimeoutMs, Channel channel = Channel::Required);
  ~HardwareLock();
  HardwareLock(const HardwareLock&) = delete;
  HardwareLock& operator=(const HardwareLock&) = delete;

  // True when the lock is held as asked for.
  bool Held() const { return held_; }
  explicit operator bool() const { return held_; }
  bool ChannelHeld() const { return channelHeld_; }
  // The SDK lock's wait status and the channel's error when not obtained.
  uint32_t SdkStatus() const { return sdkStatus_; }
  uint32_t ChannelError() const { return channelError_; }

  // Gives everything up early (the destructor does it otherwise).
  void Unlock();

  // Runs `wait` with the calling thread's hardware lock given up, so that a
  // measurement's window does not keep every other user of the SDK out, and
  // takes back what was held (SDK lock, then channel) afterwards, waiting up
  // to plat::kUserActionSdkTimeoutMs. Without a lock on this thread it just
  // waits. False when the lock could not be taken back: the lock is then
  // given up entirely and the caller must touch no hardware.
  static bool ReleasedDuring(const std::function<void()>& wait);
  // True on a thread whose lock ReleasedDuring could not take back, until
  // that thread takes a new lock.
  static bool Lost();

  // The longest time the lock was held in one stretch, and the time held
  // in all (both in nanoseconds, up to now when held).
  uint64_t LongestStretchNs() const;
  uint64_t TotalHeldNs() const;

 private:
  bool Relock();
  void EndStretch();

  QUARNSDK* sdk_;
  CKMDriver* driver_;
  bool sdkHeld_ = false;
  bool channelHeld_ = false;
  bool held_ = false;
  std::chrono::steady_clock::time_point stretchStart_{};
  uint64_t longestNs_ = 0;
  uint64_t totalNs_ = 0;
  uint32_t sdkStatus_ = 0;
  uint32_t channelError_ = 0;
};

// Takes the driver channel, taking over once from a holder that died.
bool AcquireChannel(CKMDriver& driver, uint32_t* error, uint32_t timeoutMs = plat::kChannelTimeoutMs);
