#include "sdk/access/ITE_LPCIO_ConfigMode.h"

int ITE_LPCIO_ConfigMode::EnterConfigMode() {
  static constexpr uint8_t kKey[] = {0x87, 0x01, 0x55, 0x55};
  return WriteKey(kKey, 4);
}

void ITE_LPCIO_ConfigMode::ExitConfigMode() {
  uint8_t v = 0xFF;
  ReadConfigRegister(0x02, &v);
  WriteConfigRegister(0x02, static_cast<uint8_t>(v | 0x02));
}
