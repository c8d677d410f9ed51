// ICH2 to ICH5 (and 6300ESB) LPC bridges: bit 19 of configuration dword
// 0xF0 disables the SMBus function. Cleared for the program's lifetime,
// written back at exit.
#pragma once

#include <cstdint>

#include "sdk/access/CCommand.h"

class Intel_82801_SMBusControllerStatus : public CCommand {
 public:
  using CCommand::CCommand;
  int Save() override;
  int Enable() override;
  int Restore() override;

  bool saved = false;
  bool wasSet = false;
};
