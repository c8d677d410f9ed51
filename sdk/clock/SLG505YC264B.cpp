#include "sdk/clock/SLG505YC264B.h"

#include <cstring>

#include "sdk/access/CIORequest.h"
#include "sdk/access/CRegisterSpace.h"
#include "sdk/clock/CPLLOutput.h"
#include "sdk/core/RoundToInt.h"

namespace {

struct StrapModel {
  float base;
  float step[2];   // g = 0, g = 1
  int baseN[2];    // g = 0, g = 1
  int m[2];        // default divider, g = 0, g = 1
};
// Strap codes 0 .. 6; code 7 has no model.
constexpr StrapModel kStraps[7] = {
    {266.67f, {0.6364f, 0.5966f}, {413, 442}, {14, 14}}, {133.34f, {0.3182f, 0.2983f}, {413, 442}, {14, 14}},
    {200.0f, {0.4773f, 0.4474f}, {413, 442}, {14, 14}},  {166.67f, {0.3977f, 0.5966f}, {413, 414}, {14, 14}},
    {333.34f, {0.7955f, 0.7955f}, {413, 414}, {14, 14}}, {100.0f, {0.2386f, 0.2237f}, {413, 442}, {13, 14}},
    {400.0f, {0.9546f, 0.8949f}, {413, 442}, {14, 14}},
};
// The image runs to byte 17 (N enable): fewer bytes carry no model.
constexpr int kNeededBytes = 18;

}  // namespace

SLG505YC264B_CPU_PLL::SLG505YC264B_CPU_PLL() : CPLL(kPLLId_SLG505YC264B) {
  kind = PLL_KIND_CPU;
  reference = 14.31818f;
  SetName("Silego SLG505YC264B CPU PLL");
}

int SLG505YC264B_CPU_PLL::Read() {
  ClearOutputs();
  FreshBuffer(kBufferSize);
  int count = BlockRead();
  if (count <= 8) return 0;
  if (count <= 16) {
    // Byte 12 is the chip's byte count for block reads.
    buffer[kByteCountRegister] = 29;
    readCount_ = count;
    if (!BlockWrite(0, kByteCountRegister + 1)) return 0;
    Wait(50);
    std::memset(buffer, 0, kBufferSize);
    count = BlockRead();
  }
  if (count < kNeededBytes) return 0;
  readCount_ = count;
  const int strap = buffer[0] >> 5;
  const int g = (buffer[1] >> 6) & 1;
  if (strap == 7) {
    baseFrequency = stepPerN = -1.0f;
    baseN = -1;
    frequency = -1.0f;
    return 1;
  }
  const StrapModel& model = kStraps[strap];
  baseFrequency = model.base;
  stepPerN = model.step[g];
  baseN = model.baseN[g];
  m = model.m[g];
  if (buffer[17] & 0x80) {
    n = buffer[16] * 4 + (buffer[15] >> 6);
    m = buffer[15] & 0x3F;
  } else {
    n = baseN;
  }
  frequency = (n - baseN) * stepPerN + baseFrequency;
  AddOutput("CPU", PLL_OUTPUT_CPU, 1.0f);
  return 1;
}

int SLG505YC264B_CPU_PLL::SetFrequency(float mhz) {
  if (!(stepPerN > 0) || !(mhz >= baseFrequency)) return 0;
  int target = RoundToInt((mhz - baseFrequency) / stepPerN + baseN);
  if (target < 0 || target > kMaxN) return 0;
  pendingN_ = target;
  return 1;
}

int SLG505YC264B_CPU_PLL::Apply() {
  if (!buffer || readCount_ < 0 || pendingN_ < 0) return 0;
  uint8_t image[20];
  std::memcpy(image, buffer, sizeof(image));
  image[17] |= 0x80;
  image[16] = static_cast<uint8_t>(pendingN_ >> 2);
  image[15] = static_cast<uint8_t>((pendingN_ << 6) | (m & 0x3F));
  if (std::memcmp(image, buffer, sizeof(image)) == 0) return 1;
  uint8_t before[sizeof(image)];
  std::memcpy(before, buffer, sizeof(image));
  std::memcpy(buffer, image, sizeof(image));
  ++writes_;
  if (BlockWrite(15, 4)) return 1;
  std::memcpy(buffer, before, sizeof(image));  // the chip keeps what it had
  return 0;
}
