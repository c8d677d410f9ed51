#include "platform/GlobalMutex.h"

#include <cerrno>
#include <cstdio>

namespace plat {

MutexHandle CreateGlobalMutex(bool initialOwner, const char* name, int* error) {
  if (!name) {
    if (error) *error = EINVAL;
    return nullptr;
  }
  char full[512];
  std::snprintf(full, sizeof(full), "Global\\%s", name);
  return NamedMutex::Open(full, initialOwner, error).release();
}

void CloseMutex(MutexHandle handle) { delete handle; }

uint32_t WaitForMutex(MutexHandle handle, uint32_t timeoutMs, int* error) {
  if (!handle) {
    if (error) *error = EINVAL;
    return kWaitFailed;
  }
  return handle->Wait(timeoutMs, error);
}

bool ReleaseMutex(MutexHandle handle) { return handle && handle->Release(); }

}  // namespace plat
