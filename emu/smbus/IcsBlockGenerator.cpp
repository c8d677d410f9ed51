#include "emu/smbus/IcsBlockGenerator.h"

#include <cmath>

namespace emu {

IcsBlockGenerator::IcsBlockGenerator(double referenceMHz, std::vector<Synthesiser> synthesisers)
    : reference_(referenceMHz), synths_(std::move(synthesisers)) {
  regs_[kByteCountRegister] = kPowerOnByteCount;
}

void IcsBlockGenerator::PowerOn(size_t index, double mhz) {
  Synthesiser& s = synths_[index];
  int bestN = 2, bestM = 1;
  double bestError = 1e9;
  for (int m = 1; m <= 63; ++m) {
    int n = 2 * static_cast<int>(std::lround(mhz * m / reference_ / 2));
    if (n < 2 || n > 2046) continue;
    double e = std::fabs(reference_ * n / m - mhz);
    if (e < bestError - 1e-9) {
      bestError = e;
      bestN = n;
      bestM = m;
    }
  }
  regs_[s.mByte] = static_cast<uint8_t>(((bestN & 6) << 5) | bestM);
  regs_[s.nByte] = 0;  // not loaded until software enables the synthesiser
  for (int c = 0; c < 3; ++c) regs_[s.firstCopy + c] = static_cast<uint8_t>(bestN >> 3);
  regs_[s.enableByte] &= static_cast<uint8_t>(~s.enableMask);
  Changed();
}

double IcsBlockGenerator::FrequencyOf(size_t index) const {
  const Synthesiser& s = synths_[index];
  const bool enabled = regs_[s.enableByte] & s.enableMask;
  const int high = enabled ? regs_[s.nByte] : regs_[s.firstCopy];
  const int n = high << 3 | ((regs_[s.mByte] >> 6) & 3) << 1;
  const int m = regs_[s.mByte] & 0x3F;
  return m && n ? reference_ * n / m : 0.0;
}

void IcsBlockGenerator::Changed() {
  for (size_t i = 0; i < synths_.size(); ++i)
    if (synths_[i].output) synths_[i].output(FrequencyOf(i));
}

uint8_t IcsBlockGenerator::Visible(int reg) const { return reg < kImageSize ? regs_[reg] : 0; }

bool IcsBlockGenerator::ReadByteData(uint8_t command, uint8_t* value) {
  pointer_ = command;
  *value = Visible(command);
  return true;
}

bool IcsBlockGenerator::WriteByteData(uint8_t command, uint8_t value) {
  pointer_ = command;
  if (command >= kImageSize) return false;
  regs_[command] = value;
  Changed();
  return true;
}

bool IcsBlockGenerator::ReadBlockData(uint8_t command, std::vector<uint8_t>* bytes) {
  const int count = regs_[kByteCountRegister];
  bytes->assign(1, static_cast<uint8_t>(count));
  for (int i = 0; i < count; ++i) bytes->push_back(Visible(command + i));
  return true;
}

bool IcsBlockGenerator::WriteBlockData(uint8_t command, const std::vector<uint8_t>& data) {
  if (command + data.size() > kImageSize) return false;
  for (size_t i = 0; i < data.size(); ++i) regs_[command + i] = data[i];
  ++blockWrites_;
  Changed();
  return true;
}

}  // namespace emu
