#include "sdk/cpu/VendorInfos.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/Machine.h"
#include "sdk/cpu/AmdFamilies.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/IntelFamilies.h"
#include "sdk/cpu/Leaf2Descriptors.h"
#include "sdk/cpu/MSR_Register.h"
#include "sdk/cpu/ViaFamilies.h"

namespace {

uint32_t Bits(uint32_t v, int last, int first) { return (v >> first) & ((last - first >= 31) ? ~0u : ((1u << (last - first + 1)) - 1)); }

void ReadBrand(CCPUThread* t, bool trim) {
  char brand[49] = {};
  for (uint32_t i = 0; i < 3; ++i) {
    plat::CpuidRegs r = plat::CurrentMachine().Cpuid(0x80000002 + i, 0);
    std::memcpy(brand + i * 16, &r.eax, 4);
    std::memcpy(brand + i * 16 + 4, &r.ebx, 4);
    std::memcpy(brand + i * 16 + 8, &r.ecx, 4);
    std::memcpy(brand + i * 16 + 12, &r.edx, 4);
  }
  const char* p = brand;
  if (trim)
    while (*p == ' ') ++p;
  std::snprintf(t->specification, sizeof(t->specification), "%s", p);
}

}  // namespace

bool ReadExtendedTopology(CCPUThread* t) {
  plat::Machine& m = plat::CurrentMachine();
  // Leaf 0x1F supersedes 0xB where it is implemented (arch/x86/kernel/cpu/
  // topology_ext.c): subleaf 0 must report processors at a known level.
  for (uint32_t leaf : {0x1Fu, 0xBu}) {
    if (t->maxStandardLeaf < leaf) continue;
    plat::CpuidRegs first = m.Cpuid(leaf, 0);
    if (Bits(first.ebx, 15, 0) == 0 || Bits(first.ecx, 15, 8) == 0) continue;
    int smt = -1, pkg = -1;
    for (uint32_t sub = 0; sub < 8; ++sub) {
      plat::CpuidRegs r = m.Cpuid(leaf, sub);
      const uint32_t type = Bits(r.ecx, 15, 8);
      if (type == 0) break;
      const int shift = static_cast<int>(Bits(r.eax, 4, 0));
      if (type == 1) smt = shift;
      pkg = shift;  // the last level's shift reaches the package
    }
    if (pkg < 0) continue;
    t->smtShift = smt < 0 ? 0 : smt;
    t->packageShift = pkg < t->smtShift ? t->smtShift : pkg;
    t->apicId = static_cast<int>(first.edx);
    return true;
  }
  return false;
}

int AssociativityFromCode(int code, bool amd) {
  switch (code) {
    case 1: return 1;
    case 2: return 2;
    case 4: return 4;
    case 6: return 8;
    case 8: return 16;
    case 15: return 255;
    default: break;
  }
  if (amd) {
    switch (code) {
      case 10: return 32;
      case 11: return 48;
      case 12: return 64;
      case 13: return 96;
      case 14: return 128;
      default: break;
    }
  }
  return -1;
}

void WalkCacheLeaf(CCPUThread* t, uint32_t leaf) {
  for (uint32_t sub = 0; sub < 64; ++sub) {
    plat::CpuidRegs r = plat::CurrentMachine().Cpuid(leaf, sub);
    int type = static_cast<int>(Bits(r.eax, 4, 0));
    if (type == 0) break;
    int level = static_cast<int>(Bits(r.eax, 7, 5));
    CCacheDescriptor* c = t->FindCache(level, type);
    if (!c) c = t->AddCache(level, type);
    c->sharing = static_cast<int>(Bits(r.eax, 25, 14)) + 1;
    c->lineSize = static_cast<int>(Bits(r.ebx, 11, 0)) + 1;
    c->partitions = static_cast<int>(Bits(r.ebx, 21, 12)) + 1;
    c->ways = (r.eax & 0x200) ? 255 : static_cast<int>(Bits(r.ebx, 31, 22)) + 1;
    // ECX + 1 sets can exceed an int, and the product of all four a 64-bit
    // signed value: both are computed unsigned and capped.
    const uint64_t sets = static_cast<uint64_t>(r.ecx) + 1;
    c->sets = static_cast<int>(std::min<uint64_t>(sets, INT_MAX));
    const uint64_t bytes = static_cast<uint64_t>(c->ways) * sets * static_cast<uint64_t>(c->partitions) *
                           static_cast<uint64_t>(c->lineSize);
    c->sizeKB = static_cast<int>(std::min<uint64_t>(bytes / 1024, INT_MAX));
  }
}

