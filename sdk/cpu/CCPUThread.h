// One logical processor: its identification, caches, cached MSRs, knowledge
// objects, time-stamp counter and the sensors its family creates.
#pragma once

#include <cstdint>

#include "sdk/core/CTList.h"

class CCPUInfos;
class CIOSpace;
class MSR_Register;
class CCacheDescriptor;
class CTimer;
class CSensor;
class FIDVID_Control;

// Processor type codes: vendor bit, family group, model byte.
enum CpuTypeCode : uint32_t {
  CPU_INTEL = 0x01000000,
  CPU_AMD = 0x02000000,
  CPU_CYRIX = 0x04000000,
  CPU_VIA = 0x08000000,
  CPU_TRANSMETA = 0x10000000,
  CPU_DMP = 0x20000000,
  CPU_INTEL_386 = 0x01000100,
  CPU_INTEL_486 = 0x01000200,
  CPU_INTEL_P5 = 0x01000400,
  CPU_INTEL_P6 = 0x01000800,
  CPU_INTEL_NETBURST = 0x01001000,
  CPU_INTEL_MOBILE = 0x01002000,
  CPU_INTEL_CORE = 0x01004000,
  CPU_INTEL_CORE2 = 0x01008000,
  CPU_INTEL_ATOM = 0x01010000,
  CPU_INTEL_NEHALEM = 0x01020000,
  CPU_INTEL_SANDY_BRIDGE = 0x01020100,
  CPU_INTEL_HASWELL = 0x01020200,
  CPU_INTEL_ITANIUM = 0x01100000,
  CPU_INTEL_ITANIUM2 = 0x01100100,
  CPU_AMD_486 = 0x02000200,
  CPU_AMD_K5 = 0x02000400,
  CPU_AMD_K6 = 0x02000800,
  CPU_AMD_K7 = 0x02001000,
  CPU_AMD_K8 = 0x02002000,
  CPU_AMD_K10 = 0x02004000,
  CPU_AMD_K12 = 0x02040000,
  CPU_AMD_K14 = 0x02010000,
  CPU_AMD_K15 = 0x02020000,
  CPU_VIA_C7 = 0x08001000,
  CPU_VIA_CNA = 0x08002000,
};

// The nominal bus clock in MHz of a bus speed code (`busCode`); the odd
// thirds rounded up in the last digit (133 gives 133.34). -1 for any other
// code.
float NominalBusClock(int busCode);

// The family group of a type code (model byte cleared).
inline uint32_t FamilyOf(uint32_t typeCode) { return typeCode & 0xFFFFFF00u; }

// Feature identifiers of HasFeature.
enum CpuFeature : int {
  FEATURE_MMX = 1, FEATURE_MMX_EXT = 2, FEATURE_3DNOW = 3, FEATURE_3DNOW_EXT = 4, FEATURE_SSE = 5,
  FEATURE_SSE2 = 6, FEATURE_SSE3 = 7, FEATURE_SSSE3 = 8, FEATURE_SSE41 = 9, FEATURE_SSE42 = 12,
  FEATURE_SSE4A = 13, FEATURE_XOP = 14, FEATURE_64BIT = 16, FEATURE_NX = 17, FEATURE_VIRTUALIZATION = 18,
  FEATURE_AES = 19, FEATURE_AVX = 20, FEATURE_AVX2 = 21, FEATURE_FMA3 = 22,
};

class CCPUThread {
 public:
  explicit CCPUThread(int enumerationIndex);
  virtual int Identify();
  virtual ~CCPUThread();

  // The register, read now; cached per thread. Null when the read fails.
  MSR_Register* ReadMSR(uint32_t index);
  // The cached register as last read, without a hardware access; null when
  // it was never read successfully.
  MSR_Register* FindMSR(uint32_t index) const;
  int AttachVendorInfos(CCPUInfos* infos);
  int AttachFamilyInfos(CCPUInfos* infos);
  FIDVID_Control* GetRatioControl() const;
  int PinToSelf(uint32_t sleepMs);
  int HasFeature(int id) const;
  // The (level, type) descriptor, or null.
  CCacheDescriptor* FindCache(int lvl, int cacheType) const;
  CCacheDescriptor* AddCache(int lvl, int cacheType);

