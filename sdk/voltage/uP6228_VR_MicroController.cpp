#include "sdk/voltage/uP6228_VR_MicroController.h"


bool uP6228_VR_MicroController::ReadChannel(int n, CMicroControllerOutput* out) {
  uint8_t b = 0;
  if (!ReadByte(0x18, &b)) return false;
  out->code = b;
  return true;
}

int uP6228_VR_MicroController::SetOutput(int rowId, int value, int flags) {
  if (rowId & rowid::kCombined) return 0;
  const int low = value & 0xFF;
  if (low == 0) return Modify(0x27, 0x40, 0x00);  // back to the VID
  int ok = WriteByte(0x18, static_cast<uint8_t>(low >= 252 ? low - 100 : low));
  Pause();
  if (!ok) return 0;
  return Modify(0x27, 0x40, 0x40);
}

int uP6228_VR_MicroController::MaxValue(const _stMicroControllerOutputDesc& row, int flags) const {
  return (row.id & rowid::kCombined) ? -1 : 0xFF;
}
