#include "sdk/graphics/NVIDIA_DirectIO_DisplayAPI.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "sdk/access/CIOSpace.h"
#include "sdk/access/CMemoryMap.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"
#include "sdk/graphics/GraphicsI2CReport.h"
#include "sdk/graphics/NVIDIA_G80_I2CRegisterSpace.h"

const NvidiaChipRow kNvidiaChips[] = {
    {0x0040, 0x004F, NV_FAMILY_NV4X, "NV40", 0.13f},
    {0x0190, 0x019F, NV_FAMILY_G80, "G80", 0.09f},
    {0x0400, 0x040F, NV_FAMILY_G84, "G84", 0.08f},
    {0x0420, 0x042F, NV_FAMILY_G86, "G86", 0.08f},
    {0x05E0, 0x05FF, NV_FAMILY_GT200, "GT200", 0.065f},
    {0x0600, 0x061F, NV_FAMILY_G92, "G92", 0.065f},
    {0x0620, 0x063F, NV_FAMILY_G94, "G94", 0.065f},
    {0x0640, 0x065F, NV_FAMILY_G96, "G96", 0.065f},
    {0x06C0, 0x06DF, NV_FAMILY_GF100, "GF100", 0.04f},
    {0x06E0, 0x06FF, NV_FAMILY_G98, "G98", 0.065f},
    {0x0A20, 0x0A3F, NV_FAMILY_GT216, "GT216", 0.04f},
    {0x0A60, 0x0A7F, NV_FAMILY_GT218, "GT218", 0.04f},
    {0x0CA0, 0x0CBF, NV_FAMILY_GT215, "GT215", 0.04f},
    {0x0DC0, 0x0DDF, NV_FAMILY_GF106, "GF106", 0.04f},
    {0x0E20, 0x0E3F, NV_FAMILY_GF104, "GF104", 0.04f},
    {0x1080, 0x109F, NV_FAMILY_GF110, "GF110", 0.04f},
    {0x1180, 0x11BF, NV_FAMILY_GK104, "GK104", 0.028f},
    {-1, -1, 0, nullptr, 0},
};

const GpuNameRow kNvidiaNames[] = {
    {0x0045, "NVIDIA GeForce 6800 GT"}, {0x0402, "NVIDIA GeForce 8600 GT"}, {0x05E0, "NVIDIA GeForce GTX 295"},
    {0x05E1, "NVIDIA GeForce GTX 280"}, {0x05E2, "NVIDIA GeForce GTX 260"}, {0x05E3, "NVIDIA GeForce GTX 285"},
    {0x05E6, "NVIDIA GeForce GTX 275"}, {0x0615, "NVIDIA GeForce GTS 250"}, {0x06C0, "NVIDIA GeForce GTX 480"},
    {0x06C4, "NVIDIA GeForce GTX 465"}, {0x06CD, "NVIDIA GeForce GTX 470"}, {0x0CAF, "NVIDIA GeForce GT 335M"},
    {0x0DC4, "NVIDIA GeForce GTS 450"}, {0x0E22, "NVIDIA GeForce GTX 460"}, {0x0E24, "NVIDIA GeForce GTX 460"},
    {-1, nullptr},
};

