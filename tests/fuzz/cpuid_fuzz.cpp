// Processor identification and cache decoding on a processor whose every
// CPUID answer comes from the input: vendor string, signature, leaf 2
// descriptor bytes, the leaf 4 and 0x8000001D cache walks, the AMD cache
// leaves and the brand string.
#include <cstddef>
#include <cstdint>

#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/VendorInfos.h"
#include "tests/fuzz/FuzzMachine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzMachine::Install().cpuid.assign(data, data + size);
  {
    CCPUThread thread(0);
    thread.Identify();
    Intel_CPU_Infos intel;
    intel.Probe(&thread);
    intel.ReadCaches(&thread);
  }
  {
    CCPUThread thread(0);
    thread.Identify();
    AMD_CPU_Infos amd;
    amd.Probe(&thread);
    amd.ReadCaches(&thread);
  }
  QUARNSDK::ReleaseInstance();
  return 0;
}
