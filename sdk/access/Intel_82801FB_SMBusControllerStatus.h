// ICH6 and later Intel LPC bridges: the SMBus function is disabled by bit 3
// of the function-disable register at 0x3418 of the root complex block
// (RCBA, configuration dword 0xF0). Cleared for the program's lifetime and
// left cleared at exit: the firmware sets it again at the next boot.
#pragma once

#include <cstdint>

#include "sdk/access/CCommand.h"

class CIOSpace;

class Intel_82801FB_SMBusControllerStatus : public CCommand {
 public:
  static constexpr uint32_t kFunctionDisable = 0x3418;

  explicit Intel_82801FB_SMBusControllerStatus(CPCIDevice* d, uint32_t disableBit = 1u << 3)
      : CCommand(d), bit(disableBit) {}
  int Save() override;
  int Enable() override;
  int Restore() override;

  uint32_t bit;
  CIOSpace* window = nullptr;  // the root complex block; registered with the facade
  bool wasSet = false;

 private:
  void ClearBit();
};
