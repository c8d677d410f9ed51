// AMD family knowledge: K5 to K15. Every family object sets the APIC id and
// package topology; K7 and K8 read the FID/VID registers, K10 and later the
// P-state definitions, measure the core clock with performance counter 0
// and derive the reference clock from the time-stamp counter, which runs at
// the P0 frequency.
#pragma once

#include "sdk/cpu/VendorInfos.h"

struct NamingCase;

class K10_FIDVID_Control;

// The family object for the extended family of the AMD vendor probe; null
// for families without one (Am486/Am5x86 and unknown families).
CCPUInfos* MakeAmdFamilyInfos(int extFamily);

// Core clock in MHz from performance counter 0 counting unhalted core
// cycles, against the thread's time-stamp counter (calibrated on the ACPI
// timer first when needed); -1 when `timer` is not the ACPI timer or the
// counter cannot be programmed.
float MeasureAmdCounterClock(CCPUThread* t, CTimer* timer);

class AMD_K7_Infos : public CAmdFamilyInfos {
 public:
  AMD_K7_Infos() : CAmdFamilyInfos(0x02001000) {}
  void Probe(CCPUThread* t) override;
  void Classify(CCPUThread* t) override;
  float GetMultiplier(CCPUThread* t) override;
};

class AMD_K8_Infos : public CAmdFamilyInfos {
 public:
  AMD_K8_Infos() : CAmdFamilyInfos(0x02002000) {}
  void Probe(CCPUThread* t) override;
  void Classify(CCPUThread* t) override;
  float GetMultiplier(CCPUThread* t) override;
};

// Families 10h and 11h (11h with ratio base 8).
class AMD_K10_Infos : public CAmdFamilyInfos {
 public:
  AMD_K10_Infos() : CAmdFamilyInfos(0x02004000) {}
  void Probe(CCPUThread* t) override;
  void Classify(CCPUThread* t) override;
  float GetMultiplier(CCPUThread* t) override;
  float MeasureCoreClock(CCPUThread* t, CTimer* timer) override { return MeasureAmdCounterClock(t, timer); }
  float GetBusClock(CCPUThread* t) override;

  // P0 ratio and its nominal reference clock in MHz (the rated frequency is
  // their product).
  float p0Ratio = -1.0f;
  float referenceMHz = 200.0f;

 protected:
  AMD_K10_Infos(uint32_t code, float reference) : CAmdFamilyInfos(code), referenceMHz(reference) {}
  virtual K10_FIDVID_Control* MakeRatioControl(CCPUThread* t);
  virtual const NamingCase* NamingCases() const;
};

class AMD_K12_Infos : public AMD_K10_Infos {
 public:
  AMD_K12_Infos() : AMD_K10_Infos(0x02040000, 100.0f) {}
  // Family 12h: the time-stamp counter runs at P0, so the current clock is
  // the counter's rate scaled by the current over the P0 ratio.
  float MeasureCoreClock(CCPUThread* t, CTimer* timer) override;

 protected:
  K10_FIDVID_Control* MakeRatioControl(CCPUThread* t) override;
  const NamingCase* NamingCases() const override;
};

class AMD_K14_Infos : public AMD_K10_Infos {
 public:
  AMD_K14_Infos() : AMD_K10_Infos(0x02010000, 100.0f) {}

 protected:
  K10_FIDVID_Control* MakeRatioControl(CCPUThread* t) override;
  const NamingCase* NamingCases() const override;
};

class AMD_K15_Infos : public AMD_K10_Infos {
 public:
  AMD_K15_Infos() : AMD_K10_Infos(0x02020000, 200.0f) {}

 protected:
  K10_FIDVID_Control* MakeRatioControl(CCPUThread* t) override;
  const NamingCase* NamingCases() const override;
};

// Naming tables (AmdNaming.cpp).
extern const NamingCase* const kAmdK7Cases;
extern const NamingCase* const kAmdK8Cases;
extern const NamingCase* const kAmdK10Cases;
extern const NamingCase* const kAmdK12Cases;
extern const NamingCase* const kAmdK14Cases;
extern const NamingCase* const kAmdK15Cases;
