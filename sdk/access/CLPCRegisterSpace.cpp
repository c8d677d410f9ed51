#include "sdk/access/CLPCRegisterSpace.h"

#include "platform/NamedMutex.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CPortIOSpace.h"
#include "sdk/core/QUARNSDK.h"

CLPCRegisterSpace::CLPCRegisterSpace(CIOSpace* window, int32_t index, int32_t data)
    : CRegisterSpace(REGSPACE_LPC, window), indexOffset(index), dataOffset(data) {
  lock = QUARNSDK::CreateGlobalMutex(false, "Access_ISABUS.HTP.Method");
}

CLPCRegisterSpace::~CLPCRegisterSpace() {
  auto* m = static_cast<plat::MutexHandle>(lock);
  if (m) {
    plat::ReleaseMutex(m);  // in case it is still held
    plat::CloseMutex(m);
  }
}

bool CLPCRegisterSpace::Acquire() {
  uint32_t w = plat::WaitForMutex(static_cast<plat::MutexHandle>(lock), kWaitMs);
  // Only a plain success counts. An abandoned mutex is ours now: hand it
  // back so that the other programs are not locked out, and fail this access.
  if (w == plat::kWaitAbandoned) Release();
  return w == plat::kWaitObject0;
}

void CLPCRegisterSpace::Release() { plat::ReleaseMutex(static_cast<plat::MutexHandle>(lock)); }

int CLPCRegisterSpace::Read(uint8_t reg, uint8_t* value) {
  if (!Acquire()) return 0;
  *value = 0xFF;
  int r = io ? io->Write8(indexOffset, reg) : 0;
  if (r) r = io->Read8(dataOffset, value);
  Release();
  return r;
}

int CLPCRegisterSpace::Write(uint8_t reg, uint8_t value) {
  if (!Acquire()) return 0;
  int r = io ? io->Write8(indexOffset, reg) : 0;
  if (r) r = io->Write8(dataOffset, value);
  Release();
  return r;
}

int CLPCRegisterSpace::Execute(CIORequest* request) {
  if (!request) return 0;
  switch (request->op & 0xF) {
    case IOOP_READ: {
      uint8_t v = 0xFF;
      if (!Read(static_cast<uint8_t>(request->reg & 0xFF), &v)) return 0;
      request->data = v;
      return 1;
    }
    case IOOP_WRITE:
      return Write(static_cast<uint8_t>(request->reg & 0xFF), static_cast<uint8_t>(request->data & 0xFF));
    default:
      return 0;
  }
}

CLPCRegisterSpace* FindOrCreateLPCSpace(QUARNSDK& sdk, uint32_t base, int32_t index, int32_t data) {
  if (CRegisterSpace* s = sdk.FindRegisterSpace(0, base, REGSPACE_LPC)) return static_cast<CLPCRegisterSpace*>(s);
  auto* window = new CPortIOSpace(base, 0xFFFFFFFF);
  auto* space = new CLPCRegisterSpace(window, index, data);
  sdk.AddIOSpace(window);
  sdk.AddRegisterSpace(space);
  return space;
}