// ------------------------------------------------------------------ Intel

void Intel_CPU_Infos::WalkLeaf4(CCPUThread* t) {
  plat::CpuidRegs r = plat::CurrentMachine().Cpuid(4, 0);
  t->coresPerPackage = static_cast<int>(Bits(r.eax, 31, 26)) + 1;
  WalkCacheLeaf(t, 4);
}

void Intel_CPU_Infos::Probe(CCPUThread* t) {
  plat::Machine& m = plat::CurrentMachine();
  plat::CpuidRegs r = m.Cpuid(1, 0);
  t->extFamily = static_cast<int>(Bits(r.eax, 27, 20)) * 16 + t->family;
  t->extModel = static_cast<int>(Bits(r.eax, 19, 16)) * 16 + t->model;
  t->brandId = static_cast<int>(Bits(r.ebx, 7, 0));
  t->virtualization = static_cast<int>(Bits(r.ecx, 5, 5));
  t->hyperThreading = static_cast<int>(Bits(r.edx, 28, 28));
  if (t->hyperThreading) {
    t->logicalPerPackage = static_cast<int>(Bits(r.ebx, 23, 16));
    t->apicId = static_cast<int>(Bits(r.ebx, 31, 24));
  }
  processorType = static_cast<int>(Bits(r.eax, 13, 12));
  enhancedSpeedStep = static_cast<int>(Bits(r.ecx, 7, 7));
  smx = static_cast<int>(Bits(r.ecx, 6, 6));

  if (t->maxStandardLeaf >= 4) {
    WalkLeaf4(t);
  } else if ((t->family == 15 && t->extFamily == 15 && t->model > 3) ||
             (t->family == 6 && t->extFamily == 6 && t->extModel > 13)) {
    // The firmware may have limited the reported leaves (IA32_MISC_ENABLE bit 22).
    MSR_Register* misc = t->ReadMSR(0x1A0);
    if (misc && (misc->low & (1u << 22)) && misc->SetBit(22, false)) {
      uint32_t maxLeaf = m.Cpuid(0, 0).eax;
      if (maxLeaf > 3) WalkLeaf4(t);
      misc->SetBit(22, true);
    }
  }
  if (t->maxStandardLeaf > 5) {
    r = m.Cpuid(6, 0);
    digitalThermalSensor = static_cast<int>(r.eax & 1);
    hardwareFeedback = static_cast<int>(r.ecx & 1);
  }
  ReadExtendedTopology(t);
  if (t->maxStandardLeaf > 10 && m.Cpuid(11, 0).ebx != 0) {
    int threadsPerCore = 0;
    for (uint32_t sub = 0; sub < 16; ++sub) {
      r = m.Cpuid(11, sub);
      if (r.ebx == 0) break;
      uint32_t levelType = Bits(r.ecx, 15, 8);
      if (levelType == 1) threadsPerCore = static_cast<int>(Bits(r.ebx, 15, 0));
      if (levelType == 2) topologyLogical = static_cast<int>(Bits(r.ebx, 15, 0));
    }
    if (threadsPerCore > 0 && topologyLogical > 0) topologyCores = topologyLogical / threadsPerCore;
  }
  if (t->maxExtendedLeaf > 0x80000003u) ReadBrand(t, true);
  if (t->maxExtendedLeaf > 0x80000005u) {
    r = m.Cpuid(0x80000006, 0);
    if (r.ecx > 0xFFFF && !t->FindCache(2, CACHE_UNIFIED)) {
      CCacheDescriptor* c = t->AddCache(2, CACHE_UNIFIED);
      c->sizeKB = static_cast<int>(Bits(r.ecx, 31, 16));
      c->lineSize = static_cast<int>(Bits(r.ecx, 7, 0));
      c->sharing = t->coresPerPackage > 0 ? t->logicalPerPackage / t->coresPerPackage : 1;
      c->ways = AssociativityFromCode(static_cast<int>(Bits(r.ecx, 15, 12)), false);
    }
  }
  if (t->extFamily > 5) {
    MSR_Register sign(0x8B);
    if (sign.Write(0, 0)) {
      m.Cpuid(1, 0);
      if (sign.Read()) t->microcode = static_cast<int>(sign.high);
    }
  }
}

