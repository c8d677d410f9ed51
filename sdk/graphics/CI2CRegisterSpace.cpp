#include "sdk/graphics/CI2CRegisterSpace.h"

#include "platform/GlobalMutex.h"
#include "sdk/access/CIORequest.h"
#include "sdk/core/QUARNSDK.h"

CI2CRegisterSpace::CI2CRegisterSpace(CIOSpace* window, int engine, const char* mutexName)
    : CRegisterSpace(REGSPACE_I2C, window), engineCode(engine) {
  lock = QUARNSDK::CreateGlobalMutex(false, mutexName);
}

CI2CRegisterSpace::~CI2CRegisterSpace() {
  if (auto* m = static_cast<plat::MutexHandle>(lock)) {
    plat::ReleaseMutex(m);
    plat::CloseMutex(m);
  }
}

bool CI2CRegisterSpace::Acquire() {
  auto* m = static_cast<plat::MutexHandle>(lock);
  if (!m) return false;
  const uint32_t w = plat::WaitForMutex(m, kLockTimeoutMs);
  // An abandoned mutex is ours now: hand it back and fail this transaction,
  // the bus may have been left in the middle of one.
  if (w == plat::kWaitAbandoned) Release();
  return w == plat::kWaitObject0;
}

void CI2CRegisterSpace::Release() { plat::ReleaseMutex(static_cast<plat::MutexHandle>(lock)); }

int CI2CRegisterSpace::LockedReadByte(int port, int address, uint8_t reg, uint8_t* value) {
  if (!Acquire()) return 0;
  const int r = ReadByte(port, address, reg, value);
  Release();
  return r;
}

int CI2CRegisterSpace::LockedWriteByte(int port, int address, uint8_t reg, uint8_t value) {
  if (!Acquire()) return 0;
  const int r = WriteByte(port, address, reg, value);
  Release();
  return r;
}

int CI2CRegisterSpace::LockedReadWord(int port, int address, uint8_t reg, uint16_t* value) {
  if (!Acquire()) return 0;
  const int r = ReadWord(port, address, reg, value);
  Release();
  return r;
}

int CI2CRegisterSpace::LockedWriteWord(int port, int address, uint8_t reg, uint16_t value) {
  if (!Acquire()) return 0;
  const int r = WriteWord(port, address, reg, value);
  Release();
  return r;
}

int CI2CRegisterSpace::LockedReadWide(int port, int address, uint8_t high, uint8_t low, uint8_t* first,
                                      uint8_t* second) {
  if (!Acquire()) return 0;
  const int r = ReadWide(port, address, high, low, first, second);
  Release();
  return r;
}

int CI2CRegisterSpace::LockedWriteWide(int port, int address, uint8_t high, uint8_t low, uint8_t value, int flag) {
  if (!Acquire()) return 0;
  const int r = WriteWide(port, address, high, low, value, flag);
  Release();
  return r;
}

int CI2CRegisterSpace::Execute(CIORequest* request) {
  if (!request || request->type != IOREQUEST_I2C) return 0;
  auto* r = static_cast<CI2CRequest*>(request);
  const int port = r->channel, address = r->slave;
  const uint8_t reg = static_cast<uint8_t>(r->reg & 0xFF);
  const uint32_t direction = r->op & 0xF;
  switch (r->op & 0xFFF0) {
    case IOOP_BYTE:
      if (direction == IOOP_READ) {
        uint8_t v = 0xFF;
        if (!LockedReadByte(port, address, reg, &v)) return 0;
        r->data = (r->data & 0xFFFFFF00u) | v;
        return 1;
      }
      if (direction == IOOP_WRITE) return LockedWriteByte(port, address, reg, static_cast<uint8_t>(r->data));
      return 0;
    case IOOP_WORD:
      if (direction == IOOP_READ) {
        uint16_t v = 0xFFFF;
        if (!LockedReadWord(port, address, reg, &v)) return 0;
        r->data = (r->data & 0xFFFF0000u) | v;
        return 1;
      }
      if (direction == IOOP_WRITE) return LockedWriteWord(port, address, reg, static_cast<uint16_t>(r->data));
      return 0;
    case 0x200: {
      const uint8_t high = static_cast<uint8_t>(r->reg >> 8), low = static_cast<uint8_t>(r->reg);
      if (direction == IOOP_READ) {
        uint8_t first = 0xFF, second = 0xFF;
        if (!LockedReadWide(port, address, high, low, &first, &second)) return 0;
        r->data = static_cast<uint32_t>(first) << 8 | second;
        return 1;
      }
      if (direction == IOOP_WRITE) return LockedWriteWide(port, address, high, low, static_cast<uint8_t>(r->data), 0);
      return 0;
    }
    default:
      return 0;
  }
}
