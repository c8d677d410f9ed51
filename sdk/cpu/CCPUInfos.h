// Knowledge about a vendor (level 1), a processor family (level 2) or a
// model (level 3): what the identification leaves alone do not tell, and
// each family's way to read multiplier, temperature, power and clocks.
#pragma once

#include <cstdint>

class CCPUThread;
class CTimer;
class FIDVID_Control;

enum InfosLevel : int { INFOS_VENDOR = 1, INFOS_FAMILY = 2, INFOS_MODEL = 3 };

class CCPUInfos {
 public:
  CCPUInfos(int lvl, uint32_t code) : level(lvl), typeCode(code) {}
  virtual void ApplyFamilySettings() {}
  virtual void ReadCaches(CCPUThread*) {}
  virtual void Probe(CCPUThread*) {}
  virtual void Classify(CCPUThread*) {}
  virtual float GetMultiplier(CCPUThread*) { return -1.0f; }
  virtual float GetTemperature(CCPUThread*) { return -1.0f; }
  virtual float UpdatePackageSensors(CCPUThread*) { return -1.0f; }
  virtual float MeasureCoreClock(CCPUThread*, CTimer*) { return -1.0f; }
  virtual float GetBusClock(CCPUThread*) { return -1.0f; }
  virtual ~CCPUInfos();

  // Takes `control` as the ratio control (owned) and, when its first
  // refresh succeeds, the thread's maximum and minimum ratio from it.
  void AdoptRatioControl(CCPUThread* t, FIDVID_Control* control);
  // The control's current ratio, also kept as the thread's `currentRatio`;
  // -1 without a control or when its status cannot be read.
  float RefreshedRatio(CCPUThread* t);

  int level;
  uint32_t typeCode;
  FIDVID_Control* ratioControl = nullptr;  // owned
  // MeasureCoreClock is the fixed-counter measurement, which a refresh can
  // split into start readings, one shared wait and end readings.
  bool fixedCounterClock = false;
};

// Families whose ratio knowledge is their IA32_PERF_STATUS layout (Intel
// Netburst, Pentium M, Core, Atom; VIA C7 and Nano): the control is attached
// in Probe when the part reports enhanced SpeedStep (leaf 1 ECX bit 7),
// without which the status register does not exist, and the multiplier is
// its current ratio.
class CSpeedStepFamilyInfos : public CCPUInfos {
 public:
  void Probe(CCPUThread* t) override;
  float GetMultiplier(CCPUThread* t) override { return RefreshedRatio(t); }

 protected:
  explicit CSpeedStepFamilyInfos(uint32_t code) : CCPUInfos(INFOS_FAMILY, code) {}
  virtual FIDVID_Control* MakeRatioControl(CCPUThread* t) = 0;
};

// A family the program names but has no special knowledge of.
class CPlainFamilyInfos : public CCPUInfos {
 public:
  explicit CPlainFamilyInfos(uint32_t code) : CCPUInfos(INFOS_FAMILY, code) {}
};