namespace {

constexpr uint32_t kGpioPage = 0xE000;
constexpr uint32_t kGpioPageSize = 4096;

bool IsAnyOf(int family, std::initializer_list<uint32_t> codes) {
  for (uint32_t c : codes)
    if (static_cast<uint32_t>(family) == c) return true;
  return false;
}

// The chips whose PLL registers the clock formulas read.
bool HasG8xPlls(int family) {
  return IsAnyOf(family, {NV_FAMILY_G84, NV_FAMILY_G86, NV_FAMILY_G94, NV_FAMILY_G96, NV_FAMILY_GT200});
}

bool IsFermi(int family) {
  return IsAnyOf(family, {NV_FAMILY_GF100, NV_FAMILY_GF104, NV_FAMILY_GF106, NV_FAMILY_GF110});
}

// Fermi clock registers (envytools PCLOCK docs, nouveau's gf100 clock code):
// the crystal is 27 MHz; 0x137100 bit i selects domain i's own PLL
// (0x137000 + 0x20 i: control bit 0 enable, coefficient at +4 with P in bits
// 21:16, N 15:8, M 7:0) over its divider path; 0x137250 + 4 i is the
// domain's final divider (bit 31 on: f × 2 / (field + 2), the field in bits
// 13:8 after a PLL, 5:0 after the divider path). Domain 0 is the GPC clock,
// which the shaders run at; the rest of the core runs at half of it.
constexpr uint32_t kFermiCrystalKhz = 27000;
constexpr uint32_t kFermiSourceSelect = 0x137100, kFermiFinalDivider = 0x137250;
constexpr uint32_t kFermiSpPll0 = 0xE800, kFermiSpPll1 = 0xE820;
constexpr uint32_t kFermiMemoryPll = 0x132000, kFermiMemorySourcePll = 0x132020;
constexpr uint32_t kFermiMemorySelect = 0x1373F0;  // bit 1: memory PLL, else divider
constexpr int kFermiGpcDomain = 0;

}  // namespace

NVIDIA_DirectIO_DisplayAPI::NVIDIA_DirectIO_DisplayAPI(CDisplayInterface* owner)
    : CDisplayAPI(DISPLAYAPI_NVIDIA_IO, "NVIDIA I/O"), interface_(owner) {}

bool NVIDIA_DirectIO_DisplayAPI::Init() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  bool any = false;
  for (CDisplayAdapter* a : interface_->AdaptersOf(DISPLAY_VENDOR_NVIDIA)) {
    any = true;
    a->AddAPI(this, -1);
    a->registers = interface_->MapRegisters(a, 0x10, 0x1000000);
    for (const GpuNameRow* n = kNvidiaNames; n->deviceId >= 0; ++n)
      if (n->deviceId == a->deviceId) std::snprintf(a->name, sizeof(a->name), "%s", n->name);
    uint32_t boot = 0;
    if (Reg(a, 0, &boot)) a->revision = static_cast<int>(boot & 0xFF);
    for (const NvidiaChipRow* c = kNvidiaChips; c->firstId >= 0; ++c)
      if (a->deviceId >= c->firstId && a->deviceId <= c->lastId) {
        a->familyCode = static_cast<int>(c->family);
        std::snprintf(a->chipName, sizeof(a->chipName), "%s", c->chipName);
        a->technology = c->technology;
        break;
      }
    const uint32_t generation = static_cast<uint32_t>(a->familyCode) & 0xFFFF0000u;
    if (a->registers && (generation == 0x01050000 || generation == 0x01060000)) {
      // The GPIO line page is read at every bit: keep it mapped.
      const uint32_t low = a->registers->GetBaseLow() + kGpioPage, high = a->registers->GetBaseHigh();
      if (!sdk.FindMemoryMap(low, high)) {
        auto* map = new CMemoryMap(low, high, kGpioPageSize);
        if (map->Map()) sdk.AddMemoryMap(map);
        else delete map;
      }
      auto* space = new NVIDIA_G80_I2CRegisterSpace(a->registers);
      sdk.AddRegisterSpace(space);
      a->directI2C = space;
    }
  }
  return any;
}

void NVIDIA_DirectIO_DisplayAPI::Report(std::string* out) {
  std::vector<CDisplayAdapter*> own;
  for (CDisplayAdapter* a : interface_->AdaptersOf(DISPLAY_VENDOR_NVIDIA)) {
    bool sdk = false;
    for (const CDisplayAdapter::APIEntry& e : a->apiEntries) sdk |= e.api->apiType == DISPLAYAPI_NVAPI;
    if (Serves(a) && !sdk) own.push_back(a);
  }
  if (!own.empty()) WriteGraphicsI2CReport(own, out);
}

bool NVIDIA_DirectIO_DisplayAPI::Reg(CDisplayAdapter* a, uint32_t offset, uint32_t* value) {
  *value = 0xFFFFFFFF;
  return Serves(a) && a->registers && a->registers->Read32(offset, value);
}

