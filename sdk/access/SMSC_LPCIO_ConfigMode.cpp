#include "sdk/access/SMSC_LPCIO_ConfigMode.h"

#include "sdk/access/CLPCRegisterSpace.h"

int SMSC_LPCIO_ConfigMode::EnterConfigMode() {
  static constexpr uint8_t kKey[] = {0x55};
  return WriteKey(kKey, 1);
}

void SMSC_LPCIO_ConfigMode::ExitConfigMode() {
  if (space) space->WriteByte(0, 0xAA);
}
