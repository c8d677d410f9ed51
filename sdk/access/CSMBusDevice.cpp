#include "sdk/access/CSMBusDevice.h"

#include "sdk/access/CMultiplexer.h"
#include "sdk/access/CSMBusRegisterSpace.h"

namespace {

template <typename F>
int OnChannel(CSMBusDevice& d, F body) {
  if (!d.smbusSpace || d.slave == 0xFF) return 0;
  if (d.multiplexer) d.multiplexer->Select(d.channel);
  int r = body();
  if (d.multiplexer) d.multiplexer->Restore();
  return r;
}

}  // namespace

int CSMBusDevice::ReadByte(uint8_t command, uint8_t* value) {
  *value = 0xFF;
  return OnChannel(*this, [&] {
    int r = smbusSpace->LockedReadByte(slave, command, value);
    if (!r) *value = 0xFF;
    return r;
  });
}

int CSMBusDevice::ReadWord(uint8_t command, uint8_t* low, uint8_t* high) {
  *low = *high = 0xFF;
  return OnChannel(*this, [&] {
    int r = smbusSpace->LockedReadWord(slave, command, low, high);
    if (!r) *low = *high = 0xFF;
    return r;
  });
}

int CSMBusDevice::ReadBytes(uint8_t command, uint8_t* buffer, int count) {
  return OnChannel(*this, [&] { return smbusSpace->LockedReadBytes(slave, command, buffer, count); });
}

int CSMBusDevice::WriteByte(uint8_t command, uint8_t value) {
  return OnChannel(*this, [&] { return smbusSpace->LockedWriteByte(slave, command, value); });
}
