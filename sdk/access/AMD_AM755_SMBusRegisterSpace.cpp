#include "sdk/access/AMD_AM755_SMBusRegisterSpace.h"

int AMD_AM755_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  uint16_t status = In16(0);
  for (int n = 0; status & 0x0808; ++n) {
    if (n >= pollLimit) {
      uint16_t control = 0;
      if (Get16(2, &control)) Out16(2, control | 0x20);  // abort
      return 0;
    }
    status = In16(0);
  }
  Out16(4, static_cast<uint16_t>(slave << 1 | 1));
  Out(8, command);
  uint16_t control = 0;
  if (!Get16(2, &control)) return 0;
  Out16(2, control | 0x0A);  // byte data, start
  status = In16(0);
  for (int n = 0; status & 0x08; ++n) {
    if (n >= pollLimit) return 0;
    status = In16(0);
  }
  Out16(0, 0x37);
  if (status & (0x04 | 0x02 | 0x20)) return 0;
  *value = static_cast<uint8_t>(In16(6));
  return 1;
}
