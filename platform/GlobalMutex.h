// The one way every component creates its named cross-process mutexes, so
// that all programs built on the same SDK and driver meet on the same locks.
#pragma once

#include "platform/NamedMutex.h"

namespace plat {

using MutexHandle = NamedMutex*;

// Returns an open mutex (owned by the caller; close with CloseMutex) or null
// with `error` set. The name gets the machine-wide "Global\" prefix.
MutexHandle CreateGlobalMutex(bool initialOwner, const char* name, int* error = nullptr);
void CloseMutex(MutexHandle handle);

// Waits on a handle: kWaitObject0, kWaitAbandoned, kWaitTimeout or
// kWaitFailed (with `error` set). A null handle fails with EINVAL.
uint32_t WaitForMutex(MutexHandle handle, uint32_t timeoutMs, int* error = nullptr);
// Releases one level of ownership; false when the caller does not own it.
bool ReleaseMutex(MutexHandle handle);

}  // namespace plat
