#include "sdk/access/ITE_LPCIO_ConfigMode.h"

int ITE_LPCIO_ConfigMode::EnterConfigMode() {
  static constexpr uint8_t kKey[] = {0x87, 0x01, 0x55, 0x55};
  return WriteKey(kKey, 4);
}

void ITE_LPCIO_ConfigMode::ExitConfigMode() {
  // Configure control: bit 1 returns to wait-for-key, bit 0 resets every
  // logical device and is never echoed back. A value that could not be
  // read is not written back at all.
  uint8_t v = 0xFF;
  if (!ReadConfigRegister(0x02, &v)) return;
  WriteConfigRegister(0x02, static_cast<uint8_t>((v | 0x02) & ~0x01));
}
