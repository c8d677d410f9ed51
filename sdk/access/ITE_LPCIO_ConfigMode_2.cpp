#include "sdk/access/ITE_LPCIO_ConfigMode_2.h"

int ITE_LPCIO_ConfigMode_2::EnterConfigMode() {
  static constexpr uint8_t kKey[] = {0x87, 0x01, 0x55, 0xAA};
  return WriteKey(kKey, 4);
}
