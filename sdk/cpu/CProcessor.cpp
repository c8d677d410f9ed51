#include "sdk/cpu/CProcessor.h"

#include <cmath>
#include <cstdio>

#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/core/RoundToInt.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/FIDVID_Control.h"
#include "sdk/cpu/IntelNaming.h"

// ------------------------------------------------------------------ core

CCPUCore::CCPUCore(int id) : coreId(id), threads(new CTList<CCPUThread>()) {}

CCPUCore::~CCPUCore() { delete threads; }

CCPUThread* CCPUCore::FirstThread() const { return threads->head ? threads->head->item : nullptr; }

void CCPUCore::Update() {
  CCPUThread* t = FirstThread();
  if (!t) return;
  t->PinToSelf(kPinSettleMs);
  multiplier = t->GetMultiplier();
  ComputeClock(t);
  temperature = t->GetTemperature();
}

void CCPUCore::ComputeClock(CCPUThread* t) { ComputeClock(t, t->MeasureCoreClock()); }

void CCPUCore::ComputeClock(CCPUThread* t, float measured) {
  const float bus = busClock;
  float mult = multiplier;
  float meas = measured;
  measuredClock = meas;
  if (bus > 0 && mult > 0) {
    clock = bus * mult;
  } else {
    clock = meas;
    if (meas <= 0) {
      meas = t->MeasureClockWithTSC();
      measuredClock = clock = meas;
    }
  }
  if (mult <= 0 && bus > 0 && clock > 0) {
    float r = clock / bus;
    if (FamilyOf(t->typeCode) == CPU_INTEL_CORE2 && t->extModel > 22)
      mult = std::floor(2 * r + 0.5f) / 2;
    else
      mult = static_cast<float>(RoundToInt(r));
    clock = bus * mult;
    multiplier = clock / bus;
  }
  if (bus > 0 && measuredClock > 0) {
    uint32_t family = FamilyOf(t->typeCode);
    if (family == CPU_INTEL_NEHALEM || family == CPU_INTEL_SANDY_BRIDGE)
      measuredClock = bus * static_cast<float>(RoundToInt(measuredClock / bus));
    else
      measuredClock = bus * std::floor(2 * measuredClock / bus + 0.5f) / 2;
  }
}

// ------------------------------------------------------------------ package

CProcessor::CProcessor(int idx, int package)
    : CCompositeDevice(DEVICE_PROCESSOR),
      index(idx),
      packageId(package),
      cores(new CTList<CCPUCore>()),
      threads(new CTList<CCPUThread>()),
      caches(new CTList<CCacheDescriptor>()) {}

CProcessor::~CProcessor() {
  delete cores;
  delete threads;
  delete caches;
}

CCPUThread* CProcessor::FirstThread() {
  if (!firstThread && threads->head) firstThread = threads->head->item;
  return firstThread;
}

void CProcessor::AttachNewSensors() {
  for (CCPUCore* core : Items(cores)) {
    CCPUThread* t = core->FirstThread();
    if (!t || !t->coreTemperature) continue;
    if (sensors && sensors->Contains(t->coreTemperature)) continue;
    t->coreTemperature->id |= static_cast<uint32_t>(core->coreId) & 0xFF;
    std::snprintf(t->coreTemperature->name, sizeof(t->coreTemperature->name), "Core #%d", core->coreId);
    AddSensor(t->coreTemperature);
  }
  CCPUThread* t = FirstThread();
  if (!t) return;
  for (CSensor* s : {t->packageTemperature, t->packagePower, t->coresPower, t->graphicsPower})
    if (s && !(sensors && sensors->Contains(s))) {
      s->id |= static_cast<uint32_t>(packageId) & 0xFF;
      AddSensor(s);
    }
}

void CProcessor::Update() {
  AttachNewSensors();
  for (CCPUCore* core : Items(cores)) {
    core->busClock = busClock;
    core->Update();
  }
  CCPUThread* t = FirstThread();
  if (!t) return;
  AttachNewSensors();
  packageValue = t->UpdatePackageSensors();
}

