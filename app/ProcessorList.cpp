#include "app/ProcessorList.h"

#include "sdk/core/CInterface.h"
#include "sdk/core/QUARNSDK.h"

namespace {

constexpr uint32_t kProcessorInterface = 0x8;

CInterface* ProcessorInterface() {
  if (!QUARNSDK::HasInstance()) return nullptr;
  return QUARNSDK::GetInstance()->FindInterface(kProcessorInterface);
}

}  // namespace

// The processor interface (sdk/cpu) is not part of the build yet: without it
// there is nothing to list and no core to bind to. When it arrives, these
// two functions walk its processor list and are the only places to change.
std::vector<int> SdkProcessorIndices() {
  if (!ProcessorInterface()) return {};
  return {};
}

bool BindToProcessorCore(int processor, int core) {
  if (!ProcessorInterface()) return false;
  return false;
}
