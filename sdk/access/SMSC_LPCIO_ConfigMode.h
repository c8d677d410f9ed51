// SMSC Super I/O chips: key 0x55, exit 0xAA; the runtime/monitor block is logical device 8.
#pragma once

#include "sdk/access/CConfigMode.h"

class SMSC_LPCIO_ConfigMode : public CConfigMode {
 public:
  explicit SMSC_LPCIO_ConfigMode(CLPCRegisterSpace* configSpace) : CConfigMode(configSpace) { monitorDevice = 0x08; }
  int ReadConfigRegister(uint8_t reg, uint8_t* value) override { return ReadThroughSpace(reg, value); }
  int WriteConfigRegister(uint8_t reg, uint8_t value) override { return WriteThroughSpace(reg, value); }
  int EnterConfigMode() override;
  void ExitConfigMode() override;
  const char* MakerName() const override { return "SMSC"; }
};
