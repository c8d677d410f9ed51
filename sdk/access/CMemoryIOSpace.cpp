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

// The channel has no byte-wide physical write, and the driver's own byte
// write (WritePhysical8) rewrites the dword that *starts* at the byte, so
// an 8-bit write at offset 5 would also store bytes 6 to 8 - for MMIO
// registers that is a write to three neighbouring registers, which may
// clear status bits or start transfers. Instead the dword that contains the
// byte is read at its natural alignment, only the addressed byte lane is
// replaced, and the dword is written back to the same aligned address: the
// neighbours get exactly the value they had, and no access straddles a
// dword boundary.
int CMemoryIOSpace::Write8(uint32_t offset, uint8_t value) {
  CKMDriver* d = SdkDriver();
  if (!d) return 0;
  uint64_t address = (static_cast<uint64_t>(baseHigh) << 32 | baseLow) + offset;
  uint64_t aligned = address & ~uint64_t{3};
  uint32_t high = static_cast<uint32_t>(aligned >> 32), low = static_cast<uint32_t>(aligned);
  uint32_t dword = 0;
  if (!d->ReadPhysical(high, low, 4, &dword)) return 0;
  int shift = static_cast<int>(address & 3) * 8;
  dword = (dword & ~(0xFFu << shift)) | static_cast<uint32_t>(value) << shift;
  return d->WritePhysical32(high, low, dword);
}

int CMemoryIOSpace::Write32(uint32_t offset, uint32_t value) {
  CKMDriver* d = SdkDriver();
  return d && d->WritePhysical32At(baseHigh, baseLow, offset, value);
}
