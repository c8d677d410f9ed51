// The hardware lock of a user action (SDK lock without time limit, then the
// driver channel) for the length of a scope.
#pragma once

#include "app/CTorvikTuneApp.h"
#include "platform/NamedMutex.h"

class PageHardwareLock {
 public:
  PageHardwareLock() : app_(TheApp()), held_(app_ && app_->LockHardware(plat::kInfinite)) {}
  ~PageHardwareLock() {
    if (held_) app_->UnlockHardware();
  }
  PageHardwareLock(const PageHardwareLock&) = delete;
  PageHardwareLock& operator=(const PageHardwareLock&) = delete;
  bool Held() const { return held_; }

 private:
  CTorvikTuneApp* app_;
  bool held_;
};
