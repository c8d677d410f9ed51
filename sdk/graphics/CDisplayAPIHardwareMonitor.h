// The readings one display API gives about one adapter (temperature, GPU
// voltage, fan speed and duty) as a monitor of the hardware-monitor
// interface; the adapter is its parent device.
#pragma once

#include "sdk/monitor/CHardwareMonitor.h"

class CDisplayAPI;
class CDisplayAdapter;

class CDisplayAPIHardwareMonitor : public CHardwareMonitor {
 public:
  CDisplayAPIHardwareMonitor(CDisplayAdapter* adapter, CDisplayAPI* api);
  // Update, then the labels; nonzero when the API answered anything.
  int CreateSensors() override;
  int Update() override;

  CDisplayAPI* api;  // not owned
  CDisplayAdapter* adapter;
  CSensor* temperature = nullptr;
  CSensor* voltage = nullptr;
  CSensor* fan = nullptr;
  CSensor* fanDuty = nullptr;
};
