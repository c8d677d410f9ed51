// Intel C600/X79 LPC bridges: bit 24 of the root complex's function-disable
// register hides the thermal device. Handled like the SMBus disable bit.
#pragma once

#include "sdk/access/Intel_82801FB_SMBusControllerStatus.h"

class Intel_LPC_ThermalControllerStatus : public Intel_82801FB_SMBusControllerStatus {
 public:
  explicit Intel_LPC_ThermalControllerStatus(CPCIDevice* d) : Intel_82801FB_SMBusControllerStatus(d, 1u << 24) {}
};
