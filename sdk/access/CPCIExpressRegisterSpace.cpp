#include "sdk/access/CPCIExpressRegisterSpace.h"

#include "sdk/access/CIORequest.h"
#include "sdk/access/SdkDriver.h"

int CPCIExpressRegisterSpace::ReadConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg,
                                           uint32_t* value) {
  *value = 0xFFFFFFFF;
  if (!io) return 0;
  reg &= 0xFFF;
  uint32_t v = 0xFFFFFFFF;
  if (!io->Read32(PageOffset(bus, device, function) | (reg & ~3u), &v)) return 0;
  *value = v >> (8 * (reg & 3));
  return 1;
}

int CPCIExpressRegisterSpace::WriteConfig32(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg,
                                            uint32_t value) {
  if (!io || (reg & 3) || reg > 0xFFF) return 0;
  return io->Write32(PageOffset(bus, device, function) | reg, value);
}

int CPCIExpressRegisterSpace::Execute(CIORequest* request) {
  if (!request || request->type != IOREQUEST_PCI || request->op != (IOOP_BLOCK | IOOP_READ)) return 0;
  auto* r = static_cast<CPCIRequest*>(request);
  CKMDriver* d = SdkDriver();
  if (!io || !d || !r->buffer || !r->data) return 0;
  uint64_t address = (static_cast<uint64_t>(io->GetBaseHigh()) << 32 | io->GetBaseLow()) +
                     PageOffset(r->bus, r->device, r->function);
  return d->ReadPhysical(static_cast<uint32_t>(address >> 32), static_cast<uint32_t>(address), r->data, r->buffer);
}
