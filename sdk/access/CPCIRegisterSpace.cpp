#include "sdk/access/CPCIRegisterSpace.h"

#include "sdk/access/CIORequest.h"
#include "sdk/access/SdkDriver.h"

int CPCIRegisterSpace::ReadConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg,
                                    uint32_t* value) {
  *value = 0xFFFFFFFF;
  CKMDriver* d = SdkDriver();
  uint32_t v = 0xFFFFFFFF;
  if (!d || !d->ReadPCIConfig(bus, device, function, reg, 4, &v)) return 0;
  *value = v;
  return 1;
}

int CPCIRegisterSpace::WriteConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg,
                                     uint32_t value) {
  CKMDriver* d = SdkDriver();
  return d && d->WritePCIConfig(bus, device, function, reg, 4, &value);
}

int CPCIRegisterSpace::Execute(CIORequest* request) {
  if (!request || request->type != IOREQUEST_PCI) return 0;
  auto* r = static_cast<CPCIRequest*>(request);
  switch (r->op) {
    case IOOP_DWORD | IOOP_READ: {
      uint32_t v = 0xFFFFFFFF;
      if (!ReadConfig32(r->bus, r->device, r->function, r->reg, &v)) return 0;
      r->data = v;
      return 1;
    }
    case IOOP_DWORD | IOOP_WRITE:
      return WriteConfig32(r->bus, r->device, r->function, r->reg, r->data);
    case IOOP_BLOCK | IOOP_READ: {
      CKMDriver* d = SdkDriver();
      return r->buffer && r->data && d && d->ReadPCIConfig(r->bus, r->device, r->function, r->reg, r->data, r->buffer);
    }
    case IOOP_BLOCK | IOOP_WRITE: {
      CKMDriver* d = SdkDriver();
      return r->buffer && r->data && d && d->WritePCIConfig(r->bus, r->device, r->function, r->reg, r->data, r->buffer);
    }
    default:
      return 0;
  }
}
