#include "emu/smbus/Slg505yc264b.h"

namespace emu {

namespace {
struct Model {
  double base, step[2];
  int baseN[2];
};
// Per strap code: base frequency, step per N count and base N for g = 0, 1.
constexpr Model kModels[7] = {
    {266.67, {0.6364, 0.5966}, {413, 442}}, {133.34, {0.3182, 0.2983}, {413, 442}},
    {200.0, {0.4773, 0.4474}, {413, 442}},  {166.67, {0.3977, 0.5966}, {413, 414}},
    {333.34, {0.7955, 0.7955}, {413, 414}}, {100.0, {0.2386, 0.2237}, {413, 442}},
    {400.0, {0.9546, 0.8949}, {413, 442}},
};
}  // namespace

Slg505yc264b::Slg505yc264b(int strap, bool fineStep, std::function<void(double)> output)
    : output_(std::move(output)) {
  regs_[0] = static_cast<uint8_t>((strap & 7) << 5);
  regs_[1] = fineStep ? 0x40 : 0x00;
  regs_[kByteCountRegister] = kPowerOnByteCount;
  Changed();
}

double Slg505yc264b::Frequency() const {
  const int strap = regs_[0] >> 5;
  if (strap == 7) return 0.0;
  const int g = (regs_[1] >> 6) & 1;
  const Model& m = kModels[strap];
  const int n = (regs_[17] & 0x80) ? regs_[16] * 4 + (regs_[15] >> 6) : m.baseN[g];
  double f = (n - m.baseN[g]) * m.step[g] + m.base;
  return f > 0 ? f : 0.0;
}

bool Slg505yc264b::ReadByteData(uint8_t command, uint8_t* value) {
  pointer_ = command;
  *value = command < kImageSize ? regs_[command] : 0;
  return true;
}

bool Slg505yc264b::WriteByteData(uint8_t command, uint8_t value) {
  pointer_ = command;
  // Byte 0 holds the strap pins: read-only.
  if (command >= kImageSize || command == 0) return false;
  regs_[command] = value;
  Changed();
  return true;
}

bool Slg505yc264b::ReadBlockData(uint8_t command, std::vector<uint8_t>* bytes) {
  const int count = regs_[kByteCountRegister];
  bytes->assign(1, static_cast<uint8_t>(count));
  for (int i = 0; i < count; ++i) bytes->push_back(command + i < kImageSize ? regs_[command + i] : 0);
  return true;
}

bool Slg505yc264b::WriteBlockData(uint8_t command, const std::vector<uint8_t>& data) {
  if (command + data.size() > kImageSize) return false;
  for (size_t i = 0; i < data.size(); ++i)
    if (command + i != 0) regs_[command + i] = data[i];  // the strap byte keeps its pins
  ++blockWrites_;
  Changed();
  return true;
}

}  // namespace emu