void Intel_CPU_Infos::ReadCaches(CCPUThread* t) {
  if (t->maxStandardLeaf < 2) return;
  plat::CpuidRegs r = plat::CurrentMachine().Cpuid(2, 0);
  int rounds = static_cast<int>(r.eax & 0xFF);
  for (int i = 1; i < rounds; ++i) r = plat::CurrentMachine().Cpuid(2, 0);
  for (uint32_t reg : {r.ebx, r.ecx, r.edx}) {
    if (reg & 0x80000000u) continue;
    const uint8_t bytes[4] = {static_cast<uint8_t>((reg >> 24) & 0x7F), static_cast<uint8_t>(reg >> 16),
                              static_cast<uint8_t>(reg >> 8), static_cast<uint8_t>(reg)};
    for (uint8_t b : bytes) {
      const Leaf2Descriptor* d = FindLeaf2Descriptor(b);
      if (!d || t->FindCache(d->level, d->type)) continue;
      CCacheDescriptor* c = t->AddCache(d->level, d->type);
      c->sizeKB = d->sizeKB;
      c->ways = d->ways;
      c->lineSize = d->lineSize;
      c->descriptorByte = static_cast<int8_t>(b);
    }
  }
}

void Intel_CPU_Infos::Classify(CCPUThread* t) { ClassifyIntelFamily(t); }

// ------------------------------------------------------------------ AMD

