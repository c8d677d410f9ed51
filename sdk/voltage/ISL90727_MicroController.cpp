#include "sdk/voltage/ISL90727_MicroController.h"


bool ISL90727_MicroController::ReadChannel(int n, CMicroControllerOutput* out) {
  uint8_t b = 0;
  if (!ReadByte(0x00, &b)) return false;
  if (b < 64) {
    out->code = 64 - b;
    out->direction = 1;
  } else {
    out->code = b - 64;
    out->direction = 0;
  }
  return true;
}

int ISL90727_MicroController::SetOutput(int rowId, int value, int flags) {
  if ((rowId & rowid::kCombined) || (rowId & rowid::kOutputMask) != 0) return 0;
  int ok = WriteByte(0x00, static_cast<uint8_t>((flags & 1) ? 64 - value : 64 + value));
  Pause();
  return ok;
}

int ISL90727_MicroController::MaxValue(const _stMicroControllerOutputDesc& row, int flags) const {
  if ((row.id & rowid::kCombined) || (row.id & rowid::kOutputMask) != 0) return -1;
  return (flags & kSettingBelowBase) ? 64 : 63;
}
