#include "sdk/access/Intel_SCH_SMBusRegisterSpace.h"

int Intel_SCH_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  if (In(1) & 0x08) return 0;
  Out(4, static_cast<uint8_t>(slave << 1 | 1));
  Out(5, command);
  uint8_t control = 0;
  if (!Get(0, &control)) return 0;
  control = static_cast<uint8_t>((control & 0xB2) | 0x02);
  Out(0, control);
  uint8_t status = In(1);
  if (status & 0x0F) {
    Out(1, status & 0x0F);
    Wait(1);
    if (In(1) & 0x0F) return 0;
  }
  Out(0, control | 0x10);
  status = In(1);
  for (int n = 0; status & 0x08; ++n) {
    if (n >= pollLimit) return 0;
    Wait(1);
    status = In(1);
  }
  if ((status & 0x06) || !(status & 0x01)) return 0;
  *value = In(6);
  return 1;
}
