#include "sdk/core/HardwareLock.h"

#include "driver/CKMDriver.h"
#include "platform/NamedMutex.h"
#include "sdk/core/QUARNSDK.h"

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
}

HardwareLock::~HardwareLock() { Unlock(); }

void HardwareLock::Unlock() {
  if (channelHeld_) driver_->Release();
  channelHeld_ = false;
  if (sdkHeld_) sdk_->Unlock();
  sdkHeld_ = false;
  held_ = false;
}
