// One named clock derived from a PLL: it runs at the PLL's frequency times
// the multiplier, divided by the divider.
#pragma once

#include <cstring>

enum PLLOutputKey : int {
  PLL_OUTPUT_CPU = 1,
  PLL_OUTPUT_RAM = 2,
  PLL_OUTPUT_PCIE_OTHER = 3,
  PLL_OUTPUT_PCIE = 4,
  PLL_OUTPUT_PCI = 5,
};

class CPLLOutput {
 public:
  CPLLOutput(const char* outputName, int outputKey, float outputDivider) : key(outputKey), divider(outputDivider) {
    std::strncpy(name, outputName ? outputName : "", sizeof(name) - 1);
  }
  virtual ~CPLLOutput() = default;

  // PLL frequency × multiplier / divider; -1 when either is unusable.
  float FrequencyFor(float pllFrequency) const {
    if (!(pllFrequency > 0) || !(divider > 0) || !(multiplier > 0)) return -1.0f;
    return pllFrequency * multiplier / divider;
  }

  char name[128] = {};
  int key;
  float divider;
  float multiplier = 1.0f;
};
