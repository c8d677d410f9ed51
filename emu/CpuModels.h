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

enum class CpuGeneration { Nehalem, SandyBridge, K10 };

// One AMD P-state definition: core frequency = reference x (fid + 16) / 2^did
// with the 200 MHz reference as bclkMHz.
struct AmdPState {
  int fid;
  int did;
  int vid;
  int currentA;
};

struct CpuDescription {
  std::string name;       // "Core i7-920 (Bloomfield)"
  std::string brand;      // the 48-character brand string
  uint32_t signature;     // CPUID leaf 1 EAX
  CpuGeneration generation = CpuGeneration::Nehalem;
  int packages = 1;
  int coresPerPackage = 4;
  int threadsPerCore = 2;
  int coreShift = 4;      // x2APIC id bits below the package level
  double bclkMHz = 133.33;
  int baseRatio = 20;     // maximum non-turbo ratio
  int minRatio = 12;      // maximum efficiency ratio
  // Highest ratio with 1..6 cores active (MSR 0x1AD on Nehalem; on Sandy
  // Bridge client parts the first byte is the MCHBAR ratio register).
  uint8_t turboLimits[6] = {22, 21, 21, 21, 0, 0};
  bool unlocked = false;  // MSR 0xCE bits 29:28
  int platformId = 1;     // IA32_PLATFORM_ID bits 52:50
  int tdpW = 130, tdcA = 95;
  double packageWatts = 0;  // Sandy Bridge energy counters; 0 = none
  uint32_t mchbar = 0;      // Sandy Bridge client: MCHBAR the host bridge reports
  // Sandy Bridge-E: the power control unit (bus 255, device 10, function 0)
  // holds the one-core turbo ratio in bits 7:0 of register 0xD8.
  bool pcuTurboRegister = false;
  int tjMax = 100;
  int coreTempC = 43;
  int packageTempC = 45;
  uint32_t leaf1Ecx = 0x0098E3BD, leaf1Edx = 0xBFEBFBFF;
  uint32_t leaf2[4] = {0x55035A01, 0x00F0B2E4, 0x00000000, 0x09CA212C};
  std::vector<CacheDescription> caches;
  // AMD (generation K10): the P-state definitions, P0 first, and the extended
  // signature leaves. The AMD cache leaves are built from `caches`.
  std::vector<AmdPState> pstates;
  uint32_t extLeaf1Ecx = 0, extLeaf1Edx = 0;
  uint32_t powerManagementEdx = 0;  // leaf 0x80000007 EDX
};

// The processors the emulated boards carry.
const CpuDescription& NehalemBloomfieldI7_920();
const CpuDescription& WestmereGulftownI7_980X();
const CpuDescription& SandyBridgeI7_2600K();
// Sandy Bridge-E (X79): six cores at 32 x 100 MHz, turbo 38.
const CpuDescription& SandyBridgeEI7_3930K();
const CpuDescription& WestmereEpXeonX5650Pair();
// AMD family 10h, Deneb: four cores at 16 x 200 MHz, P-states 3200, 2500,
// 2100 and 800 MHz.
const CpuDescription& PhenomIIX4_955();
// All of them, for listings and tests.
const std::vector<const CpuDescription*>& CpuModels();

// The ratio the cores of a package run at now: the one-core turbo limit when
// turbo is engaged and the operating system asks for more than the base
// ratio, otherwise the requested ratio capped at the base ratio. AMD: the
// ratio of the current COFVID code, (fid + 16) / 2 / 2^did.
double ActiveRatio(EmulatedMachine& machine, int package);

// Adds the logical processors of `cpu` to the machine. Logical processors
// are numbered like the firmware lists them: first thread of every core of
// every package, then the second threads.
void AddProcessors(EmulatedMachine& machine, const CpuDescription& cpu);

}  // namespace emu
