#include "sdk/access/CPortIOSpace.h"

#include "sdk/access/SdkDriver.h"

// A read's out-value is written only when the port operation succeeded.
template <typename T, typename F>
static int ReadVia(F op, T* value) {
  T v{};
  if (!op(&v)) return 0;
  *value = v;
  return 1;
}

int CPortIOSpace::Read8(uint32_t offset, uint8_t* value) {
  CKMDriver* d = SdkDriver();
  return d && ReadVia<uint8_t>([&](uint8_t* v) { return d->ReadPort8(baseLow + offset, v); }, value);
}

int CPortIOSpace::Read16(uint32_t offset, uint16_t* value) {
  CKMDriver* d = SdkDriver();
  return d && ReadVia<uint16_t>([&](uint16_t* v) { return d->ReadPort16(baseLow + offset, v); }, value);
}

int CPortIOSpace::Read32(uint32_t offset, uint32_t* value) {
  CKMDriver* d = SdkDriver();
  return d && ReadVia<uint32_t>([&](uint32_t* v) { return d->ReadPort32(baseLow + offset, v); }, value);
}

int CPortIOSpace::Write8(uint32_t offset, uint8_t value) {
  CKMDriver* d = SdkDriver();
  return d && d->WritePort8(baseLow + offset, value);
}

int CPortIOSpace::Write16(uint32_t offset, uint16_t value) {
  CKMDriver* d = SdkDriver();
  return d && d->WritePort16(baseLow + offset, value);
}

int CPortIOSpace::Write32(uint32_t offset, uint32_t value) {
  CKMDriver* d = SdkDriver();
  return d && d->WritePort32(baseLow + offset, value);
}
