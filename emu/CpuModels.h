// Processors of the emulated boards: CPUID tables and MSRs built from a
// small description, with counters that run on the machine's time base at
// BCLK x ratio.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace emu {

class EmulatedMachine;

struct CacheDescription {
  int level;
  int type;  // 1 data, 2 instruction, 3 unified
  int sizeKB;
  int ways;
  int threadsSharing;
  bool inclusive = false;
};

struct CpuDescription {
  std::string name;       // "Core i7-920 (Bloomfield)"
  std::string brand;      // the 48-character brand string
  uint32_t signature;     // CPUID leaf 1 EAX
  int packages = 1;
  int coresPerPackage = 4;
  int threadsPerCore = 2;
  int coreShift = 4;      // x2APIC id bits below the package level
  double bclkMHz = 133.33;
  int baseRatio = 20;     // maximum non-turbo ratio
  int minRatio = 12;      // maximum efficiency ratio
  uint8_t turboLimits[4] = {22, 21, 21, 21};  // 1, 2, 3, 4 active cores
  int tjMax = 100;
  int coreTempC = 43;
  uint32_t leaf1Ecx = 0x0098E3BD, leaf1Edx = 0xBFEBFBFF;
  uint32_t leaf2[4] = {0x55035A01, 0x00F0B2E4, 0x00000000, 0x09CA212C};
  std::vector<CacheDescription> caches;
};

// The processors the emulated boards carry.
const CpuDescription& NehalemBloomfieldI7_920();

// Adds the logical processors of `cpu` to the machine. Logical processors
// are numbered like the firmware lists them: first thread of every core of
// every package, then the second threads.
void AddProcessors(EmulatedMachine& machine, const CpuDescription& cpu);

}  // namespace emu
