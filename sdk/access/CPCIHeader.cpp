#include "sdk/access/CPCIHeader.h"

#include "sdk/access/CMemoryIOSpace.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPortIOSpace.h"
#include "sdk/core/QUARNSDK.h"

namespace {
uint8_t B(uint32_t dw, int n) { return static_cast<uint8_t>(dw >> (8 * n)); }
uint16_t W(uint32_t dw, int n) { return static_cast<uint16_t>(dw >> (16 * n)); }
}  // namespace

void CPCICommonHeader::Decode(const uint32_t dw[4]) {
  vendorId = W(dw[0], 0);
  deviceId = W(dw[0], 1);
  command = W(dw[1], 0);
  status = W(dw[1], 1);
  revision = B(dw[2], 0);
  progIf = B(dw[2], 1);
  subclass = B(dw[2], 2);
  classCode = B(dw[2], 3);
  cacheLineSize = B(dw[3], 0);
  latencyTimer = B(dw[3], 1);
  headerType = B(dw[3], 2);
  bist = B(dw[3], 3);
}

void CPCIHeader::PublishWindow(uint32_t bar) {
  if (bar <= 3 || !QUARNSDK::HasInstance()) return;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  // One window per base: a rescan or a second function decoding the same
  // range reuses the window that is already registered.
  if (bar & 1) {
    uint32_t base = bar & ~3u;
    if (!sdk->FindIOSpace(0, base, IOSPACE_PORT)) sdk->AddIOSpace(new CPortIOSpace(base, 0xFFFFFFFF));
  } else {
    uint32_t base = bar & ~0xFu;
    if (!sdk->FindIOSpace(0, base, IOSPACE_MEMORY)) sdk->AddIOSpace(new CMemoryIOSpace(0, base, 0xFFFFFFFF));
  }
}

void CPCIHeader::ReadDwords(CPCIDevice* device, uint32_t dw[16]) {
  for (uint32_t i = 0; i < 16; ++i) {
    dw[i] = 0xFFFFFFFF;
    device->ReadConfig(i * 4, &dw[i]);
  }
}

void CPCIHeaderType0::ReadHeader(CPCIDevice* device) {
  uint32_t dw[16];
  ReadDwords(device, dw);
  for (int i = 0; i < 6; ++i) bar[i] = dw[4 + i];
  cardbusCis = dw[10];
  subsystemVendorId = W(dw[11], 0);
  subsystemId = W(dw[11], 1);
  expansionRom = dw[12];
  capabilitiesPointer = B(dw[13], 0);
  interruptLine = B(dw[15], 0);
  interruptPin = B(dw[15], 1);
  minGrant = B(dw[15], 2);
  maxLatency = B(dw[15], 3);
  for (uint32_t b : bar) PublishWindow(b);
}

void CPCIHeaderType1::ReadHeader(CPCIDevice* device) {
  uint32_t dw[16];
  ReadDwords(device, dw);
  bar[0] = dw[4];
  bar[1] = dw[5];
  primaryBus = B(dw[6], 0);
  secondaryBus = B(dw[6], 1);
  subordinateBus = B(dw[6], 2);
  secondaryLatency = B(dw[6], 3);
  ioBase = B(dw[7], 0);
  ioLimit = B(dw[7], 1);
  secondaryStatus = W(dw[7], 1);
  memoryBase = W(dw[8], 0);
  memoryLimit = W(dw[8], 1);
  prefetchBase = W(dw[9], 0);
  prefetchLimit = W(dw[9], 1);
  prefetchBaseUpper = dw[10];
  prefetchLimitUpper = dw[11];
  ioBaseUpper = W(dw[12], 0);
  ioLimitUpper = W(dw[12], 1);
  capabilitiesPointer = B(dw[13], 0);
  expansionRom = dw[14];
  interruptLine = B(dw[15], 0);
  interruptPin = B(dw[15], 1);
  bridgeControl = W(dw[15], 1);
  for (uint32_t b : bar) PublishWindow(b);
}

void CPCIHeaderType2::ReadHeader(CPCIDevice* device) {
  uint32_t dw[18];
  ReadDwords(device, dw);
  dw[16] = dw[17] = 0xFFFFFFFF;
  device->ReadConfig(0x40, &dw[16]);
  device->ReadConfig(0x44, &dw[17]);
  socketBase = dw[4];
  capabilitiesPointer = B(dw[5], 0);
  secondaryStatus = W(dw[5], 1);
  pciBus = B(dw[6], 0);
  cardbusBus = B(dw[6], 1);
  subordinateBus = B(dw[6], 2);
  cardbusLatency = B(dw[6], 3);
  memoryBase[0] = dw[7];
  memoryLimit[0] = dw[8];
  memoryBase[1] = dw[9];
  memoryLimit[1] = dw[10];
  ioBase[0] = dw[11];
  ioLimit[0] = dw[12];
  ioBase[1] = dw[13];
  ioLimit[1] = dw[14];
  interruptLine = B(dw[15], 0);
  interruptPin = B(dw[15], 1);
  bridgeControl = W(dw[15], 1);
  subsystemVendorId = W(dw[16], 0);
  subsystemId = W(dw[16], 1);
  legacyBase = dw[17];
  PublishWindow(socketBase);
}
