#include "sdk/access/Asus_ASB100_SMBusMultiplexer_Type_2.h"

#include "sdk/access/CConfigMode.h"

Asus_ASB100_SMBusMultiplexer_Type_2::~Asus_ASB100_SMBusMultiplexer_Type_2() {
  delete static_cast<CConfigMode*>(target);
}

int Asus_ASB100_SMBusMultiplexer_Type_2::SelectChannel(uint8_t channel) {
  auto* mode = static_cast<CConfigMode*>(target);
  if (!mode || !mode->EnterConfigMode()) return 1;
  mode->WriteConfigRegister(0x07, 0x08);
  uint8_t v = 0xFF;
  if (mode->ReadConfigRegister(0xF1, &v) && ((v >> 4) & 1) != (channel & 1))
    mode->WriteConfigRegister(0xF1, static_cast<uint8_t>((v & 0xE7) | (channel & 1) << 4));
  mode->ExitConfigMode();
  return 1;
}

uint8_t Asus_ASB100_SMBusMultiplexer_Type_2::GetChannel() {
  auto* mode = static_cast<CConfigMode*>(target);
  if (!mode || !mode->EnterConfigMode()) return 0;
  mode->WriteConfigRegister(0x07, 0x08);
  uint8_t v = 0;
  bool ok = mode->ReadConfigRegister(0xF1, &v);
  mode->ExitConfigMode();
  return ok ? (v >> 4) & 1 : 0;
}