const char* CProcessor::GetName() {
  CCPUThread* t = FirstThread();
  return t ? t->name : EmptyString;
}
const char* CProcessor::GetSpecification() {
  CCPUThread* t = FirstThread();
  return t ? t->specification : EmptyString;
}
const char* CProcessor::GetCodeName() {
  CCPUThread* t = FirstThread();
  return t ? t->codeName : EmptyString;
}
const char* CProcessor::GetRevisionName() {
  CCPUThread* t = FirstThread();
  return t ? t->revisionName : EmptyString;
}
const char* CProcessor::GetShadowName(int k) {
  CCPUThread* t = FirstThread();
  if (!t) return EmptyString;
  if (k == 0) return t->shadowName;
  if (k == 1) return t->shadowSpecification;
  if (k == 2) return t->shadowCodeName;
  return EmptyString;
}
const char* CProcessor::GetPackageName() {
  CCPUThread* t = FirstThread();
  if (!t) return EmptyString;
  if (!packageNameSet) {
    std::snprintf(packageName, sizeof(packageName), "%s", PackageName(t->packageCode));
    packageNameSet = true;
  }
  return packageName;
}

#define THREAD_VALUE(expr, none) \
  CCPUThread* t = FirstThread(); \
  return t ? (expr) : (none)

uint32_t CProcessor::GetTypeCode() { THREAD_VALUE(t->typeCode, 0xFFFFFFFFu); }
bool CProcessor::HasTypeBits(uint32_t mask) { THREAD_VALUE((mask & t->typeCode) == mask, false); }
int CProcessor::IsEngineeringSample() { THREAD_VALUE(t->engineeringSample, 0); }
float CProcessor::GetTechnology() { THREAD_VALUE(t->technology, -1.0f); }
int CProcessor::GetBrandID() { THREAD_VALUE(t->brandId, -1); }
int CProcessor::GetFamily() { THREAD_VALUE(t->family, -1); }
int CProcessor::GetModel() { THREAD_VALUE(t->model, -1); }
int CProcessor::GetStepping() { THREAD_VALUE(t->stepping, -1); }
int CProcessor::GetExtendedFamily() { THREAD_VALUE(t->extFamily, -1); }
int CProcessor::GetExtendedModel() { THREAD_VALUE(t->extModel, -1); }
int CProcessor::HasFeature(int id) { THREAD_VALUE(t->HasFeature(id), 0); }
int CProcessor::GetRatedFrequency() { THREAD_VALUE(t->ratedMHz, -1); }

#undef THREAD_VALUE

CCacheDescriptor* CProcessor::GetCacheDescriptor(int level, int type) const {
  for (CCacheDescriptor* c : Items(caches))
    if (c->level == level && c->type == type) return c;
  return nullptr;
}

int CProcessor::GetNumberOfCaches(int level, int type) const {
  int n = 0;
  for (CCacheDescriptor* c : Items(caches))
    if (c->level == level && c->type == type) ++n;
  return n;
}

float CProcessor::GetCoreClock(int i) const {
  CCPUCore* c = GetCore(i);
  return c ? c->clock : -1.0f;
}

float CProcessor::GetCoreMultiplier(int i) const {
  CCPUCore* c = GetCore(i);
  return c ? c->multiplier : -1.0f;
}

float CProcessor::GetCoreMaxRatio(int i) const {
  CCPUCore* c = GetCore(i);
  CCPUThread* t = c ? c->FirstThread() : nullptr;
  if (!t) return -1.0f;
  if (t->maxRatio > 0) return t->maxRatio;
  FIDVID_Control* rc = t->GetRatioControl();
  return rc ? rc->MaxRatio() : -1.0f;
}

float CProcessor::GetCoreMinRatio(int i) const {
  CCPUCore* c = GetCore(i);
  CCPUThread* t = c ? c->FirstThread() : nullptr;
  if (!t) return -1.0f;
  if (t->minRatio > 0) return t->minRatio;
  FIDVID_Control* rc = t->GetRatioControl();
  return rc ? rc->MinRatio() : -1.0f;
}

float CProcessor::GetLinkClock() {
  CCPUThread* t = FirstThread();
  if (!t || t->linkRatio == -1 || busClock <= 0) return -1.0f;
  return busClock * static_cast<float>(t->linkRatio);
}
