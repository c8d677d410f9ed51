#include "sdk/graphics/ADL_SDK_DisplayAPI.h"

#include <cerrno>
#include <cstdlib>

#include "platform/Machine.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"

ADL_SDK_DisplayAPI::ADL_SDK_DisplayAPI(CDisplayInterface* owner)
    : CDisplayAPI(DISPLAYAPI_ADL, "AMD ADL"), interface_(owner) {}

bool ADL_SDK_DisplayAPI::ReportName(std::string* out) {
  if (!out) return false;
  *out += "ADL SDK\n";
  return true;
}

bool ADL_SDK_DisplayAPI::Init() {
  bool any = false;
  int handle = 0;
  for (CDisplayAdapter* a : interface_->AdaptersOf(DISPLAY_VENDOR_ATI)) {
    const CPCIDevice* p = a->PciDevice();
    std::string text;
    if (!p) continue;
    plat::Machine& m = plat::CurrentMachine();
    if (!m.GraphicsAttribute(p->bus, p->device, p->function, "hwmon/temp1_input", &text) &&
        !m.GraphicsAttribute(p->bus, p->device, p->function, "gpu_busy_percent", &text))
      continue;
    a->AddAPI(this, handle++);
    any = true;
  }
  return any;
}

bool ADL_SDK_DisplayAPI::Attribute(CDisplayAdapter* a, const char* name, long* value) {
  const CPCIDevice* p = a ? a->PciDevice() : nullptr;
  std::string text;
  if (!p || !Serves(a) || !plat::CurrentMachine().GraphicsAttribute(p->bus, p->device, p->function, name, &text))
    return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno || end == text.c_str() || *end) return false;
  *value = v;
  return true;
}

bool ADL_SDK_DisplayAPI::GetTemperature(CDisplayAdapter* a, float* celsius) {
  long v = 0;
  if (!Attribute(a, "hwmon/temp1_input", &v) || v <= 0) return false;
  *celsius = static_cast<float>(v) / 1000.0f;
  return true;
}

bool ADL_SDK_DisplayAPI::GetLoad(CDisplayAdapter* a, int* percent) {
  long v = 0;
  if (!Attribute(a, "gpu_busy_percent", &v) || v < 0 || v > 100) return false;
  *percent = static_cast<int>(v);
  return true;
}

bool ADL_SDK_DisplayAPI::GetVoltage(CDisplayAdapter* a, float* volts) {
  long v = 0;
  if (!Attribute(a, "hwmon/in0_input", &v) || v <= 0) return false;
  *volts = static_cast<float>(v) / 1000.0f;
  return true;
}