  // Family knowledge, asked model first, then family, then vendor.
  float GetMultiplier();
  float GetTemperature();
  float UpdatePackageSensors();
  float GetBusClock();
  float MeasureCoreClock();
  // Time-stamp counter against the ACPI timer (about 7 ms); -1 without them.
  float MeasureClockWithTSC();

  // Scrambles `name`, `specification` and `codeName` into the shadow strings.
  void WriteShadowStrings();

  CCPUInfos* vendorInfos = nullptr;
  CCPUInfos* familyInfos = nullptr;
  CCPUInfos* modelInfos = nullptr;
  CIOSpace* localApic = nullptr;  // registered with the facade
  CTList<MSR_Register>* msrs;
  int apicId;
  int affinityIndex;
  int packageId = -1;
  int coreId = -1;
  int smtId = -1;
  int computeUnitId = -1;
  // APIC id bits of the threads of one core and of one package, from the
  // topology leaves (0xB/0x1F, AMD 0x80000008/0x8000001E) the way the Linux
  // kernel reads them; -1 when the leaves do not give them.
  int smtShift = -1;
  int packageShift = -1;
  CTList<CCacheDescriptor>* caches;
  int logicalPerPackage = 1;
  int coresPerPackage = 1;
  char vendor[128] = {};
  char name[128] = "Unknown Processor";
  char specification[128] = {};
  char codeName[128] = {};
  char revisionName[128] = {};
  char shadowName[128] = {};
  char shadowSpecification[128] = {};
  char shadowCodeName[128] = {};
  uint32_t typeCode = 0;
  uint32_t maxStandardLeaf = 0;
  uint32_t maxExtendedLeaf = 0;
  int brandId = 0;
  int packageCode = -1;
  int platformId = -1;
  int family = -1;
  int model = -1;
  int stepping = -1;
  int extFamily = -1;
  int extModel = -1;
  int signature = -1;
  int ratedMHz = -1;
  int busCode = -1;
  uint32_t featuresECX = 0xFFFFFFFFu, featuresEDX = 0xFFFFFFFFu;
  uint32_t extFeaturesECX = 0xFFFFFFFFu, extFeaturesEDX = 0xFFFFFFFFu;
  int hasApic = 0;
  int engineeringSample = 0;
  int hyperThreading = 0;
  int mobile = 0;
  int virtualization = 0;
  int noExecute = 0;
  int prRating = -1;
  float technology = -1.0f;
  int linkRatio = -1;
  int microcode = -1;
  float currentRatio = -1.0f, maxRatio = -1.0f, minRatio = -1.0f;
  int tdp = -1;
  // Feature flags.
  int mmx = 0, mmxExt = 0, now3d = 0, now3dExt = 0, sse = 0, sse2 = 0, sse3 = 0, ssse3 = 0, sse41 = 0, sse42 = 0,
      sse4a = 0, xop = 0, x64 = 0, aes = 0, avx = 0, avx2 = 0, fma3 = 0, popcnt = 0;
  int acpiTimerUsable = 1;  // cleared for the i386 and i486
  CTimer* tsc = nullptr;    // registered with the facade
  CSensor* coreTemperature = nullptr;
  CSensor* packageTemperature = nullptr;
  CSensor* packagePower = nullptr;
  CSensor* coresPower = nullptr;
  CSensor* graphicsPower = nullptr;

 private:
  void ReadFeatureFlags();
  void MapLocalApic();
  float AskInfos(float (*ask)(CCPUInfos*, CCPUThread*));
};

// Pause after pinning the process to a logical processor before measuring
// on it. The affinity call moves the calling thread before it returns on
// this platform, so no settling time is needed.
inline constexpr uint32_t kPinSettleMs = 0;

// Bytes XORed into the three shadow strings.
inline constexpr uint8_t kShadowKeys[3] = {0x5A, 0xA7, 0x3C};
