#include "sdk/core/HardwareLock.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "driver/CKMDriver.h"
#include "platform/NamedMutex.h"
#include "sdk/core/QUARNSDK.h"

namespace {

// The hardware lock each thread holds, for ReleasedDuring. Kept by lock so
// that a lock released on another thread than the one that took it leaves
// nothing behind.
thread_local bool t_lost = false;
std::mutex g_holdersMutex;
std::vector<std::pair<std::thread::id, HardwareLock*>> g_holders;

void AddHolder(HardwareLock* lock) {
  std::lock_guard<std::mutex> guard(g_holdersMutex);
  g_holders.emplace_back(std::this_thread::get_id(), lock);
}

void RemoveHolder(HardwareLock* lock) {
  std::lock_guard<std::mutex> guard(g_holdersMutex);
  g_holders.erase(std::remove_if(g_holders.begin(), g_holders.end(), [&](const auto& h) { return h.second == lock; }),
                  g_holders.end());
}

// The innermost lock the calling thread holds, or null.
HardwareLock* CurrentHolder() {
  std::lock_guard<std::mutex> guard(g_holdersMutex);
  for (auto it = g_holders.rbegin(); it != g_holders.rend(); ++it)
    if (it->first == std::this_thread::get_id()) return it->second;
  return nullptr;
}

uint64_t NsSince(std::chrono::steady_clock::time_point start) {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count());
}

}  // namespace

bool AcquireChannel(CKMDriver& driver, uint32_t* error, uint32_t timeoutMs) {
  uint32_t dummy = 0;
  if (!error) error = &dummy;
  if (driver.Acquire(error, timeoutMs)) return true;
  // An abandoned wait hands the lock back; the wait itself told the user.
  return *error == plat::kWaitAbandoned && driver.Acquire(error, timeoutMs);
}

HardwareLock::HardwareLock(QUARNSDK* sdk, CKMDriver* driver, uint32_t sdkTimeoutMs, Channel channel)
    : sdk_(sdk), driver_(driver) {
  if (sdk_) {
    sdkHeld_ = sdk_->Lock(&sdkStatus_, sdkTimeoutMs);
    if (!sdkHeld_ && sdkStatus_ == plat::kWaitAbandoned) sdkHeld_ = sdk_->Lock(&sdkStatus_, sdkTimeoutMs);
    if (!sdkHeld_) return;
  }
  channelHeld_ = driver_ && AcquireChannel(*driver_, &channelError_);
  if (!channelHeld_ && channel == Channel::Required) {
    Unlock();
    return;
  }
  held_ = true;
  t_lost = false;
  stretchStart_ = std::chrono::steady_clock::now();
  AddHolder(this);
}

HardwareLock::~HardwareLock() { Unlock(); }

void HardwareLock::EndStretch() {
  const uint64_t ns = NsSince(stretchStart_);
  longestNs_ = std::max(longestNs_, ns);
  totalNs_ += ns;
}

void HardwareLock::Unlock() {
  if (held_) {
    EndStretch();
    RemoveHolder(this);
  }
  if (channelHeld_) driver_->Release();
  channelHeld_ = false;
  if (sdkHeld_) sdk_->Unlock();
  sdkHeld_ = false;
  held_ = false;
}

bool HardwareLock::Relock() {
  if (sdkHeld_) {
    sdkHeld_ = sdk_->Lock(&sdkStatus_, plat::kUserActionSdkTimeoutMs);
    if (!sdkHeld_ && sdkStatus_ == plat::kWaitAbandoned) sdkHeld_ = sdk_->Lock(&sdkStatus_, plat::kUserActionSdkTimeoutMs);
    if (!sdkHeld_) {
      channelHeld_ = false;
      return false;
    }
  }
  if (channelHeld_ && !AcquireChannel(*driver_, &channelError_)) {
    channelHeld_ = false;
    return false;
  }
  return true;
}

bool HardwareLock::ReleasedDuring(const std::function<void()>& wait) {
  HardwareLock* lock = CurrentHolder();
  if (!lock || !lock->held_) {
    wait();
    return true;
  }
  lock->EndStretch();
  if (lock->channelHeld_) lock->driver_->Release();
  if (lock->sdkHeld_) lock->sdk_->Unlock();
  wait();
  if (!lock->Relock()) {
    // Whatever was taken back is given up again; nothing is held now.
    RemoveHolder(lock);
    if (lock->channelHeld_) lock->driver_->Release();
    if (lock->sdkHeld_) lock->sdk_->Unlock();
    lock->channelHeld_ = lock->sdkHeld_ = lock->held_ = false;
    t_lost = true;
    return false;
  }
  lock->stretchStart_ = std::chrono::steady_clock::now();
  return true;
}

bool HardwareLock::Lost() { return t_lost; }

uint64_t HardwareLock::LongestStretchNs() const {
  return held_ ? std::max(longestNs_, NsSince(stretchStart_)) : longestNs_;
}

uint64_t HardwareLock::TotalHeldNs() const { return held_ ? totalNs_ + NsSince(stretchStart_) : totalNs_; }
