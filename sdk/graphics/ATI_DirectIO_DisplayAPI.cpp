#include "sdk/graphics/ATI_DirectIO_DisplayAPI.h"

#include <cstdio>

#include "sdk/access/CIOSpace.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/graphics/ATI_R4XX_I2CRegisterSpace.h"
#include "sdk/graphics/ATI_R5XX_I2CRegisterSpace.h"
#include "sdk/graphics/ATI_R6XX_I2CRegisterSpace.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"

const AtiChipRow kAtiChips[] = {
    {0x4A50, "ATI Radeon X800 XT Platinum Edition", "R420", 0x02400420, 0.13f, 0},
    {0x7240, "ATI Radeon X1950 XTX", "R580", 0x02500580, 0.09f, 0},
    {0x7280, "ATI Radeon X1950 PRO", "RV570", 0x02500570, 0.08f, 0},
    {0x9501, "ATI Radeon HD 3870", "RV670", 0x02600130, 0.055f, 0x4600},
    {0x9505, "ATI Radeon HD 3850", "RV670", 0x02600130, 0.055f, 0x4600},
    {0x9440, "ATI Radeon HD 4870", "RV770", 0x02700110, 0.055f, 0x4700},
    {0x9442, "ATI Radeon HD 4850", "RV770", 0x02700110, 0.055f, 0x4700},
    {0x944A, "ATI Mobility Radeon HD 4850", "RV770", 0x02700110, 0.055f, 0x4700},
    {0x6898, "ATI Radeon HD 5870", "RV870", 0x02800130, 0.04f, 0},
    {0x6899, "ATI Radeon HD 5850", "RV870", 0x02800130, 0.04f, 0},
    {0x68B8, "ATI Radeon HD 5770", "Juniper", 0x02800140, 0.04f, 0},
    {0x6718, "AMD Radeon HD 6970", "Cayman", 0x02800170, 0.04f, 0},
    {-1, nullptr, nullptr, 0, 0, 0},
};

namespace {

uint32_t Generation(int family) { return static_cast<uint32_t>(family) & 0xFFF00000u; }

}  // namespace

ATI_DirectIO_DisplayAPI::ATI_DirectIO_DisplayAPI(CDisplayInterface* owner)
    : CDisplayAPI(DISPLAYAPI_ATI_IO, "ATI I/O"), interface_(owner) {}

bool ATI_DirectIO_DisplayAPI::Init() {
  bool any = false;
  for (CDisplayAdapter* a : interface_->AdaptersOf(DISPLAY_VENDOR_ATI)) {
    any = true;
    a->AddAPI(this, -1);
    a->registers = interface_->MapRegisters(a, 0x18, 0x10000);
    if (const AtiChipRow* c = Chip(a)) {
      std::snprintf(a->name, sizeof(a->name), "%s", c->name);
      std::snprintf(a->chipName, sizeof(a->chipName), "%s", c->chipName);
      a->familyCode = static_cast<int>(c->family);
      a->technology = c->technology;
      thermal_[a].kind = c->thermalKind;
    }
    // The DDC lines through the display controller's I2C engine of the
    // chip's generation (R7xx has the R6xx engine).
    const uint32_t g = Generation(a->familyCode);
    CI2CRegisterSpace* space = nullptr;
    if (a->registers && !a->directI2C) {
      if (g == 0x02400000)
        space = new ATI_R4XX_I2CRegisterSpace(a->registers, ATI_R4XX_I2CRegisterSpace::kDefaultReferenceKHz);
      else if (g == 0x02500000)
        space = new ATI_R5XX_I2CRegisterSpace(a->registers);
      else if (g == 0x02600000 || g == 0x02700000) space = new ATI_R6XX_I2CRegisterSpace(a->registers);
    }
    if (space) {
      QUARNSDK::GetInstance()->AddRegisterSpace(space);
      a->directI2C = space;
    }
  }
  return any;
}

bool ATI_DirectIO_DisplayAPI::SetThermalSensor(CDisplayAdapter* a, int kind, int port, int address) {
  bool known = kind == kAtiThermalRv6xx || kind == kAtiThermalRv770 || kind == 0;
  for (int k : kAtiExternalThermalKinds) known |= k == kind;
  if (!Serves(a) || !known || (kind > 0 && kind < 0x4000 && (port < 0 || address < 0 || address > 0x7F)))
    return false;
  Thermal& t = thermal_[a];
  t.kind = kind;
  t.port = port;
  t.address = address;
  t.lastGood = -1;
  return true;
}

// Register 1 of the card's LM63-class sensor: the remote diode in whole
// degrees. A reading above 126 °C is a bus glitch rather than a GPU that
// hot: the last good reading stands in for it.
bool ATI_DirectIO_DisplayAPI::ExternalTemperature(CDisplayAdapter* a, float* celsius) {
  Thermal& t = thermal_[a];
  CI2CRegisterSpace* space = a->apiI2C ? a->apiI2C : a->directI2C;
  uint8_t v = 0xFF;
  if (!space || !space->LockedReadByte(t.port, t.address, 0x01, &v)) return false;
  if (v > 126) {
    if (t.lastGood < 0) return false;
    *celsius = t.lastGood;
    return true;
  }
  t.lastGood = static_cast<float>(v);
  *celsius = t.lastGood;
  return true;
}

