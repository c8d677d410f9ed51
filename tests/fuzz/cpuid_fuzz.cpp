// Processor identification and cache decoding on a processor whose every
// CPUID answer comes from the input: vendor string, signature, leaf 2
// descriptor bytes, the leaf 4 and 0x8000001D cache walks, the AMD cache
// leaves and the brand string.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Machine.h"
#include "platform/host/HostMachine.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/VendorInfos.h"

namespace {

// A host machine without hardware access whose CPUID answers are taken from
// the current input: each (leaf, subleaf) picks a 16-byte slot of it.
class FuzzCpuidMachine : public plat::HostMachine {
 public:
  FuzzCpuidMachine() : plat::HostMachine([] {
    plat::HostAccessOptions o;
    o.root = "/nonexistent-fuzz-root";
    o.useIopl = false;
    return o;
  }()) {}
  plat::CpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) override {
    plat::CpuidRegs r{};
    if (input.size() < 16) return r;
    const size_t slots = input.size() / 16;
    const size_t slot = (leaf * 2654435761u + subleaf * 40503u + (leaf >> 16)) % slots;
    std::memcpy(&r.eax, &input[slot * 16], 4);
    std::memcpy(&r.ebx, &input[slot * 16 + 4], 4);
    std::memcpy(&r.ecx, &input[slot * 16 + 8], 4);
    std::memcpy(&r.edx, &input[slot * 16 + 12], 4);
    return r;
  }
  std::vector<uint8_t> input;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::shared_ptr<FuzzCpuidMachine> machine = [] {
    auto m = std::make_shared<FuzzCpuidMachine>();
    plat::SetCurrentMachine(m);
    return m;
  }();
  machine->input.assign(data, data + size);
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
