#include "sdk/access/CMemoryMap.h"

#include "driver/CKMDriver.h"
#include "sdk/core/QUARNSDK.h"

int CMemoryMap::Map() {
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  CKMDriver* driver = sdk ? sdk->GetDriver() : nullptr;
  uint64_t handle = 0;
  if (!driver || !driver->MapPhysical(addressHigh, addressLow, length, &handle)) return 0;
  handleLow = static_cast<uint32_t>(handle);
  handleHigh = static_cast<uint32_t>(handle >> 32);
  return 1;
}

void CMemoryMap::Unmap() {
  if (!handleLow && !handleHigh) return;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  CKMDriver* driver = sdk ? sdk->GetDriver() : nullptr;
  if (driver) driver->UnmapPhysical(addressHigh, addressLow, length);
  handleLow = handleHigh = 0;
}
