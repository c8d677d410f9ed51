// A controller-state command on one bit of a PCI configuration dword:
// remembered by Save(), changed by Enable() and written back by Restore().
// The hiding bits of the SMBus hosts are cleared (and the bus rescanned so
// that the function appears); an enabling bit is set, with no rescan.
#pragma once

#include <cstdint>

#include "sdk/access/CCommand.h"

class ConfigBitStatus : public CCommand {
 public:
  struct Bit {
    uint32_t reg;     // configuration dword
    uint32_t mask;    // the bit
    bool enableSets;  // Enable() sets it (otherwise clears it and rescans)
  };

  ConfigBitStatus(CPCIDevice* d, Bit b) : CCommand(d), bit(b) {}
  int Save() override;
  int Enable() override;
  int Restore() override;

  const Bit bit;
  bool saved = false;
  bool wasSet = false;
};