void ApplyAmdTopology(CCPUThread* t, bool limitLogicalToCores) {
  plat::Machine& m = plat::CurrentMachine();
  plat::CpuidRegs r = m.Cpuid(1, 0);
  t->apicId = static_cast<int>(Bits(r.ebx, 31, 24));
  t->hyperThreading = static_cast<int>(Bits(r.edx, 28, 28));
  if (t->hyperThreading) t->logicalPerPackage = static_cast<int>(Bits(r.ebx, 23, 16));
  if (t->maxExtendedLeaf >= 0x80000008u) {
    t->coresPerPackage = static_cast<int>(Bits(m.Cpuid(0x80000008, 0).ecx, 7, 0)) + 1;
    if (limitLogicalToCores && t->logicalPerPackage > t->coresPerPackage) t->logicalPerPackage = t->coresPerPackage;
  }
  // The kernel's order for AMD (arch/x86/kernel/cpu/topology_amd.c): the
  // extended topology leaves when the part has topology extensions, else
  // the core field of 0x80000008 (ApicIdSize, or the core count rounded
  // up); then 0x8000001E for the extended APIC id and the threads per core.
  const bool topoext = t->maxExtendedLeaf > 0x80000000u && (t->extFeaturesECX & (1u << 22)) &&
                       t->extFeaturesECX != 0xFFFFFFFFu;
  const bool extended = topoext && ReadExtendedTopology(t);
  if (!extended && t->maxExtendedLeaf >= 0x80000008u) {
    const uint32_t ecx = m.Cpuid(0x80000008, 0).ecx;
    int shift = static_cast<int>(Bits(ecx, 15, 12));
    if (shift == 0) shift = CeilLog2(static_cast<int>(Bits(ecx, 7, 0)) + 1);
    t->smtShift = 0;
    t->packageShift = shift;
  }
  if (topoext && t->maxExtendedLeaf >= 0x8000001Eu) {
    plat::CpuidRegs e = m.Cpuid(0x8000001E, 0);
    // Some hypervisors advertise the extensions and answer the leaf with zeros.
    if (e.eax | e.ebx | e.ecx) {
      t->apicId = static_cast<int>(e.eax);
      if (!extended) t->smtShift = CeilLog2(static_cast<int>(Bits(e.ebx, 15, 8)) + 1);
      if (t->packageShift < t->smtShift) t->packageShift = t->smtShift;
    }
  }
  // Caches the deterministic leaf 0x8000001D did not describe (older parts,
  // or hypervisors that answer it with zeros) come from 0x80000005/6: the
  // level-3 cache is the package's one shared cache, the others belong to
  // one core and its SMT threads.
  for (CCacheDescriptor* c : Items(t->caches)) {
    if (c->sets != -1 || c->sharing > 1) continue;
    if (c->level == 3) {
      int package = t->logicalPerPackage;
      const bool shiftWider = t->packageShift > 0 && t->packageShift < 16 && (1 << t->packageShift) > package;
      if (shiftWider) package = 1 << t->packageShift;
      c->sharing = package > 1 ? package : 1;
    } else if (t->smtShift > 0 && t->smtShift < 16) {
      c->sharing = 1 << t->smtShift;
    }
  }
}

void AMD_CPU_Infos::Probe(CCPUThread* t) {
  plat::Machine& m = plat::CurrentMachine();
  if (t->maxExtendedLeaf > 0x80000000u) {
    plat::CpuidRegs r = m.Cpuid(0x80000001, 0);
    t->extFamily = static_cast<int>(Bits(r.eax, 27, 20) + Bits(r.eax, 11, 8));
    t->extModel = static_cast<int>((Bits(r.eax, 19, 16) * 16) | Bits(r.eax, 7, 4));
    t->virtualization = static_cast<int>(Bits(r.ecx, 2, 2));
  }
  if (t->maxExtendedLeaf > 0x80000003u) ReadBrand(t, false);
  if (t->maxExtendedLeaf > 0x8000001Cu) WalkCacheLeaf(t, 0x8000001D);
  if (t->maxExtendedLeaf >= 0x8000001Eu) t->computeUnitId = static_cast<int>(m.Cpuid(0x8000001E, 0).ebx & 0xFF);
}

void AMD_CPU_Infos::ReadCaches(CCPUThread* t) {
  const bool hadLevel2 = t->FindCache(2, CACHE_UNIFIED) != nullptr;
  ReadExtendedCacheLeaves(t);
  // Duron (Spitfire) A0 reports 1 KB of level-2 cache in leaf 0x80000006.
  CCacheDescriptor* l2 = t->FindCache(2, CACHE_UNIFIED);
  if (!hadLevel2 && l2 && t->family == 6 && t->model == 3 && t->stepping == 0) l2->sizeKB = 64;
}

