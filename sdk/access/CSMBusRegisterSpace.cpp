#include "sdk/access/CSMBusRegisterSpace.h"

#include <algorithm>
#include <cstring>

#include "platform/Machine.h"
#include "platform/NamedMutex.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CSMBusInterface.h"

void CSMBusRegisterSpace::Wait(uint32_t ms) {
  if (ms) plat::CurrentMachine().Sleep(ms);
}

void CSMBusRegisterSpace::WaitRound(int round, uint32_t ms) {
  constexpr uint32_t kQuickRounds = 4;
  if (ms == 0 || round < 0) return;
  if (static_cast<uint32_t>(round) < kQuickRounds)
    plat::CurrentMachine().SleepMicroseconds(ms * 250);
  else if (static_cast<uint32_t>(round) == kQuickRounds)
    Wait(ms + kQuickRounds * ms * 3 / 4);
  else
    Wait(ms);
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

int CSMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  SMBusTransfer t{slave, command, true, SMBusTransfer::kByteData, 1};
  if (!Transfer(t)) return 0;
  *value = t.data[0];
  return 1;
}

int CSMBusRegisterSpace::ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) {
  *low = *high = 0;
  SMBusTransfer t{slave, command, true, SMBusTransfer::kWordData, 2};
  if (!Transfer(t)) return 0;
  *low = t.data[0];
  *high = t.data[1];
  return 1;
}

int CSMBusRegisterSpace::ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) {
  if (!buffer) return -1;
  SMBusTransfer t{slave, command, true, SMBusTransfer::kBlockData, 0};
  if (!Transfer(t)) return -1;
  // A count beyond the buffer is the slave's, never ours to copy.
  const int n = std::clamp(t.count, 0, kMaxBlock);
  std::memcpy(buffer, t.data, static_cast<size_t>(n));
  return n;
}

int CSMBusRegisterSpace::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  SMBusTransfer t{slave, command, false, SMBusTransfer::kByteData, 1};
  t.data[0] = value;
  return Transfer(t) ? 1 : 0;
}

int CSMBusRegisterSpace::WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) {
  SMBusTransfer t{slave, command, false, SMBusTransfer::kWordData, 2};
  t.data[0] = low;
  t.data[1] = high;
  return Transfer(t) ? 1 : 0;
}

int CSMBusRegisterSpace::WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) {
  // An SMBus block carries 1 to 32 bytes: an empty one is refused before
  // the host is touched, a longer one is cut.
  if (!buffer || count < 1) return -1;
  SMBusTransfer t{slave, command, false, SMBusTransfer::kBlockData, std::min(count, kMaxBlock)};
  std::memcpy(t.data, buffer, static_cast<size_t>(t.count));
  return Transfer(t) ? t.count : -1;
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