bool NVIDIA_DirectIO_DisplayAPI::GetTemperature(CDisplayAdapter* a, float* celsius) {
  if (!Serves(a) || !IsAnyOf(a->familyCode, {NV_FAMILY_G84, NV_FAMILY_G86, NV_FAMILY_G94, NV_FAMILY_G96,
                                              NV_FAMILY_GT216, NV_FAMILY_GT218}))
    return false;
  uint32_t v = 0;
  if (!Reg(a, 0x20400, &v)) return false;
  *celsius = static_cast<float>(v & 0xFF);
  return true;
}

float NVIDIA_DirectIO_DisplayAPI::CoreOrShaderMHz(uint32_t coefficient, uint32_t postDivider) {
  const uint32_t n = (coefficient >> 8) & 0xFF, m = coefficient & 0xFF;
  if (!m) return 0;
  const uint32_t khz = (n * 27000u / m) >> (postDivider & 7);
  return static_cast<float>(khz) * 4.0f / 1000.0f;
}

float NVIDIA_DirectIO_DisplayAPI::MemoryMHz(uint32_t control, uint32_t coefficient) {
  if (!(control & 0x80000000u)) return 100.0f;
  const uint32_t n = (coefficient >> 8) & 0xFF, m = coefficient & 0xFF;
  if (!m) return 0;
  const uint32_t khz = (n * 108000u / m) >> ((control >> 16) & 7);
  return static_cast<float>(khz) / 1000.0f;
}

// Core (clock select in 0xC040 bits 1:0, post divider in 0x4028) and shader
// (bits 5:4, post divider in 0x4020) PLLs take their coefficients from
// 0x4024 or 0x402C by the select. Another select has no coefficient: no
// answer then (a 0 MHz clock would be shown as if measured).
bool NVIDIA_DirectIO_DisplayAPI::PllClock(CDisplayAdapter* a, bool shader, float* mhz) {
  if (!Serves(a) || !HasG8xPlls(a->familyCode)) return false;
  uint32_t select = 0, post = 0;
  if (!Reg(a, 0xC040, &select) || !Reg(a, shader ? 0x4020 : 0x4028, &post)) return false;
  const uint32_t s = shader ? (select >> 4) & 3 : select & 3;
  uint32_t coefficientReg = 0;
  if (s == 2) coefficientReg = shader ? 0x402C : 0x4024;
  else if (s == 3) coefficientReg = shader ? 0x4024 : 0x402C;
  else return false;
  uint32_t coefficient = 0;
  if (!Reg(a, coefficientReg, &coefficient)) return false;
  const float f = CoreOrShaderMHz(coefficient, (post >> 16) & 7);
  if (!(f > 0)) return false;
  *mhz = f;
  return true;
}

uint32_t NVIDIA_DirectIO_DisplayAPI::FermiPll(CDisplayAdapter* a, uint32_t pll) {
  uint32_t control = 0, coefficient = 0;
  if (!Reg(a, pll, &control) || !Reg(a, pll + 4, &coefficient) || !(control & 1)) return 0;
  uint32_t p = (coefficient >> 16) & 0x3F;
  const uint32_t n = (coefficient >> 8) & 0xFF, m = coefficient & 0xFF;
  uint32_t reference = 0;
  if (pll == kFermiSpPll0 || pll == kFermiSpPll1) {
    reference = kFermiCrystalKhz;
    p = 1;  // the SP PLLs have no post divider
  } else if (pll == kFermiMemoryPll) {
    reference = FermiPll(a, kFermiMemorySourcePll);
  } else if (pll == kFermiMemorySourcePll) {
    reference = FermiDivider(a, 0, 0x137320, 0x137330);
  } else if (pll >= 0x137000 && pll <= 0x1370E0) {
    reference = FermiDivider(a, static_cast<int>((pll & 0xFF) / 0x20), 0x137120, 0x137140);
  }
  if (!m || !p) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(reference) * n / m / p);
}

