// Intel family knowledge: the ratio controls of Netburst, Pentium M, Core
// and Atom; clocks, temperatures, power and naming of the generations the
// vendor's boards carry (Core 2, Nehalem, Sandy Bridge and Haswell).
#pragma once

#include <cstdint>

#include "sdk/cpu/CCPUInfos.h"

class CACPITimer;

// Chooses and attaches the Intel family object by extended family and model.
void ClassifyIntelFamily(CCPUThread* t);

// The time-stamp counter frequency in MHz measured by the driver against the
// ACPI timer; -1 without timer or driver.
float MeasureTSC();
// Core clock from the fixed-function counters (unhalted core and reference
// cycles) over about 4.2 ms of ACPI timer; -1 without the ACPI timer.
float MeasureFixedCounterClock(CCPUThread* t);

// The fixed-counter measurement in two halves, so that the cores of a
// refresh share one wait: Begin on the pinned logical processor enables the
// counters and takes the start readings, End (pinned to it again) takes the
// end readings and restores the control registers.
struct FixedCounterWindow {
  uint32_t globalHigh = 0, globalLow = 0, fixedHigh = 0, fixedLow = 0;
  double core0 = 0, reference0 = 0;
  bool open = false;
};
bool BeginFixedCounterWindow(FixedCounterWindow* w);
float EndFixedCounterWindow(FixedCounterWindow* w, float tscMHz);
// Busy-waits the window length (15000 ACPI timer ticks); false without timer.
bool WaitFixedCounterWindow();

// Within one refresh the time-stamp counter frequency is measured once: the
// refresh opens a scope, MeasureTSC keeps its first answer until it closes.
void BeginTscScope();
void EndTscScope();

// Digital thermal sensor reading shared by the families: creates the sensor
// on first use, returns TjMax - reading or -1.
float ReadThermalStatus(CCPUThread* t, uint32_t msr, float tjMax, int index, const char* name, bool package);

class Intel_Netburst_Infos : public CSpeedStepFamilyInfos {
 public:
  Intel_Netburst_Infos() : CSpeedStepFamilyInfos(0x01001000) {}

 protected:
  FIDVID_Control* MakeRatioControl(CCPUThread* t) override;
};

// Pentium M.
class Intel_Mobile_Infos : public CSpeedStepFamilyInfos {
 public:
  Intel_Mobile_Infos() : CSpeedStepFamilyInfos(0x01002000) {}

 protected:
  FIDVID_Control* MakeRatioControl(CCPUThread* t) override;
};

// Core (Yonah).
class Intel_Core_Infos : public CSpeedStepFamilyInfos {
 public:
  Intel_Core_Infos() : CSpeedStepFamilyInfos(0x01004000) {}

 protected:
  FIDVID_Control* MakeRatioControl(CCPUThread* t) override;
};

// Atom: the Core 2 status layout with the mobile VID coding; the bus clock
// is the time-stamp counter over the highest ratio.
class Intel_Atom_Infos : public CSpeedStepFamilyInfos {
 public:
  Intel_Atom_Infos() : CSpeedStepFamilyInfos(0x01010000) {}
  void Probe(CCPUThread* t) override;
  float GetBusClock(CCPUThread* t) override;

 protected:
  FIDVID_Control* MakeRatioControl(CCPUThread* t) override;
};

class Intel_Core_2_Infos : public CCPUInfos {
 public:
  Intel_Core_2_Infos() : CCPUInfos(INFOS_FAMILY, 0x01008000) { fixedCounterClock = true; }
  void Probe(CCPUThread* t) override;
  void Classify(CCPUThread* t) override;
  float GetMultiplier(CCPUThread* t) override;
  float GetTemperature(CCPUThread* t) override;
  float MeasureCoreClock(CCPUThread* t, CTimer*) override { return MeasureFixedCounterClock(t); }
  float GetBusClock(CCPUThread* t) override;
  float TjMax(CCPUThread* t);
};

class Intel_Nehalem_Infos : public CCPUInfos {
 public:
  Intel_Nehalem_Infos() : CCPUInfos(INFOS_FAMILY, 0x01020000) { fixedCounterClock = true; }
  void Probe(CCPUThread* t) override;
  void Classify(CCPUThread* t) override;
  float GetMultiplier(CCPUThread* t) override;
  float GetTemperature(CCPUThread* t) override;
  float UpdatePackageSensors(CCPUThread* t) override;
  float MeasureCoreClock(CCPUThread* t, CTimer*) override { return MeasureFixedCounterClock(t); }
  float GetBusClock(CCPUThread* t) override;

  int nonTurboRatio = -1;
  int unlocked = 0;
  int tdpLimit = -1;  // W
  int tdcLimit = -1;  // A

 protected:
  explicit Intel_Nehalem_Infos(uint32_t code) : CCPUInfos(INFOS_FAMILY, code) { fixedCounterClock = true; }
  void ProbeCommon(CCPUThread* t);
  // The rated frequency from the brand string; when it names none, the bus
  // clock (or the nominal clock of the platform's `busCode`) times the
  // maximum non-turbo ratio.
  void FindRatedFrequency(CCPUThread* t, const struct RatedFrequencyRow* rows, int busCode);
};

class Intel_Sandy_Bridge_Infos : public Intel_Nehalem_Infos {
 public:
  Intel_Sandy_Bridge_Infos() : Intel_Nehalem_Infos(0x01020100) {}
  void Probe(CCPUThread* t) override;
  void Classify(CCPUThread* t) override;
  float GetMultiplier(CCPUThread* t) override;
  float GetTemperature(CCPUThread* t) override;
  float UpdatePackageSensors(CCPUThread* t) override;

 protected:
  explicit Intel_Sandy_Bridge_Infos(uint32_t code) : Intel_Nehalem_Infos(code) {}
};

class Intel_Haswell_Infos : public Intel_Sandy_Bridge_Infos {
 public:
  Intel_Haswell_Infos() : Intel_Sandy_Bridge_Infos(0x01020200) {}
  void Classify(CCPUThread* t) override;
};

// The bus speed code of MSR_FSB_FREQ (0xCD) bits 2:0 on Core 2 and Atom
// (Intel SDM, the model-specific register tables of both); -1 when the
// register cannot be read or the code names no listed bus.
int FsbBusCode(CCPUThread* t);

// One row of a brand-string frequency search.
struct RatedFrequencyRow {
  const char* mhzText;  // null ends the table
  const char* ghzText;
  int mhz;
};

// Energy counter bookkeeping, process-wide, one pair per register.
struct EnergySample {
  double energy = -1.0;
  double hpet = -1.0;
};
// Power in W from an energy counter against the HPET; -1 on the first call
// or without the HPET.
float EnergyCounterPower(uint32_t msr, uint32_t registerValue, EnergySample& previous);
void ResetEnergySamples();
