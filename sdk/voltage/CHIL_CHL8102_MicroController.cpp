#include "sdk/voltage/CHIL_CHL8102_MicroController.h"


bool CHIL_CHL8102_MicroController::ReadChannel(int n, CMicroControllerOutput* out) {
  uint8_t b = 0;
  if (!ReadByte(0x62, &b)) return false;
  out->code = b & 0x7F;
  return true;
}

int CHIL_CHL8102_MicroController::SetOutput(int rowId, int value, int flags) {
  if (rowId & rowid::kCombined) return 0;
  int ok = WriteByte(0x62, static_cast<uint8_t>(value | 0x80));
  Pause();
  return ok;
}

int CHIL_CHL8102_MicroController::MaxValue(const _stMicroControllerOutputDesc& row, int flags) const {
  return (row.id & rowid::kCombined) ? -1 : 0x7F;
}
