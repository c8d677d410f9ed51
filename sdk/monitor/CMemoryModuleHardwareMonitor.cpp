#include "sdk/monitor/CMemoryModuleHardwareMonitor.h"

#include <cstdio>

#include "sdk/access/CSMBusDevice.h"
#include "sdk/core/CSensor.h"

CMemoryModuleHardwareMonitor::CMemoryModuleHardwareMonitor(CSMBusDevice* d, CSensor* s, CDevice* parentDevice)
    : CHardwareMonitor(MONITOR_MEMORY_MODULE, -1), device(d), sensor(s) {
  std::snprintf(name, sizeof(name), "DIMM");
  SetParent(parentDevice);
  if (sensor) AddSensor(sensor);
}

bool CMemoryModuleHardwareMonitor::ReadRegister(CSMBusDevice* d, uint8_t reg, uint16_t* value) {
  uint8_t first = 0xFF, second = 0xFF;
  if (!d || !d->ReadWord(reg, &first, &second)) return false;
  *value = static_cast<uint16_t>(first << 8 | second);
  return true;
}

float CMemoryModuleHardwareMonitor::Celsius(uint16_t value) {
  int t = value & 0x1FFF;
  if (t & 0x1000) t -= 0x2000;
  return static_cast<float>(t * 0.0625);
}

void CMemoryModuleHardwareMonitor::Store(CSensor* s, uint16_t value) {
  s->raw = value & 0x1FFF;
  s->SetValue(Celsius(value), true);
}

int CMemoryModuleHardwareMonitor::Update() {
  uint16_t value = 0;
  if (!sensor || !ReadRegister(device, kAmbientRegister, &value)) return 0;
  Store(sensor, value);
  return 1;
}