// A divider path: crystal (108 MHz with bits 17:16 set), the 100 MHz host
// reference, or an SP PLL (bit 8 picks the second) through its divider.
uint32_t NVIDIA_DirectIO_DisplayAPI::FermiDivider(CDisplayAdapter* a, int index, uint32_t source, uint32_t control) {
  uint32_t src = 0, ctl = 0;
  const uint32_t offset = static_cast<uint32_t>(index) * 4;
  if (!Reg(a, source + offset, &src) || !Reg(a, control + offset, &ctl)) return 0;
  switch (src & 3) {
    case 0: return (src & 0x30000) == 0x30000 ? 108000 : kFermiCrystalKhz;
    case 2: return 100000;
    case 3: {
      const uint32_t vco = FermiPll(a, (src & 0x100) ? kFermiSpPll1 : kFermiSpPll0);
      return (ctl & 0x80000000u) ? vco * 2 / ((ctl & 0x3F) + 2) : vco;
    }
    default: return 0;
  }
}

uint32_t NVIDIA_DirectIO_DisplayAPI::FermiDomain(CDisplayAdapter* a, int index) {
  uint32_t final = 0, select = 0;
  if (!Reg(a, kFermiFinalDivider + static_cast<uint32_t>(index) * 4, &final) || !Reg(a, kFermiSourceSelect, &select))
    return 0;
  uint32_t source = 0, divider = 0;
  if (select & (1u << index)) {
    source = FermiPll(a, index < 7 ? 0x137000 + static_cast<uint32_t>(index) * 0x20 : 0x1370E0);
    divider = ((final >> 8) & 0x3F) + 2;
  } else {
    source = FermiDivider(a, index, 0x137160, 0x1371D0);
    divider = (final & 0x3F) + 2;
  }
  return (final & 0x80000000u) ? source * 2 / divider : source;
}

uint32_t NVIDIA_DirectIO_DisplayAPI::FermiMemory(CDisplayAdapter* a) {
  uint32_t select = 0;
  if (!Reg(a, kFermiMemorySelect, &select)) return 0;
  return (select & 2) ? FermiPll(a, kFermiMemoryPll) : FermiDivider(a, 0, 0x137300, 0x137310);
}

bool NVIDIA_DirectIO_DisplayAPI::GetCoreClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) {
  if (level != 0 || !Serves(a)) return false;
  if (IsFermi(a->familyCode)) {
    const uint32_t gpc = FermiDomain(a, kFermiGpcDomain);
    if (!gpc) return false;
    *mhz = static_cast<float>(gpc / 2) / 1000.0f;
  } else if (!PllClock(a, false, mhz)) {
    return false;
  }
  *min = *max = -1;
  return true;
}

bool NVIDIA_DirectIO_DisplayAPI::GetShaderClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) {
  if (level != 0 || !Serves(a)) return false;
  if (IsFermi(a->familyCode)) {
    const uint32_t gpc = FermiDomain(a, kFermiGpcDomain);
    if (!gpc) return false;
    *mhz = static_cast<float>(gpc) / 1000.0f;
  } else if (!PllClock(a, true, mhz)) {
    return false;
  }
  *min = *max = -1;
  return true;
}

bool NVIDIA_DirectIO_DisplayAPI::GetMemoryClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) {
  if (level != 0 || !Serves(a)) return false;
  if (IsFermi(a->familyCode)) {
    const uint32_t khz = FermiMemory(a);
    if (!khz) return false;
    *mhz = static_cast<float>(khz) / 1000.0f;
    *min = *max = -1;
    return true;
  }
  if (!HasG8xPlls(a->familyCode)) return false;
  uint32_t r4008 = 0, r400C = 0, r4018 = 0, r401C = 0;
  if (!Reg(a, 0x4008, &r4008) || !Reg(a, 0x400C, &r400C) || !Reg(a, 0x4018, &r4018) || !Reg(a, 0x401C, &r401C))
    return false;
  uint32_t control = r4008, coefficient = r400C;
  if (r4008 == 0x00004018 && r400C == r401C) {
    control = r4018;
    coefficient = r401C;
  }
  const float f = MemoryMHz(control, coefficient);
  if (!(f > 0)) return false;
  *mhz = f;
  *min = *max = -1;
  return true;
}

