#include "sdk/access/Fintek_LPCIO_ConfigMode.h"

#include "sdk/access/CLPCRegisterSpace.h"

int Fintek_LPCIO_ConfigMode::EnterConfigMode() {
  static constexpr uint8_t kKey[] = {0x87, 0x87};
  return WriteKey(kKey, 2);
}

void Fintek_LPCIO_ConfigMode::ExitConfigMode() {
  if (space) space->WriteByte(0, 0xAA);
}
