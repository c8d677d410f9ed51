#include "sdk/graphics/Intel_DirectIO_DisplayAPI.h"

#include <cstdio>

#include "sdk/access/CIOSpace.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"

const IntelGraphicsRow kIntelGraphics[] = {
    {0x3582, "Intel 82852/82855 GM/GME", "Montara", 0x04010000, 0.13f},
    {0x27AE, "Intel i945GME", "Calistoga", 0x04020000, 0.09f},
    {0x2E22, nullptr, "Eaglelake", 0x04040000, 0.065f},
    {0x2E32, nullptr, "Eaglelake", 0x04040000, 0.065f},
    {0x0042, nullptr, "Clarkdale", 0x04050000, 0.045f},
    {0x0046, nullptr, "Arrandale", 0x04050000, 0.045f},
    {0x0102, "Intel HD Graphics 1000 (GT1)", "Sandy Bridge", kIntelFamilySandyBridge, 0.032f},
    {0x0112, "Intel HD Graphics 2000 (GT2)", "Sandy Bridge", kIntelFamilySandyBridge, 0.032f},
    {0x0122, "Intel HD Graphics 3000 (GT2+)", "Sandy Bridge", kIntelFamilySandyBridge, 0.032f},
    {-1, nullptr, nullptr, 0, 0},
};

namespace {
constexpr uint32_t kRpStat1 = 0xA01C;
constexpr uint32_t kPp1Temperature = 0x140000 + 0x5980;
constexpr uint32_t kGraphicsControl = 0x50;
}  // namespace

Intel_DirectIO_DisplayAPI::Intel_DirectIO_DisplayAPI(CDisplayInterface* owner)
    : CDisplayAPI(DISPLAYAPI_INTEL_IO, "Intel I/O"), interface_(owner) {}

bool Intel_DirectIO_DisplayAPI::Init() {
  bool any = false;
  for (CDisplayAdapter* a : interface_->AdaptersOf(DISPLAY_VENDOR_INTEL)) {
    any = true;
    a->AddAPI(this, -1);
    std::snprintf(a->name, sizeof(a->name), "Intel 0x%04X", a->deviceId & 0xFFFF);
    for (const IntelGraphicsRow* r = kIntelGraphics; r->deviceId >= 0; ++r)
      if (r->deviceId == a->deviceId) {
        if (r->name) std::snprintf(a->name, sizeof(a->name), "%s", r->name);
        std::snprintf(a->chipName, sizeof(a->chipName), "%s", r->codeName);
        a->familyCode = static_cast<int>(r->family);
        a->technology = r->technology;
        break;
      }
    if (static_cast<uint32_t>(a->familyCode) == kIntelFamilySandyBridge)
      a->registers = interface_->MapRegisters(a, 0x10, 0x400000);
  }
  return any;
}

bool Intel_DirectIO_DisplayAPI::GetTemperature(CDisplayAdapter* a, float* celsius) {
  if (!Serves(a) || !a->registers || static_cast<uint32_t>(a->familyCode) != kIntelFamilySandyBridge) return false;
  uint32_t v = 0xFFFFFFFF;
  if (!a->registers->Read32(kPp1Temperature, &v) || v == 0xFFFFFFFF) return false;
  // 0: the PCU has not measured the plane (graphics off).
  if (!(v & 0xFF)) return false;
  *celsius = static_cast<float>(v & 0xFF);
  return true;
}

bool Intel_DirectIO_DisplayAPI::GetCoreClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) {
  if (level != 0 || !Serves(a) || !a->registers || static_cast<uint32_t>(a->familyCode) != kIntelFamilySandyBridge)
    return false;
  uint32_t v = 0xFFFFFFFF;
  if (!a->registers->Read32(kRpStat1, &v) || v == 0xFFFFFFFF) return false;
  const uint32_t ratio = (v >> 8) & 0x7F;
  if (!ratio) return false;  // the GT is in RC6: no clock to show
  *mhz = static_cast<float>(ratio * 50);
  *min = *max = -1;
  return true;
}

bool Intel_DirectIO_DisplayAPI::GetMemorySize(CDisplayAdapter* a, int* megabytes) {
  CPCIDevice* p = Serves(a) ? a->PciDevice() : nullptr;
  if (!p || static_cast<uint32_t>(a->familyCode) != kIntelFamilySandyBridge) return false;
  uint32_t v = 0xFFFFFFFF;
  if (!p->ReadConfig(kGraphicsControl, &v) || v == 0xFFFFFFFF) return false;
  const int units = static_cast<int>((v >> 3) & 0x1F);
  if (!units) return false;
  *megabytes = units * 32;
  return true;
}
