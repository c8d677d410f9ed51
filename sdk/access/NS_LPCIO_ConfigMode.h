// National Semiconductor Super I/O chips: the configuration registers are always open; the monitor is logical device 9.
#pragma once

#include "sdk/access/CConfigMode.h"

class NS_LPCIO_ConfigMode : public CConfigMode {
 public:
  explicit NS_LPCIO_ConfigMode(CLPCRegisterSpace* configSpace) : CConfigMode(configSpace) { monitorDevice = 0x09; }
  int ReadConfigRegister(uint8_t reg, uint8_t* value) override { return ReadThroughSpace(reg, value); }
  int WriteConfigRegister(uint8_t reg, uint8_t value) override { return WriteThroughSpace(reg, value); }
  int EnterConfigMode() override;
  void ExitConfigMode() override;
  const char* MakerName() const override { return "NS"; }
};
