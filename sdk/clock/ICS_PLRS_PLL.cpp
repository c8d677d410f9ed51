#include "sdk/clock/ICS_PLRS_PLL.h"

#include <cmath>
#include <cstring>

#include "sdk/access/CIORequest.h"
#include "sdk/access/CRegisterSpace.h"
#include "sdk/clock/CPLLOutput.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/core/RoundToInt.h"
#include "sdk/cpu/CCPUInterface.h"

ICS_PLRS_PLL::ICS_PLRS_PLL(uint32_t pllId, uint32_t pllKind, const char* pllName, float referenceMHz,
                           const Layout& layout)
    : CPLL(pllId), layout_(layout) {
  kind = pllKind;
  reference = referenceMHz;
  SetName(pllName);
}

int ICS_PLRS_PLL::Read() {
  ClearOutputs();
  FreshBuffer(kBufferSize);
  int count = BlockRead();
  if (count <= 8) return 0;
  if (count < layout_.byteCount) {
    // The chip announces fewer bytes than the synthesiser's fields reach
    // until its byte-count register (byte 8) says otherwise.
    buffer[kByteCountRegister] = static_cast<uint8_t>(layout_.byteCount);
    readCount_ = count;
    if (!BlockWrite(0, kByteCountRegister + 1)) return 0;
    Wait(50);
    std::memset(buffer, 0, kBufferSize);
    count = BlockRead();
    if (count <= 8) return 0;
  }
  readCount_ = count;
  uint8_t nByte = buffer[layout_.nByte];
  if (nByte == 0) nByte = buffer[layout_.copies[0]];
  const uint8_t mByte = buffer[layout_.mByte];
  const int newN = nByte << 3 | ((mByte >> 6) & 3) << 1;
  const int newM = mByte & 0x3F;
  n = newN;
  m = newM;
  if (newM == 0 || nByte == 0) {
    // A zero divider, or no N byte at all (neither the field nor its copy
    // within the bytes read), is no clock: the PLL reads as failed.
    frequency = -1.0f;
    return 0;
  }
  frequency = static_cast<float>(reference * newN / newM);
  MakeOutputs();
  return 1;
}

int ICS_PLRS_PLL::SetFrequency(float mhz) {
  if (!(mhz > 0) || !(reference > 0)) return 0;
  // The closest frequency the fields can encode: every divider, even
  // multipliers only. Ties keep the divider the chip runs with, then the
  // synthesiser's customary one.
  const int preferred = layout_.searchStartM > 0 ? layout_.searchStartM : m;
  int bestN = -1, bestM = -1;
  double bestError = 0;
  auto rank = [&](int mm) { return (mm == m ? 0 : 2) + (mm == preferred ? 0 : 1); };
  for (int mm = 1; mm <= kMaxM; ++mm) {
    double exact = static_cast<double>(mhz) * mm / reference;
    int nn = 2 * static_cast<int>(std::lround(exact / 2));
    if (nn < 2) nn = 2;
    if (nn > kMaxN) nn = kMaxN;
    double error = std::fabs(reference * nn / mm - mhz);
    if (bestM < 0 || error < bestError - 1e-6 || (std::fabs(error - bestError) <= 1e-6 && rank(mm) < rank(bestM))) {
      bestN = nn;
      bestM = mm;
      bestError = error;
    }
  }
  // Beyond what the fields can express (half a MHz is finer than any step
  // the callers use).
  if (bestError > 0.5) return 0;
  pendingN_ = bestN;
  pendingM_ = bestM;
  return 1;
}

int ICS_PLRS_PLL::Apply() {
  if (!buffer || readCount_ < 0) return 0;
  const int newN = pendingN_ >= 0 ? pendingN_ : n;
  const int newM = pendingM_ >= 0 ? pendingM_ : m;
  if (newN <= 0 || newM <= 0) return 0;
  // The synthesiser already runs with these fields (from its N byte or,
  // before software took it over, from the copy): nothing is written.
  if (newN == n && newM == m) return 1;
  uint8_t image[kBufferSize];
  std::memcpy(image, buffer, kBufferSize);
  const bool enabled = (image[layout_.enableByte] & layout_.enableMask) != 0;
  image[layout_.enableByte] |= layout_.enableMask;
  image[layout_.mByte] = static_cast<uint8_t>(((newN & 0xFE) << 5) | (newM & 0x3F));
  image[layout_.nByte] = static_cast<uint8_t>(newN >> 3);
  for (int c : layout_.copies)
    if (c < readCount_) image[c] = static_cast<uint8_t>(newN >> 3);
  if (std::memcmp(image, buffer, kBufferSize) == 0) return 1;
  uint8_t before[kBufferSize];
  std::memcpy(before, buffer, kBufferSize);
  std::memcpy(buffer, image, kBufferSize);
  ++writes_;
  if (!(enabled ? BlockWrite(layout_.writeStart, layout_.writeLength) : BlockWrite(0, kFullWriteLength))) {
    std::memcpy(buffer, before, kBufferSize);  // the chip keeps what it had
    return 0;
  }
  // The fields the chip now runs with (the frequency waits for the next read).
  n = newN;
  m = newM;
  return 1;
}

void ICS_PLRS_PLL::MakeCpuOutput() {
  if (!cpuDivider_) {
    CCPUInterface* cpu = QUARNSDK::HasInstance() ? QUARNSDK::GetInstance()->cpuInterface : nullptr;
    if (!cpu) return;
    float bus = cpu->busClock > 0 ? cpu->busClock : cpu->MeasureBusClock();
    if (!(bus > 0)) return;
    int d = RoundToInt(frequency / bus);
    if (d <= 0) return;
    cpuDivider_ = d;
  }
  AddOutput("CPU", PLL_OUTPUT_CPU, static_cast<float>(cpuDivider_));
}
