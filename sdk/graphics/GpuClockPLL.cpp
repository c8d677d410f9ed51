#include "sdk/graphics/GpuClockPLL.h"

#include "sdk/graphics/CDisplayAPI.h"
#include "sdk/graphics/CDisplayAdapter.h"

CGPUClockPLL::CGPUClockPLL(CDisplayAdapter* owner, int perfLevel, uint32_t pllKind, uint32_t pllId,
                           const char* pllName, const char* outputName, int outputKey)
    : CPLL(pllId), adapter(owner), level(perfLevel) {
  kind = pllKind;
  SetName(pllName);
  AddOutput(outputName, outputKey, 1.0f);
}

int CGPUClockPLL::Read() {
  if (adapter) adapter->Refresh();
  return 1;
}

// The shader and memory objects read nothing on their own (their refresh
// comes with the adapter's); they keep their output.

NVIDIA_GPU_CORE_PLL::NVIDIA_GPU_CORE_PLL(CDisplayAdapter* a, int level)
    : CGPUClockPLL(a, level, PLL_KIND_GPU_CORE, 0x1001000, "NVIDIA GPU Core PLL", "GPU Core", PLL_OUTPUT_GPU_CORE) {}

int NVIDIA_GPU_CORE_PLL::Apply() {
  if (!adapter || !(frequency > 0)) return 0;
  for (const CDisplayAdapter::APIEntry& e : adapter->apiEntries)
    if (e.api->SetCoreClock(adapter, level, frequency)) return 1;
  return 0;
}

NVIDIA_GPU_SHADER_PLL::NVIDIA_GPU_SHADER_PLL(CDisplayAdapter* a, int level)
    : CGPUClockPLL(a, level, PLL_KIND_GPU_SHADER, 0x1001000, "NVIDIA GPU Shaders PLL", "GPU Shaders",
                   PLL_OUTPUT_GPU_SHADER) {}

NVIDIA_GPU_MEM_PLL::NVIDIA_GPU_MEM_PLL(CDisplayAdapter* a, int level)
    : CGPUClockPLL(a, level, PLL_KIND_GPU_MEMORY, 0x1001000, "NVIDIA GPU Memory PLL", "GPU Memory",
                   PLL_OUTPUT_GPU_MEMORY) {}

ATI_GPU_CORE_PLL::ATI_GPU_CORE_PLL(CDisplayAdapter* a, int level)
    : CGPUClockPLL(a, level, PLL_KIND_GPU_CORE, 0x2000010, "ATI GPU Core PLL", "GPU Core", PLL_OUTPUT_GPU_CORE) {}

ATI_GPU_MEM_PLL::ATI_GPU_MEM_PLL(CDisplayAdapter* a, int level)
    : CGPUClockPLL(a, level, PLL_KIND_GPU_MEMORY, 0x2000010, "ATI GPU Memory PLL", "GPU Memory",
                   PLL_OUTPUT_GPU_MEMORY) {}

INTEL_GPU_CORE_PLL::INTEL_GPU_CORE_PLL(CDisplayAdapter* a, int level)
    : CGPUClockPLL(a, level, PLL_KIND_GPU_CORE, 0x80000001, "Intel IGP Core PLL", "GPU Core", PLL_OUTPUT_GPU_CORE) {}

bool IsGpuClock(const CPLL* pll) { return dynamic_cast<const CGPUClockPLL*>(pll) != nullptr; }
