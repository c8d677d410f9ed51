#include "app/ProcessorList.h"

#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CProcessor.h"

namespace {

CCPUInterface* ProcessorInterface() {
  if (!QUARNSDK::HasInstance()) return nullptr;
  return static_cast<CCPUInterface*>(QUARNSDK::GetInstance()->FindInterface(INTERFACE_CPU));
}

}  // namespace

// The processors of the processor interface, in list order, by their index.
std::vector<int> SdkProcessorIndices() {
  std::vector<int> indices;
  CCPUInterface* cpu = ProcessorInterface();
  if (!cpu) return indices;
  for (CDevice* d : Items(cpu->processors)) indices.push_back(static_cast<CProcessor*>(d)->index);
  return indices;
}

// Pins the process to the first thread of a core of a processor.
bool BindToProcessorCore(int processor, int core) {
  CCPUInterface* cpu = ProcessorInterface();
  if (!cpu) return false;
  CProcessor* p = cpu->GetProcessor(processor);
  if (!p) return false;
  // A core the processor does not have is an error, never its first thread:
  // the access would reach a core nobody asked for.
  CCPUCore* c = core >= 0 ? p->GetCore(core) : nullptr;
  CCPUThread* t = c ? c->FirstThread() : nullptr;
  return t && t->PinToSelf(0) != 0;
}
