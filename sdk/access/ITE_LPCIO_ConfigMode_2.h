// ITE Super I/O chips at 0x4E: the key ends in 0xAA instead of 0x55.
#pragma once

#include "sdk/access/ITE_LPCIO_ConfigMode.h"

class ITE_LPCIO_ConfigMode_2 : public ITE_LPCIO_ConfigMode {
 public:
  explicit ITE_LPCIO_ConfigMode_2(CLPCRegisterSpace* configSpace) : ITE_LPCIO_ConfigMode(configSpace) { monitorDevice = 0x04; }
  int EnterConfigMode() override;
  const char* MakerName() const override { return "ITE"; }
};
