#include "sdk/voltage/uP6262_DAC_MicroController.h"
#include "sdk/voltage/SixBitDac.h"

bool uP6262_DAC_MicroController::ReadChannel(int n, CMicroControllerOutput* out) {
  uint8_t b = 0;
  if (!ReadByte(static_cast<uint8_t>(1 + n), &b)) return false;
  out->code = b & 0x3F;
  out->direction = (b >> 6) & 1;
  out->secondFlag = (b >> 7) & 1;
  return true;
}

int uP6262_DAC_MicroController::SetOutput(int rowId, int value, int flags) {
  return WriteSixBitDacSetting(*this, rowId, value, flags);
}

int uP6262_DAC_MicroController::MaxValue(const _stMicroControllerOutputDesc& row, int flags) const {
  return SixBitDacMaxValue(row);
}
