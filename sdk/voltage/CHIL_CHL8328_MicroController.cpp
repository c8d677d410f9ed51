#include "sdk/voltage/CHIL_CHL8328_MicroController.h"


bool CHIL_CHL8328_MicroController::ReadChannel(int n, CMicroControllerOutput* out) {
  uint8_t sel = 0, first = 0, second = 0;
  if (!ReadByte(SelectRegister(n), &sel)) return false;
  const Pair p = PairOf(n, sel);
  if (!ReadByte(p.first, &first)) return false;
  if (first != 0xFF) {
    out->code = first;
    return true;
  }
  if (!ReadByte(p.second, &second)) return false;
  out->code = second + 255;
  return true;
}

int CHIL_CHL8328_MicroController::SetOutput(int rowId, int value, int flags) {
  const int n = rowId & rowid::kOutputMask;
  if ((rowId & rowid::kCombined) || n > 1) return 0;
  uint8_t sel = 0;
  if (!ReadByte(SelectRegister(n), &sel)) return 0;
  const Pair p = PairOf(n, sel);
  if (!WriteByte(0xC0, 0x00)) return 0;
  if (!WriteByte(n == 0 ? 0xBC : 0xBD, n == 0 ? 0x0F : 0x0B)) return 0;
  const bool split = value > 255;
  if (!WriteByte(p.first, static_cast<uint8_t>(split ? 0xFF : value))) return 0;
  if (!WriteByte(p.second, static_cast<uint8_t>(split ? (value + 1) & 0xFF : 0))) return 0;
  Pause();
  // Only this loop's select register: loop 2 must not switch loop 1.
  int ok = WriteByte(SelectRegister(n), 0x40);
  Pause();
  return ok;
}

int CHIL_CHL8328_MicroController::MaxValue(const _stMicroControllerOutputDesc& row, int flags) const {
  if ((row.id & rowid::kCombined) || (row.id & rowid::kOutputMask) > 1) return -1;
  return 255 + 255;
}
