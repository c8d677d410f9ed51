#include "sdk/voltage/Dallas_DS4404_DAC_MicroController.h"


bool Dallas_DS4404_DAC_MicroController::ReadChannel(int n, CMicroControllerOutput* out) {
  uint8_t b = 0;
  if (!ReadByte(static_cast<uint8_t>(0xF8 + n), &b)) return false;
  out->code = b & 0x1F;
  out->direction = (b & 0x80) ? 0 : 1;
  return true;
}

int Dallas_DS4404_DAC_MicroController::SetOutput(int rowId, int value, int flags) {
  const int n = rowId & rowid::kOutputMask;
  if ((rowId & rowid::kCombined) || n > 3) return 0;
  int ok = WriteByte(static_cast<uint8_t>(0xF8 + n), static_cast<uint8_t>(((flags & 1) ? 0 : 0x80) | (value & 0x1F)));
  Pause();
  return ok;
}

int Dallas_DS4404_DAC_MicroController::MaxValue(const _stMicroControllerOutputDesc& row, int flags) const {
  if ((row.id & rowid::kCombined) || (row.id & rowid::kOutputMask) > 3) return -1;
  return 0x1F;
}
