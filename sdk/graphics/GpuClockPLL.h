// The graphics adapters' clocks as clock objects: one per adapter,
// performance level and kind, each with a single output ("GPU Core",
// "GPU Shaders", "GPU Memory"). `frequency` is the level's current clock in
// MHz, `spare` its default clock; the other CPLL fields stay -1. They sit in
// the facade's PLL list but are never board clock generators: the board
// PLL index (PLLAt) skips them.
#pragma once

#include "sdk/clock/CPLL.h"

class CDisplayAdapter;

enum GpuClockKind : int { GPUCLOCK_CORE = 0, GPUCLOCK_SHADER = 4, GPUCLOCK_MEMORY = 7 };

enum GpuPLLOutputKey : int { PLL_OUTPUT_GPU_CORE = 6, PLL_OUTPUT_GPU_MEMORY = 7, PLL_OUTPUT_GPU_SHADER = 8 };

class CGPUClockPLL : public CPLL {
 public:
  CGPUClockPLL(CDisplayAdapter* owner, int perfLevel, uint32_t pllKind, uint32_t pllId, const char* pllName,
               const char* outputName, int outputKey);
  // Runs the adapter's refresh, which stores the current clocks; 1.
  int Read() override;
  int SetFrequency(float mhz) override {
    frequency = mhz;
    return 1;
  }

  CDisplayAdapter* adapter;  // not owned
  int level;
};

class NVIDIA_GPU_CORE_PLL : public CGPUClockPLL {
 public:
  NVIDIA_GPU_CORE_PLL(CDisplayAdapter* a, int level);
  // The adapter's APIs in order, SetCoreClock(level, frequency) until one
  // succeeds; 1 then, else 0.
  int Apply() override;
};

class NVIDIA_GPU_SHADER_PLL : public CGPUClockPLL {
 public:
  NVIDIA_GPU_SHADER_PLL(CDisplayAdapter* a, int level);
  int Read() override { return 0; }
};

class NVIDIA_GPU_MEM_PLL : public CGPUClockPLL {
 public:
  NVIDIA_GPU_MEM_PLL(CDisplayAdapter* a, int level);
  int Read() override { return 0; }
};

class ATI_GPU_CORE_PLL : public CGPUClockPLL {
 public:
  ATI_GPU_CORE_PLL(CDisplayAdapter* a, int level);
};

class ATI_GPU_MEM_PLL : public CGPUClockPLL {
 public:
  ATI_GPU_MEM_PLL(CDisplayAdapter* a, int level);
  int Read() override { return 0; }
};

class INTEL_GPU_CORE_PLL : public CGPUClockPLL {
 public:
  INTEL_GPU_CORE_PLL(CDisplayAdapter* a, int level);
};

// True for the clock objects of graphics adapters.
bool IsGpuClock(const CPLL* pll);
