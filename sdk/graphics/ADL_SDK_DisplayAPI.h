// AMD's driver interface. On this platform it is the amdgpu kernel
// driver's attribute files of the adapter's PCI function: the hardware
// monitor's temp1_input (millidegrees) and in0_input (millivolts, the GPU
// core supply) and gpu_busy_percent. Adapters without those files are not
// served; with none served Init is false and the backend is dropped.
#pragma once

#include <string>

#include "sdk/graphics/CDisplayAPI.h"

class CDisplayInterface;

class ADL_SDK_DisplayAPI : public CDisplayAPI {
 public:
  explicit ADL_SDK_DisplayAPI(CDisplayInterface* owner);
  bool Init() override;
  bool ReportName(std::string* out) override;
  bool GetTemperature(CDisplayAdapter* a, float* celsius) override;
  bool GetLoad(CDisplayAdapter* a, int* percent) override;
  bool GetVoltage(CDisplayAdapter* a, float* volts) override;

 private:
  // The attribute as a whole number; false when absent or not a number.
  bool Attribute(CDisplayAdapter* a, const char* name, long* value);

  CDisplayInterface* interface_;
};
