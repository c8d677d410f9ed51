// SiS 96x south bridges: bit 28 of configuration dword 0x74 hides the SMBus
// host. Cleared for the program's lifetime, written back at exit.
#pragma once

#include <cstdint>

#include "sdk/access/CCommand.h"

class SiS_96x_SMBusControllerStatus : public CCommand {
 public:
  using CCommand::CCommand;
  int Save() override;
  int Enable() override;
  int Restore() override;

  bool saved = false;
  bool wasSet = false;
};
