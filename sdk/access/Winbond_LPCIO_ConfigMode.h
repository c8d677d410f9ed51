// Winbond (and Nuvoton) Super I/O chips: key 0x87 0x87, exit 0xAA; the hardware monitor is logical device 0x0B.
#pragma once

#include "sdk/access/CConfigMode.h"

class Winbond_LPCIO_ConfigMode : public CConfigMode {
 public:
  explicit Winbond_LPCIO_ConfigMode(CLPCRegisterSpace* configSpace) : CConfigMode(configSpace) { monitorDevice = 0x0B; }
  int ReadConfigRegister(uint8_t reg, uint8_t* value) override { return ReadThroughSpace(reg, value); }
  int WriteConfigRegister(uint8_t reg, uint8_t value) override { return WriteThroughSpace(reg, value); }
  int EnterConfigMode() override;
  void ExitConfigMode() override;
  const char* MakerName() const override { return "Winbond"; }
};
