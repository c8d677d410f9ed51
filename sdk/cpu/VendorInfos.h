// Vendor-level knowledge: what the identification leaves of one maker mean,
// and which family object to attach.
#pragma once

#include "sdk/cpu/CCPUInfos.h"

// The level-1 caches of leaf 0x80000005 and the level-2 and level-3 caches
// of leaf 0x80000006 that the thread does not have yet (AMD, VIA).
void ReadExtendedCacheLeaves(CCPUThread* t);

class CPlainVendorInfos : public CCPUInfos {
 public:
  explicit CPlainVendorInfos(uint32_t code) : CCPUInfos(INFOS_VENDOR, code) {}
};

class Intel_CPU_Infos : public CCPUInfos {
 public:
  Intel_CPU_Infos() : CCPUInfos(INFOS_VENDOR, 0x01000000) {}
  void Probe(CCPUThread* t) override;
  void ReadCaches(CCPUThread* t) override;
  void Classify(CCPUThread* t) override;

  // Kept for the family level.
  int processorType = -1;         // leaf 1 EAX bits 13:12
  int enhancedSpeedStep = 0;      // leaf 1 ECX bit 7
  int smx = 0;                    // leaf 1 ECX bit 6
  int digitalThermalSensor = 0;   // leaf 6 EAX bit 0
  int hardwareFeedback = 0;       // leaf 6 ECX bit 0
  int topologyLogical = -1;       // leaf 11 logical processors per package
  int topologyCores = -1;         // leaf 11 logical / threads per core

 private:
  void WalkLeaf4(CCPUThread* t);
};

class AMD_CPU_Infos : public CCPUInfos {
 public:
  AMD_CPU_Infos() : CCPUInfos(INFOS_VENDOR, 0x02000000) {}
  void Probe(CCPUThread* t) override;
  void ReadCaches(CCPUThread* t) override;
  void Classify(CCPUThread* t) override;
};

// Centaur (VIA): signature, brand string, the extended cache leaves; the
// family object by family and model.
class VIA_CPU_Infos : public CCPUInfos {
 public:
  VIA_CPU_Infos() : CCPUInfos(INFOS_VENDOR, 0x08000000) {}
  void Probe(CCPUThread* t) override;
  void ReadCaches(CCPUThread* t) override { ReadExtendedCacheLeaves(t); }
  void Classify(CCPUThread* t) override;
};

// Leaf 0x1F, else 0xB: the x2APIC id and the SMT and package shifts of `t`.
// False when neither leaf describes a topology.
bool ReadExtendedTopology(CCPUThread* t);

// The APIC id and package topology every AMD family object sets.
void ApplyAmdTopology(CCPUThread* t, bool limitLogicalToCores);

// AMD family object (K5 to K15) with the common topology.
class CAmdFamilyInfos : public CCPUInfos {
 public:
  explicit CAmdFamilyInfos(uint32_t code) : CCPUInfos(INFOS_FAMILY, code) {}
  void Probe(CCPUThread* t) override { ApplyAmdTopology(t, typeCode == 0x02002000); }
};

// Walks the deterministic cache leaf (4 on Intel, 0x8000001D on AMD).
void WalkCacheLeaf(CCPUThread* t, uint32_t leaf);
// Maps the associativity code of leaf 0x80000006 to ways; -1 when unknown.
int AssociativityFromCode(int code, bool amd);
