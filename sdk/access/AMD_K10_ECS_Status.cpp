#include "sdk/access/AMD_K10_ECS_Status.h"

#include "sdk/access/CPCIDevice.h"

namespace {
constexpr uint32_t kReg = 0x8C, kBit = 1u << 14;
}

int AMD_K10_ECS_Status::Save() {
  uint32_t v = 0;
  if (!device || !device->ReadConfig(kReg, &v)) return 1;
  saved = true;
  wasSet = v & kBit;
  return 1;
}

int AMD_K10_ECS_Status::Enable() {
  uint32_t v = 0;
  if (saved && device->ReadConfig(kReg, &v)) device->WriteConfig(kReg, v | kBit);
  return 1;
}

int AMD_K10_ECS_Status::Restore() {
  uint32_t v = 0;
  if (!saved || !device->ReadConfig(kReg, &v)) return 1;
  device->WriteConfig(kReg, wasSet ? v | kBit : v & ~kBit);
  return 1;
}
