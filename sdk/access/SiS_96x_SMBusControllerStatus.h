// SiS 96x south bridges: bit 28 of configuration dword 0x74 hides the SMBus
// host. Cleared for the program's lifetime, written back at exit.
#pragma once

#include "sdk/access/ConfigBitStatus.h"

class SiS_96x_SMBusControllerStatus : public ConfigBitStatus {
 public:
  explicit SiS_96x_SMBusControllerStatus(CPCIDevice* d) : ConfigBitStatus(d, {0x74, 1u << 28, false}) {}
};
