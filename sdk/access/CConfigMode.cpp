#include "sdk/access/CConfigMode.h"

#include "sdk/access/CLPCRegisterSpace.h"

int CConfigMode::ReadThroughSpace(uint8_t reg, uint8_t* value) {
  *value = 0xFF;
  return space ? space->Read(reg, value) : 0;
}

int CConfigMode::WriteThroughSpace(uint8_t reg, uint8_t value) { return space ? space->Write(reg, value) : 0; }

int CConfigMode::WriteKey(const uint8_t* bytes, int count) {
  if (!space || count < 1) return 0;
  int r = space->WriteByte(0, bytes[0]);
  if (!r) return 0;
  for (int i = 1; i < count; ++i) r = space->WriteByte(0, bytes[i]);
  return r;
}
