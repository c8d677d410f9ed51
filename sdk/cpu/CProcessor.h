// A processor package, its cores, and the per-core values the clock
// measurement fills.
#pragma once

#include <cstdint>

#include "sdk/core/CDevice.h"

class CCPUThread;
class CCacheDescriptor;

class CCPUCore {
 public:
  explicit CCPUCore(int id);
  virtual ~CCPUCore();

  // One refresh of this core: pin, multiplier, clock, temperature.
  void Update();
  void ComputeClock(CCPUThread* t);
  // The same with a core clock measured elsewhere (a shared window).
  void ComputeClock(CCPUThread* t, float measured);
  CCPUThread* FirstThread() const;

  int coreId;
  CTList<CCPUThread>* threads;
  float clock = -1.0f;          // MHz
  float measuredClock = -1.0f;  // MHz
  float multiplier = -1.0f;
  float busClock = -1.0f;       // MHz
  float temperature = -1.0f;    // degrees C
};

class CProcessor : public CCompositeDevice {
 public:
  CProcessor(int idx, int package);
  ~CProcessor() override;
  const char* GetName() override;

  // One refresh of every core in turn, then the package sensors.
  void Update();
  // Attaches core and package sensors that appeared since the last refresh.
  void AttachNewSensors();

  int GetNumberOfCores() const { return cores->count; }
  int GetNumberOfThreads() const { return threads->count; }
  CCPUCore* GetCore(int i) const { return cores->At(i); }
  CCacheDescriptor* GetCacheDescriptor(int level, int type) const;
  int GetNumberOfCaches(int level, int type) const;
  const char* GetSpecification();
  const char* GetCodeName();
  const char* GetRevisionName();
  const char* GetShadowName(int k);
  const char* GetPackageName();
  uint32_t GetTypeCode();
  bool HasTypeBits(uint32_t mask);
  int IsEngineeringSample();
  float GetTechnology();
  int GetBrandID();
  int GetFamily();
  int GetModel();
  int GetStepping();
  int GetExtendedFamily();
  int GetExtendedModel();
  int HasFeature(int id);
  int GetRatedFrequency();
  float GetCoreClock(int i) const;
  float GetCoreMultiplier(int i) const;
  float GetCoreMaxRatio(int i) const;
  float GetCoreMinRatio(int i) const;
  float GetLinkClock();
  CCPUThread* FirstThread();

  int index;
  int packageId;
  CTList<CCPUCore>* cores;
  CTList<CCPUThread>* threads;
  CTList<CCacheDescriptor>* caches;
  CCPUThread* firstThread = nullptr;
  char packageName[128] = {};
  bool packageNameSet = false;
  float busClock = -1.0f;
  float packageValue = -1.0f;

};
