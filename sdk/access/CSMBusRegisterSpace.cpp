#include "sdk/access/CSMBusRegisterSpace.h"

#include "platform/Machine.h"
#include "platform/NamedMutex.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CSMBusInterface.h"

void CSMBusRegisterSpace::Wait(uint32_t ms) {
  if (ms) plat::CurrentMachine().Sleep(ms);
}

template <typename F>
int CSMBusRegisterSpace::Locked(int failed, F body) {
  plat::MutexHandle m = SMBusMutex();
  uint32_t w = plat::WaitForMutex(m, CSMBusInterface::kLockWaitMs);
  // An abandoned mutex is ours now: the owner died between transactions.
  if (w != plat::kWaitObject0 && w != plat::kWaitAbandoned) return failed;
  int r = body();
  plat::ReleaseMutex(m);
  return r;
}

int CSMBusRegisterSpace::LockedReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  return Locked(0, [&] { return ReadByte(slave, command, value); });
}
int CSMBusRegisterSpace::LockedReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) {
  return Locked(0, [&] { return ReadWord(slave, command, low, high); });
}
int CSMBusRegisterSpace::LockedReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) {
  return Locked(-1, [&] { return ReadBlock(slave, command, buffer); });
}
int CSMBusRegisterSpace::LockedWriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  return Locked(0, [&] { return WriteByte(slave, command, value); });
}
int CSMBusRegisterSpace::LockedWriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) {
  return Locked(0, [&] { return WriteWord(slave, command, low, high); });
}
int CSMBusRegisterSpace::LockedWriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) {
  return Locked(-1, [&] { return WriteBlock(slave, command, buffer, count); });
}

int CSMBusRegisterSpace::LockedReadBytes(uint8_t slave, uint8_t command, uint8_t* buffer, int count) {
  return Locked(-1, [&] {
    int ok = 0;
    for (int i = 0; i < count; ++i)
      if (ReadByte(slave, static_cast<uint8_t>((command + i) & 0xFF), buffer + i)) ++ok;
    return ok;
  });
}

int CSMBusRegisterSpace::Execute(CIORequest* request) {
  if (!request || request->type != IOREQUEST_SMBUS) return 0;
  auto* r = static_cast<CSMBusRequest*>(request);
  const uint8_t slave = r->slave, command = static_cast<uint8_t>(r->reg);
  switch (r->op) {
    case 0x11: {
      uint8_t v = 0xFF;
      if (!LockedReadByte(slave, command, &v)) return 0;
      r->data = v;
      return 1;
    }
    case 0x12:
      return LockedWriteByte(slave, command, static_cast<uint8_t>(r->data));
    case 0x21: {
      uint8_t lo = 0xFF, hi = 0xFF;
      if (!LockedReadWord(slave, command, &lo, &hi)) return 0;
      r->data = static_cast<uint32_t>(hi) << 8 | lo;
      return 1;
    }
    case 0x22:
      return LockedWriteWord(slave, command, static_cast<uint8_t>(r->data), static_cast<uint8_t>(r->data >> 8));
    case 0x101:
      if (!r->buffer) return 0;
      r->data = static_cast<uint32_t>(LockedReadBlock(slave, command, r->buffer));
      return 1;
    case 0x102:
      if (!r->buffer) return 0;
      r->data = static_cast<uint32_t>(LockedWriteBlock(slave, command, r->buffer, static_cast<int>(r->data)));
      return 1;
    default:
      return 0;
  }
}
