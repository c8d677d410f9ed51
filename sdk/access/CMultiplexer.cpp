#include "sdk/access/CMultiplexer.h"

#include "platform/LockTimeouts.h"
#include "platform/NamedMutex.h"
#include "sdk/core/QUARNSDK.h"

CMultiplexer::CMultiplexer(uint32_t board, void* switchTarget) : boardId(board), target(switchTarget) {
  mutex = QUARNSDK::CreateGlobalMutex(false, "Access_MUX");
}

CMultiplexer::~CMultiplexer() { plat::CloseMutex(mutex); }

int CMultiplexer::Select(uint8_t channel) {
  uint32_t w = plat::WaitForMutex(mutex, plat::kBusTransactionTimeoutMs);
  if (w != plat::kWaitObject0 && w != plat::kWaitAbandoned) return 0;
  int r = SelectChannel(channel < channelCount ? channel : static_cast<uint8_t>(channelCount - 1));
  plat::ReleaseMutex(mutex);
  return r;
}

void CMultiplexer::InitDefault() {
  uint32_t w = plat::WaitForMutex(mutex, plat::kBusTransactionTimeoutMs);
  if (w != plat::kWaitObject0 && w != plat::kWaitAbandoned) return;
  defaultChannel = GetChannel();
  plat::ReleaseMutex(mutex);
}
