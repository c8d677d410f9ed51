// AMD family 10h northbridge: bit 14 of configuration dword 0x8C enables
// extended configuration access through port 0xCF8. Set for the program's
// lifetime, written back at exit. Made by the processor and chipset code.
#pragma once

#include "sdk/access/ConfigBitStatus.h"

class AMD_K10_ECS_Status : public ConfigBitStatus {
 public:
  explicit AMD_K10_ECS_Status(CPCIDevice* d) : ConfigBitStatus(d, {0x8C, 1u << 14, true}) {}
};
