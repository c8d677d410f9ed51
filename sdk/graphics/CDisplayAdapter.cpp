#include "sdk/graphics/CDisplayAdapter.h"

#include <cstdio>
#include <cstring>

#include "sdk/access/CPCIDevice.h"
#include "sdk/clock/CPLL.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/graphics/CDisplayAPI.h"
#include "sdk/graphics/GpuClockPLL.h"

CDisplayAdapter::CDisplayAdapter() : CCompositeDevice(DEVICE_DISPLAY_ADAPTER) {}

CDisplayAdapter::~CDisplayAdapter() = default;

void CDisplayAdapter::AddAPI(CDisplayAPI* api, int handle) {
  if (!api || HasAPI(api)) return;
  apiEntries.push_back({api, handle});
}

bool CDisplayAdapter::HasAPI(const CDisplayAPI* api) const {
  for (const APIEntry& e : apiEntries)
    if (e.api == api) return true;
  return false;
}

int CDisplayAdapter::GetHandle(const CDisplayAPI* api) const {
  for (const APIEntry& e : apiEntries)
    if (e.api == api) return e.handle;
  return -1;
}

CPCIDevice* CDisplayAdapter::PciDevice() const {
  if (!children) return nullptr;
  for (CDevice* d : Items(children))
    if (d->type & DEVICE_PCI) return static_cast<CPCIDevice*>(d);
  return nullptr;
}

CPLL* CDisplayAdapter::ClockOf(int level, int kind) const {
  if (level < 0 || level >= kMaxPerfLevels) return nullptr;
  switch (kind) {
    case GPUCLOCK_CORE: return coreClock[level];
    case GPUCLOCK_SHADER: return shaderClock[level];
    case GPUCLOCK_MEMORY: return memoryClock[level];
    default: return nullptr;
  }
}

namespace {

CPLL* MakeClock(CDisplayAdapter* a, int level, int kind) {
  const uint32_t vendor = a->Vendor();
  CPLL* pll = nullptr;
  if (kind == GPUCLOCK_CORE) {
    if (vendor == DISPLAY_VENDOR_NVIDIA) pll = new NVIDIA_GPU_CORE_PLL(a, level);
    else if (vendor == DISPLAY_VENDOR_ATI) pll = new ATI_GPU_CORE_PLL(a, level);
    else if (vendor == DISPLAY_VENDOR_INTEL) pll = new INTEL_GPU_CORE_PLL(a, level);
  } else if (kind == GPUCLOCK_SHADER) {
    if (vendor == DISPLAY_VENDOR_NVIDIA) pll = new NVIDIA_GPU_SHADER_PLL(a, level);
  } else if (kind == GPUCLOCK_MEMORY) {
    if (vendor == DISPLAY_VENDOR_NVIDIA) pll = new NVIDIA_GPU_MEM_PLL(a, level);
    else if (vendor == DISPLAY_VENDOR_ATI) pll = new ATI_GPU_MEM_PLL(a, level);
  }
  if (pll) QUARNSDK::GetInstance()->AddPLL(pll);
  return pll;
}

// Stores one clock answer in the level's object, making it on first use.
void StoreClock(CDisplayAdapter* a, CPLL** slot, int level, int kind, bool answered, float mhz, bool hasDefault,
                float defaultMhz) {
  if (!answered && !*slot) return;
  if (!*slot) *slot = MakeClock(a, level, kind);
  if (!*slot) return;
  if (answered) (*slot)->frequency = mhz;
  if (hasDefault) (*slot)->spare = defaultMhz;
}

}  // namespace

