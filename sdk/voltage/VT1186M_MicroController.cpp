#include "sdk/voltage/VT1186M_MicroController.h"


bool VT1186M_MicroController::ReadChannel(int n, CMicroControllerOutput* out) {
  uint8_t b = 0;
  if (!ReadByte(0x1C, &b)) return false;
  out->code = b;
  out->direction = 1;
  return true;
}

int VT1186M_MicroController::SetOutput(int rowId, int value, int flags) {
  if (rowId & rowid::kCombined) return 0;
  if (!WriteByte(0x18, static_cast<uint8_t>(value))) return 0;
  Pause();
  if (!WriteByte(0x1D, 0x55)) return 0;
  Pause();
  if (!Modify(0x19, 0x10, 0x10)) return 0;
  Pause();
  uint8_t b = 0;
  return ReadByte(0x1C, &b);
}

int VT1186M_MicroController::MaxValue(const _stMicroControllerOutputDesc& row, int flags) const {
  if (row.id & rowid::kCombined) return -1;
  return (flags & kSettingBelowBase) ? 0xFF : 0;
}
