// AMD family 10h northbridge: bit 14 of configuration dword 0x8C enables
// extended configuration access through port 0xCF8. Set for the program's
// lifetime, written back at exit. Made by the processor and chipset code.
#pragma once

#include <cstdint>

#include "sdk/access/CCommand.h"

class AMD_K10_ECS_Status : public CCommand {
 public:
  using CCommand::CCommand;
  int Save() override;
  int Enable() override;
  int Restore() override;

  bool saved = false;
  bool wasSet = false;
};
