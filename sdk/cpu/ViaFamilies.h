// VIA (Centaur) family knowledge: the C7 (Esther) and Nano (Isaiah) cores,
// their IA32_PERF_STATUS ratio controls and names.
#pragma once

#include "sdk/cpu/CCPUInfos.h"

// Chooses and attaches the VIA family object by family and model.
void ClassifyViaFamily(CCPUThread* t);

class VIA_C7_Infos : public CSpeedStepFamilyInfos {
 public:
  VIA_C7_Infos() : CSpeedStepFamilyInfos(0x08001000) {}
  void Classify(CCPUThread* t) override;

 protected:
  FIDVID_Control* MakeRatioControl(CCPUThread* t) override;
};

class VIA_CNA_Infos : public CSpeedStepFamilyInfos {
 public:
  VIA_CNA_Infos() : CSpeedStepFamilyInfos(0x08002000) {}
  void Classify(CCPUThread* t) override;

 protected:
  FIDVID_Control* MakeRatioControl(CCPUThread* t) override;
};
