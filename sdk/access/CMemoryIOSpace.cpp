#include "sdk/access/CMemoryIOSpace.h"

#include "sdk/access/SdkDriver.h"

int CMemoryIOSpace::Read8(uint32_t offset, uint8_t* value) {
  CKMDriver* d = SdkDriver();
  return d && d->ReadPhysical8(baseHigh, baseLow, offset, value);
}

int CMemoryIOSpace::Read32(uint32_t offset, uint32_t* value) {
  CKMDriver* d = SdkDriver();
  return d && d->ReadPhysical32(baseHigh, baseLow, offset, value);
}

// One byte-wide write down to the endpoint: a read-modify-write of the
// containing dword would clear write-1-to-clear status bits beside the
// byte and store stale data into a neighbouring index/data register.
int CMemoryIOSpace::Write8(uint32_t offset, uint8_t value) {
  CKMDriver* d = SdkDriver();
  return d && d->WritePhysical8(baseHigh, baseLow, offset, value);
}

int CMemoryIOSpace::Write32(uint32_t offset, uint32_t value) {
  CKMDriver* d = SdkDriver();
  return d && d->WritePhysical32At(baseHigh, baseLow, offset, value);
}
