// The driver channel of the running SDK, for spaces that talk to hardware.
#pragma once

#include "driver/CKMDriver.h"
#include "sdk/core/QUARNSDK.h"

inline CKMDriver* SdkDriver() {
  return QUARNSDK::HasInstance() ? QUARNSDK::GetInstance()->GetDriver() : nullptr;
}
