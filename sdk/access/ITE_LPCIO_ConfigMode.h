// ITE Super I/O chips at 0x2E: key 0x87 0x01 0x55 0x55; leaving sets bit 1 of configuration register 0x02. The environment controller is logical device 4.
#pragma once

#include "sdk/access/CConfigMode.h"

class ITE_LPCIO_ConfigMode : public CConfigMode {
 public:
  explicit ITE_LPCIO_ConfigMode(CLPCRegisterSpace* configSpace) : CConfigMode(configSpace) { monitorDevice = 0x04; }
  int ReadConfigRegister(uint8_t reg, uint8_t* value) override { return ReadThroughSpace(reg, value); }
  int WriteConfigRegister(uint8_t reg, uint8_t value) override { return WriteThroughSpace(reg, value); }
  int EnterConfigMode() override;
  void ExitConfigMode() override;
  const char* MakerName() const override { return "ITE"; }
};
