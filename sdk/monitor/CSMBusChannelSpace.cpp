#include "sdk/monitor/CSMBusChannelSpace.h"

#include "sdk/access/CMultiplexer.h"
#include "sdk/access/CSMBusRegisterSpace.h"

CSMBusChannelSpace::CSMBusChannelSpace(CSMBusRegisterSpace* h, CMultiplexer* mux, uint8_t ch)
    : CRegisterSpace(kKind, h ? h->io : nullptr), host(h), multiplexer(mux), channel(ch) {}

int CSMBusChannelSpace::Execute(CIORequest* request) {
  if (!host) return 0;
  if (!multiplexer) return host->Execute(request);
  if (!multiplexer->Select(channel)) return 0;
  int ok = host->Execute(request);
  multiplexer->Restore();
  return ok;
}
