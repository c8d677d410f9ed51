// The hardware lock: the SDK lock, then the driver channel, released in
// reverse. Every batch of hardware access after start-up runs inside one;
// start-up and teardown, when no other thread uses the SDK, take the channel
// alone (pass no SDK).
#pragma once

#include <cstdint>

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

 private:
  QUARNSDK* sdk_;
  CKMDriver* driver_;
  bool sdkHeld_ = false;
  bool channelHeld_ = false;
  bool held_ = false;
  uint32_t sdkStatus_ = 0;
  uint32_t channelError_ = 0;
};

// Takes the driver channel, taking over once from a holder that died.
bool AcquireChannel(CKMDriver& driver, uint32_t* error, uint32_t timeoutMs = plat::kChannelTimeoutMs);
