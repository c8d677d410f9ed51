#include "sdk/access/AMD_K10_ECS_RegisterSpace.h"

#include "sdk/access/SdkDriver.h"

int AMD_K10_ECS_RegisterSpace::Read(uint32_t function, uint32_t reg, uint32_t* value) {
  CKMDriver* d = SdkDriver();
  return d && d->ReadPCIConfigByPortsRaw(Address(function, reg), value);
}

int AMD_K10_ECS_RegisterSpace::Write(uint32_t function, uint32_t reg, uint32_t value) {
  if (reg & 3) return 0;
  CKMDriver* d = SdkDriver();
  return d && d->WritePCIConfigByPortsRaw(Address(function, reg), value);
}
