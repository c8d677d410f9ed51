// ICH2 to ICH5 (and 6300ESB) LPC bridges: bit 19 of configuration dword
// 0xF0 disables the SMBus function. Cleared for the program's lifetime,
// written back at exit.
#pragma once

#include "sdk/access/ConfigBitStatus.h"

class Intel_82801_SMBusControllerStatus : public ConfigBitStatus {
 public:
  explicit Intel_82801_SMBusControllerStatus(CPCIDevice* d) : ConfigBitStatus(d, {0xF0, 1u << 19, false}) {}
};
