#include "sdk/voltage/SixBitDac.h"

#include "sdk/voltage/CMicroController.h"

namespace {

constexpr int kFull = 0x3F;

int NamedOutputs(int rowId) {
  int n = 0;
  for (int i = 0; i < 3; ++i) n += (rowId >> i) & 1;
  return n;
}

}  // namespace

int SixBitDacMaxValue(const _stMicroControllerOutputDesc& row) {
  if (row.id & rowid::kCombined) return kFull * NamedOutputs(row.id);
  return (row.id & rowid::kOutputMask) <= 2 ? kFull : -1;
}

int WriteSixBitDacSetting(CMicroController& chip, int rowId, int value, int flags) {
  const uint8_t s = static_cast<uint8_t>((flags & 3) << 6);
  int ok = 0;
  if (!(rowId & rowid::kCombined)) {
    const int n = rowId & rowid::kOutputMask;
    if (n > 2) return 0;
    ok = chip.WriteByte(static_cast<uint8_t>(n + 1), static_cast<uint8_t>(s | (value & kFull)));
  } else {
    int rest = value;
    bool first = true;
    for (int n = 0; n < 3; ++n) {
      if (!(rowId & (1 << n))) continue;
      uint8_t v = 0;
      if (rest > 0 || first) {
        const int part = rest > kFull ? kFull : rest;
        v = static_cast<uint8_t>(s | part);
        rest -= part;
      }
      first = false;
      ok = chip.WriteByte(static_cast<uint8_t>(n + 1), v);
      if (!ok) break;
    }
  }
  CMicroController::Pause();
  return ok;
}
