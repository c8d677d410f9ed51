#include "emu/chips/Adt7473.h"

#include <algorithm>
#include <cmath>

#include "emu/TimeBase.h"

namespace emu {

namespace {

// Internal attenuators {R1, R2} of in0..in4 (kΩ): the ADC sees V × R2 / (R1 + R2).
constexpr double kAttenuator[5][2] = {{45, 94}, {175, 525}, {68, 71}, {93, 47}, {120, 20}};
constexpr double kFullScale = 2.25;
constexpr uint8_t kRegVoltage = 0x20, kRegTemperature = 0x25, kRegTach = 0x28;
constexpr uint8_t kRegExtend1 = 0x76, kRegExtend2 = 0x77, kRegConfig5 = 0x7C;

int VoltageCode(int input, double volts) {
  const double pin = volts * kAttenuator[input][1] / (kAttenuator[input][0] + kAttenuator[input][1]);
  return static_cast<int>(std::clamp(std::lround(pin / kFullScale * 1024.0), 0L, 1023L));
}

}  // namespace

Adt7473::Adt7473(TimeBase& time, uint8_t stepping) : time_(time) {
  latched_.fill(-1);
  regs_[0x3D] = 0x73;
  regs_[0x3E] = 0x41;
  regs_[0x3F] = static_cast<uint8_t>(0x68 | (stepping & 7));
  regs_[0x40] = 0x05;  // STRT: monitoring, as the card's BIOS leaves it
  for (uint8_t r = 0x30; r <= 0x32; ++r) regs_[r] = 0xFF;  // PWM power-on: full speed
}

std::array<int, 8> Adt7473::Sample() const {
  const uint64_t now = time_.NowNs();
  std::array<int, 8> s{};
  s[1] = vccp ? VoltageCode(1, vccp()) : 0;
  s[2] = vcc.connected ? VoltageCode(2, vcc.At(now)) : 0;
  const bool twos = regs_[kRegConfig5] & 1;
  for (int j = 0; j < 3; ++j) {
    const Waveform& t = temperatures[static_cast<size_t>(j)];
    if (!t.connected) {
      s[static_cast<size_t>(5 + j)] = twos ? 0x200 : 0;  // diode fault code
      continue;
    }
    const long quarters = std::lround(t.At(now) * 4.0);
    s[static_cast<size_t>(5 + j)] =
        twos ? static_cast<int>(std::clamp(quarters, -252L, 508L) & 0x3FF) : static_cast<int>(std::clamp(quarters + 256, 4L, 1023L));
  }
  return s;
}

bool Adt7473::ReadByteData(uint8_t reg, uint8_t* value) {
  if (reg == kRegExtend1 || reg == kRegExtend2) {
    // Reading an extended-resolution register freezes the value registers
    // whose low bits it holds until they are read.
    const std::array<int, 8> now = Sample();
    const int first = reg == kRegExtend1 ? 0 : 4;
    uint8_t bits = 0;
    for (int c = first; c < first + 4; ++c) {
      latched_[static_cast<size_t>(c)] = now[static_cast<size_t>(c)];
      bits |= static_cast<uint8_t>((now[static_cast<size_t>(c)] & 3) << (2 * (c - first)));
    }
    *value = bits;
    return true;
  }
  if (reg >= kRegVoltage && reg < kRegTach) {
    // 0x20-0x24 voltages (channels 0-4), 0x25-0x27 temperatures (5-7).
    const size_t c = reg - kRegVoltage;
    int code = latched_[c];
    if (code < 0) code = Sample()[c];
    latched_[c] = -1;
    *value = static_cast<uint8_t>(code >> 2);
    return true;
  }
  if (reg >= kRegTach && reg < kRegTach + 8) {
    const double rpm = fans[static_cast<size_t>((reg - kRegTach) / 2)].At(time_.NowNs());
    const long count = rpm > 0 ? std::clamp(std::lround(5400000.0 / rpm), 1L, 0xFFFEL) : 0xFFFF;
    if ((reg & 1) == 0) {
      tachHigh_ = static_cast<int>(count >> 8);
      *value = static_cast<uint8_t>(count);
    } else {
      *value = static_cast<uint8_t>(tachHigh_ >= 0 ? tachHigh_ : count >> 8);
      tachHigh_ = -1;
    }
    return true;
  }
  *value = regs_[reg];
  return true;
}

bool Adt7473::WriteByteData(uint8_t reg, uint8_t value) {
  if ((reg >= kRegVoltage && reg < kRegTach + 8) || (reg >= 0x3D && reg <= 0x3F) || reg == kRegExtend1 ||
      reg == kRegExtend2)
    return false;  // measurements and identification are read-only
  ++writes;
  regs_[reg] = value;
  return true;
}

}  // namespace emu
