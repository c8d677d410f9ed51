// Fintek Super I/O chips: key 0x87 0x87, exit 0xAA; the hardware monitor is logical device 4.
#pragma once

#include "sdk/access/CConfigMode.h"

class Fintek_LPCIO_ConfigMode : public CConfigMode {
 public:
  explicit Fintek_LPCIO_ConfigMode(CLPCRegisterSpace* configSpace) : CConfigMode(configSpace) { monitorDevice = 0x04; }
  int ReadConfigRegister(uint8_t reg, uint8_t* value) override { return ReadThroughSpace(reg, value); }
  int WriteConfigRegister(uint8_t reg, uint8_t value) override { return WriteThroughSpace(reg, value); }
  int EnterConfigMode() override;
  void ExitConfigMode() override;
  const char* MakerName() const override { return "Fintek"; }
};