void CDisplayAdapter::Refresh() {
  // The first API that answers a question wins, in attach order.
  bool levelsKnown = false;
  bool answered[kMaxPerfLevels][3] = {};
  for (const APIEntry& e : apiEntries) {
    CDisplayAPI* api = e.api;
    int count = api->GetPerfLevelCount(this);
    if (count > kMaxPerfLevels) count = kMaxPerfLevels;
    if (count > 1 && !levelsKnown) {
      levelsKnown = true;
      perfLevelCount = count;
      currentPerfLevel = api->GetCurrentPerfLevel(this);
      for (int l = 0; l < count; ++l)
        if (!perfLevelNames[l][0]) api->GetPerfLevelName(this, l, perfLevelNames[l], sizeof(perfLevelNames[l]));
    }
    if (count < 1) count = 1;
    for (int l = 0; l < count; ++l) {
      struct Kind {
        int kind;
        CPLL** slot;
        bool (CDisplayAPI::*get)(CDisplayAdapter*, int, float*, float*, float*);
        bool (CDisplayAPI::*getDefault)(CDisplayAdapter*, int, float*);
      } kinds[3] = {
          {GPUCLOCK_CORE, &coreClock[l], &CDisplayAPI::GetCoreClock, &CDisplayAPI::GetDefaultCoreClock},
          {GPUCLOCK_SHADER, &shaderClock[l], &CDisplayAPI::GetShaderClock, &CDisplayAPI::GetDefaultShaderClock},
          {GPUCLOCK_MEMORY, &memoryClock[l], &CDisplayAPI::GetMemoryClock, &CDisplayAPI::GetDefaultMemoryClock},
      };
      for (int k = 0; k < 3; ++k) {
        if (answered[l][k]) continue;
        float mhz = -1, low = -1, high = -1, def = -1;
        const bool got = (api->*kinds[k].get)(this, l, &mhz, &low, &high);
        if (!got) continue;
        answered[l][k] = true;
        const bool gotDefault = (api->*kinds[k].getDefault)(this, l, &def);
        StoreClock(this, kinds[k].slot, l, kinds[k].kind, true, mhz, gotDefault, def);
      }
    }
    int value = -1;
    if (memorySizeMB == -1 && api->GetMemorySize(this, &value)) memorySizeMB = value;
    value = -1;
    if (memoryType == -1 && api->GetMemoryType(this, &value)) memoryType = value;
    value = -1;
    if (busWidth == -1 && api->GetBusWidth(this, &value)) busWidth = value;
  }
}

bool CDisplayAdapter::ReadTemperature(float* celsius) {
  for (const APIEntry& e : apiEntries)
    if (e.api->GetTemperature(this, celsius)) return true;
  return false;
}

bool CDisplayAdapter::ReadFanRPM(int* rpm) {
  for (const APIEntry& e : apiEntries)
    if (e.api->GetFanRPM(this, rpm)) return true;
  return false;
}

bool CDisplayAdapter::ReadFanPercent(int* percent) {
  for (const APIEntry& e : apiEntries)
    if (e.api->GetFanPercent(this, percent)) return true;
  return false;
}

bool CDisplayAdapter::ReadLoad(int* percent) {
  for (const APIEntry& e : apiEntries)
    if (e.api->GetLoad(this, percent)) return true;
  return false;
}

bool CDisplayAdapter::ReadVoltage(float* volts) {
  for (const APIEntry& e : apiEntries)
    if (e.api->GetVoltage(this, volts)) return true;
  return false;
}

bool CDisplayAdapter::ReadDefaultVoltage(float* volts) {
  for (const APIEntry& e : apiEntries)
    if (e.api->GetPStateBaseVoltage(this, 0, 0, volts)) return true;
  return false;
}

bool CDisplayAdapter::SetGpuVoltage(float volts) {
  if (!(volts > 0)) return false;
  for (const APIEntry& e : apiEntries)
    if (e.api->SetPStateVoltage(this, 0, 0, volts)) return true;
  return false;
}

bool CDisplayAdapter::SetClock(int level, int kind, float mhz) {
  if (level < 0 || level >= kMaxPerfLevels || !(mhz > 0)) return false;
  bool done = false;
  for (const APIEntry& e : apiEntries) {
    if (kind == GPUCLOCK_CORE) done = e.api->SetCoreClock(this, level, mhz);
    else if (kind == GPUCLOCK_SHADER) done = e.api->SetShaderClock(this, level, mhz);
    else if (kind == GPUCLOCK_MEMORY) done = e.api->SetMemoryClock(this, level, mhz);
    if (done) break;
  }
  Refresh();
  return done;
}

void CDisplayAdapter::APINames(char* out, unsigned size) const {
  if (!out || !size) return;
  out[0] = 0;
  size_t used = 0;
  for (const APIEntry& e : apiEntries) {
    const int n = std::snprintf(out + used, size - used, "%s%s", used ? ", " : "", e.api->name);
    if (n < 0 || static_cast<size_t>(n) >= size - used) break;
    used += static_cast<size_t>(n);
  }
}