const AtiChipRow* ATI_DirectIO_DisplayAPI::Chip(CDisplayAdapter* a) const {
  for (const AtiChipRow* c = kAtiChips; c->deviceId >= 0; ++c)
    if (c->deviceId == a->deviceId) return c;
  return nullptr;
}

bool ATI_DirectIO_DisplayAPI::Reg(CDisplayAdapter* a, uint32_t offset, uint32_t* value) {
  *value = 0xFFFFFFFF;
  return Serves(a) && a->registers && a->registers->Read32(offset, value);
}

// The on-die sensor: a signed 9-bit reading in °C.
bool ATI_DirectIO_DisplayAPI::GetTemperature(CDisplayAdapter* a, float* celsius) {
  if (!Serves(a)) return false;
  const auto it = thermal_.find(a);
  const int kind = it == thermal_.end() ? 0 : it->second.kind;
  for (int k : kAtiExternalThermalKinds)
    if (kind == k) return ExternalTemperature(a, celsius);
  if (kind != kAtiThermalRv6xx && kind != kAtiThermalRv770) return false;
  uint32_t v = 0;
  if (!Reg(a, kind == kAtiThermalRv6xx ? 0x7F4 : 0x730, &v) || v == 0xFFFFFFFF) return false;
  int t = static_cast<int>(v & 0x1FF);
  if (t & 0x100) t -= 0x200;
  *celsius = static_cast<float>(t);
  return true;
}

float ATI_DirectIO_DisplayAPI::R6xxPllMHz(uint32_t f, uint32_t d, float referenceKHz) {
  const uint32_t n = ((((d & 0xF) << 8) | ((f >> 5) & 0xFF)) | 1) + 1;
  const uint32_t r = (d & 0x70) * 16 + ((f >> 2) & 7) + 1;
  const uint32_t p = (f & (1u << 24)) ? ((f >> 20) & 0xF) + ((f >> 16) & 0xF) + 2 : 1;
  return referenceKHz * static_cast<float>(n) / 1000.0f / static_cast<float>(r) / static_cast<float>(p);
}

bool ATI_DirectIO_DisplayAPI::GetCoreClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) {
  if (level != 0 || !Serves(a)) return false;
  const uint32_t family = static_cast<uint32_t>(a->familyCode);
  uint32_t f = 0, d = 0;
  float result = 0;
  if (family == 0x02600080 || family == 0x02600130) {
    if (!Reg(a, 0x600, &f) || !Reg(a, 0x7D4, &d)) return false;
    result = R6xxPllMHz(f, d, kDefaultReferenceKHz);
  } else if (family == 0x02700110 || family == 0x02800130 || family == 0x02800140 || family == 0x02800170) {
    uint32_t nReg = 0;
    if (!Reg(a, 0x600, &f) || !Reg(a, 0x608, &nReg) || f == 0xFFFFFFFF) return false;
    const uint32_t r = ((f >> 4) & 0x3F) + 1;
    const uint32_t n = nReg & 0x3FFFFFF;
    result = kDefaultReferenceKHz / 1000.0f / static_cast<float>(r) * static_cast<float>(n) / 16384.0f;
    if (Generation(a->familyCode) == 0x02800000) {
      uint32_t p = (f >> 20) & 0x7F;
      if (!p) p = (f & 4) ? ((f >> 16) & 0xF) + ((f >> 12) & 0xF) + 2 : 1;
      result /= static_cast<float>(p);
    }
  } else {
    return false;
  }
  if (!(result > 0)) return false;
  *mhz = result;
  *min = *max = -1;
  return true;
}

bool ATI_DirectIO_DisplayAPI::GetMemoryClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) {
  if (level != 0 || !Serves(a) || static_cast<uint32_t>(a->familyCode) != 0x02600130) return false;
  uint32_t f = 0, d = 0;
  if (!Reg(a, 0x610, &f) || !Reg(a, 0x7D8, &d)) return false;
  const float result = R6xxPllMHz(f, d, kDefaultReferenceKHz);
  if (!(result > 0)) return false;
  *mhz = result;
  *min = *max = -1;
  return true;
}

// CONFIG_MEMSIZE: bytes on R6xx/R7xx, megabytes on Evergreen and later.
bool ATI_DirectIO_DisplayAPI::GetMemorySize(CDisplayAdapter* a, int* megabytes) {
  if (!Serves(a)) return false;
  const uint32_t g = Generation(a->familyCode);
  if (g != 0x02600000 && g != 0x02700000 && g != 0x02800000) return false;
  uint32_t v = 0;
  if (!Reg(a, 0x5428, &v) || v == 0xFFFFFFFF || v == 0) return false;
  *megabytes = static_cast<int>(g == 0x02800000 ? v : v >> 20);
  return true;
}

// RAMCFG channel size and the number of channels.
bool ATI_DirectIO_DisplayAPI::GetBusWidth(CDisplayAdapter* a, int* bits) {
  if (!Serves(a)) return false;
  const uint32_t g = Generation(a->familyCode);
  if (g != 0x02600000 && g != 0x02700000) return false;
  uint32_t cfg = 0, doubled = 0;
  if (!Reg(a, 0x2004, &cfg) || cfg == 0xFFFFFFFF) return false;
  int width = 32 << ((cfg >> 12) & 3);
  if (!Reg(a, g == 0x02600000 ? 0x2408 : 0x2760, &doubled)) return false;
  if (g == 0x02600000 ? (doubled & 0x80) : (doubled & 0x100)) width *= 2;
  *bits = width;
  return true;
}
