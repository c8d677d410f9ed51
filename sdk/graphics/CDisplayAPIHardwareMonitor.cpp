#include "sdk/graphics/CDisplayAPIHardwareMonitor.h"

#include <cstdio>

#include "sdk/core/CSensor.h"
#include "sdk/graphics/CDisplayAPI.h"
#include "sdk/graphics/CDisplayAdapter.h"

CDisplayAPIHardwareMonitor::CDisplayAPIHardwareMonitor(CDisplayAdapter* a, CDisplayAPI* displayApi)
    : CHardwareMonitor(MONITOR_DISPLAY_API, -1), api(displayApi), adapter(a) {
  std::snprintf(name, sizeof(name), "%s", api && api->name[0] ? api->name : "Display API");
}

namespace {

template <typename Sensor>
CSensor* Ensure(CHardwareMonitor* m, CSensor** slot, const char* name) {
  if (!*slot) {
    *slot = new Sensor(0);
    std::snprintf((*slot)->name, sizeof((*slot)->name), "%s", name);
    m->AddSensorEverywhere(*slot);
  }
  return *slot;
}

}  // namespace

int CDisplayAPIHardwareMonitor::Update() {
  if (!api) return 0;
  int answered = 0;
  float t = -1, v = -1;
  int rpm = -1, duty = -1;
  if (api->GetTemperature(adapter, &t)) {
    CSensor* s = Ensure<CTemperatureSensor>(this, &temperature, "TMPIN0");
    s->raw = static_cast<int32_t>(t);
    s->input = t;
    s->SetValue(t, true);
    ++answered;
  }
  if (api->GetVoltage(adapter, &v)) {
    CSensor* s = Ensure<CVoltageSensor>(this, &voltage, "VIN0");
    s->raw = static_cast<int32_t>(v * 1000.0f);
    s->input = v;
    ++answered;
  }
  if (api->GetFanRPM(adapter, &rpm)) {
    CSensor* s = Ensure<CFanSensor>(this, &fan, "FANIN0");
    s->raw = rpm;
    s->SetValue(static_cast<float>(rpm), true);
    ++answered;
  }
  if (api->GetFanPercent(adapter, &duty)) {
    CSensor* s = Ensure<CFanPwmSensor>(this, &fanDuty, "FANPWMIN0");
    s->raw = duty;
    s->SetValue(static_cast<float>(duty), true);
    ++answered;
  }
  ApplyConversions();
  return answered ? 1 : 0;
}

int CDisplayAPIHardwareMonitor::CreateSensors() {
  const int r = Update();
  ApplyLabels();
  return r;
}