bool NVIDIA_DirectIO_DisplayAPI::GetMemoryType(CDisplayAdapter* a, int* code) {
  if (!Serves(a)) return false;
  const int f = a->familyCode;
  uint32_t v = 0;
  if (IsAnyOf(f, {0x01020000, 0x01030004})) {
    if (!Reg(a, 0x1218, &v)) return false;
    *code = ((v >> 8) & 3) == 3 ? GPUMEM_DDR2 : GPUMEM_DDR;
    return true;
  }
  if (IsAnyOf(f, {0x01040000, 0x01040003, 0x01040004, 0x01040070, 0x01040071, 0x01040072, 0x01040073})) {
    if (!Reg(a, 0x100474, &v)) return false;
    *code = (v & 4) ? GPUMEM_DDR3 : GPUMEM_DDR;
    return true;
  }
  const bool g80 = f == static_cast<int>(NV_FAMILY_G80);
  if (!g80 && !IsAnyOf(f, {NV_FAMILY_G84, NV_FAMILY_G86, NV_FAMILY_G92, NV_FAMILY_G94, NV_FAMILY_G96,
                           NV_FAMILY_GT200}))
    return false;
  if (!Reg(a, 0x100714, &v)) return false;
  switch (v & 3) {
    case 0: *code = GPUMEM_DDR; return true;
    case 1: *code = GPUMEM_DDR2; return true;
    case 3: *code = GPUMEM_GDDR4; return true;
    default: break;
  }
  uint32_t w = 0;
  if (g80) {
    if (!Reg(a, 0x100200, &w)) return false;
    *code = ((w >> 4) & 7) == 1 ? GPUMEM_DDR3 : GPUMEM_GDDR3;
  } else {
    if (!Reg(a, 0x100214, &w)) return false;
    *code = (w & 0xF) == 3 ? GPUMEM_DDR3 : GPUMEM_GDDR3;
  }
  return true;
}

bool NVIDIA_DirectIO_DisplayAPI::GetMemorySize(CDisplayAdapter* a, int* megabytes) {
  if (!Serves(a)) return false;
  const int f = a->familyCode;
  if (!IsAnyOf(f, {0x01030004, 0x01040000, 0x01040003, 0x01040004, 0x01040070, 0x01040071, 0x01040072, 0x01040073,
                   NV_FAMILY_G80, NV_FAMILY_G84, NV_FAMILY_G86, NV_FAMILY_G92, NV_FAMILY_G94, NV_FAMILY_G96,
                   NV_FAMILY_GT200}))
    return false;
  uint32_t v = 0;
  if (!Reg(a, 0x10020C, &v) || v == 0 || v == 0xFFFFFFFF) return false;
  *megabytes = static_cast<int>(v >> 20);
  return true;
}

bool NVIDIA_DirectIO_DisplayAPI::GetBusWidth(CDisplayAdapter* a, int* bits) {
  if (!Serves(a)) return false;
  const int f = a->familyCode;
  uint32_t v = 0;
  if (IsAnyOf(f, {0x01040000, 0x01040003, 0x01040070, 0x01040071, 0x01040072, 0x01040073})) {
    if (!Reg(a, 0x100200, &v)) return false;
    if ((v & 7) == 1) *bits = 128;
    else if ((v & 7) == 3) *bits = 256;
    else return false;
    return true;
  }
  int partitions = -1;
  if (IsAnyOf(f, {NV_FAMILY_G80, NV_FAMILY_G92, NV_FAMILY_GT200})) {
    if (!Reg(a, 0x1540, &v)) return false;
    partitions = std::popcount((v >> 16) & 0x7F) + ((v >> 23) & 1);
  } else if (IsAnyOf(f, {NV_FAMILY_G84, NV_FAMILY_G86, NV_FAMILY_G94, NV_FAMILY_G96})) {
    if (!Reg(a, 0x1540, &v)) return false;
    partitions = std::popcount((v >> 16) & 0x7) + ((v >> 19) & 1);
  } else {
    return false;
  }
  *bits = partitions * 64;
  return true;
}