void ReadExtendedCacheLeaves(CCPUThread* t) {
  plat::Machine& m = plat::CurrentMachine();
  if (t->maxExtendedLeaf > 0x80000004u) {
    plat::CpuidRegs r = m.Cpuid(0x80000005, 0);
    auto level1 = [t](uint32_t reg, int type) {
      if (reg <= 0xFFFFFF || t->FindCache(1, type)) return;
      CCacheDescriptor* c = t->AddCache(1, type);
      c->sizeKB = static_cast<int>(Bits(reg, 31, 24));
      uint32_t assoc = Bits(reg, 23, 16);
      c->ways = assoc == 0xFF ? 255 : static_cast<int>(assoc);
      c->lineSize = static_cast<int>(Bits(reg, 7, 0));
    };
    level1(r.edx, CACHE_INSTRUCTION);
    level1(r.ecx, CACHE_DATA);
  }
  if (t->maxExtendedLeaf >= 0x80000006u) {
    plat::CpuidRegs r = m.Cpuid(0x80000006, 0);
    if (r.ecx > 0xFFFF && !t->FindCache(2, CACHE_UNIFIED)) {
      CCacheDescriptor* c = t->AddCache(2, CACHE_UNIFIED);
      c->sizeKB = static_cast<int>(Bits(r.ecx, 31, 16));
      c->lineSize = static_cast<int>(Bits(r.ecx, 7, 0));
      c->ways = AssociativityFromCode(static_cast<int>(Bits(r.ecx, 15, 12)), true);
    }
    if (r.edx >= 0x40000 && !t->FindCache(3, CACHE_UNIFIED)) {
      CCacheDescriptor* c = t->AddCache(3, CACHE_UNIFIED);
      c->sizeKB = static_cast<int>(Bits(r.edx, 31, 18)) * 512;
      c->lineSize = static_cast<int>(Bits(r.edx, 7, 0));
      c->ways = AssociativityFromCode(static_cast<int>(Bits(r.edx, 15, 12)), true);
    }
  }
}

void AMD_CPU_Infos::Classify(CCPUThread* t) {
  struct Row {
    int extFamily;
    const char* name;
    uint32_t code;
  };
  static const Row kFamilies[] = {
      {4, "Am486 or Am5x86", CPU_AMD_486}, {5, "AMD K5", CPU_AMD_K5},   {6, "AMD K6", CPU_AMD_K6},
      {7, "AMD K7", CPU_AMD_K7},           {15, "AMD K8", CPU_AMD_K8},  {16, "AMD K10", CPU_AMD_K10},
      {17, "AMD K10", CPU_AMD_K10},        {18, "AMD K12", CPU_AMD_K12}, {20, "AMD K14", CPU_AMD_K14},
      {21, "AMD K15", CPU_AMD_K15},
  };
  for (const Row& row : kFamilies) {
    if (row.extFamily != t->extFamily) continue;
    std::snprintf(t->name, sizeof(t->name), "%s", row.name);
    if (row.code == CPU_AMD_486) {
      t->typeCode = row.code;
      static const struct { int model; const char* name; } k486[] = {
          {8, "AMD Am486DX4-WT"}, {9, "AMD Am486DX4-WB"}, {14, "AMD Am5x86-WT"}, {15, "AMD Am5x86-WB"}};
      for (const auto& m : k486)
        if (m.model == t->model) std::snprintf(t->name, sizeof(t->name), "%s", m.name);
      return;
    }
    t->AttachFamilyInfos(MakeAmdFamilyInfos(t->extFamily));
    return;
  }
  // Later families have no family object; their topology reads the same way.
  ApplyAmdTopology(t, false);
}

// ------------------------------------------------------------------ VIA

void VIA_CPU_Infos::Probe(CCPUThread* t) {
  if (t->maxStandardLeaf >= 1) {
    const plat::CpuidRegs r = plat::CurrentMachine().Cpuid(1, 0);
    t->extFamily = static_cast<int>(Bits(r.eax, 27, 20)) * 16 + t->family;
    t->extModel = static_cast<int>(Bits(r.eax, 19, 16)) * 16 + t->model;
    t->brandId = static_cast<int>(Bits(r.ebx, 7, 0));
    t->virtualization = static_cast<int>(Bits(r.ecx, 5, 5));
  }
  if (t->maxExtendedLeaf > 0x80000003u) ReadBrand(t, true);
}

void VIA_CPU_Infos::Classify(CCPUThread* t) { ClassifyViaFamily(t); }
