#include "sdk/access/CPCIRegisterSpace_2.h"

#include "sdk/access/CIORequest.h"
#include "sdk/access/SdkDriver.h"

int CPCIRegisterSpace_2::ReadConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg,
                                      uint32_t* value) {
  *value = 0xFFFFFFFF;
  // The port mechanism reaches registers 0 to 0xFF only: a higher register
  // would be another one of the first 256.
  if (reg > 0xFF) return 0;
  CKMDriver* d = SdkDriver();
  uint32_t v = 0xFFFFFFFF;
  if (!d || !d->ReadPCIConfigByPorts(bus, device, function, reg & 0xFC, &v)) return 0;
  *value = v >> (8 * (reg & 3));
  return 1;
}

int CPCIRegisterSpace_2::WriteConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg,
                                       uint32_t value) {
  if ((reg & 3) || reg > 0xFF) return 0;
  CKMDriver* d = SdkDriver();
  return d && d->WritePCIConfigByPorts(bus, device, function, reg, value);
}

int CPCIRegisterSpace_2::Execute(CIORequest* request) {
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
      // Byte by byte; a byte whose read fails keeps what the buffer held,
      // and then the whole read reports failure so that the caller does
      // not take stale bytes for configuration data.
      if (!r->buffer) return 0;
      bool all = true;
      for (uint32_t i = 0; i < r->data; ++i) {
        uint32_t v = 0;
        if (ReadConfig32(r->bus, r->device, r->function, r->reg + i, &v))
          r->buffer[i] = static_cast<uint8_t>(v);
        else
          all = false;
      }
      return all ? 1 : 0;
    }
    default:
      return 0;
  }
}
