#include "emu/chips/Nct7802.h"

#include <algorithm>
#include <cmath>

#include "emu/DumpLoader.h"
#include "emu/TimeBase.h"

namespace emu {

namespace {
constexpr uint8_t kVoltageRegs[5] = {0x09, 0x0A, 0x0C, 0x0D, 0x0E};
constexpr double kVoltStep[5] = {0.004, 0.002, 0.002, 0.002, 0.002};
}  // namespace

Nct7802::Nct7802(TimeBase& time) : time_(time) {
  frozen_.fill(-1);
  regs_[0x21] = 0x01;  // start
  regs_[0x22] = 0x7F;  // RTD1-3 pins as voltage inputs VSEN1-3, local diode on
  regs_[0x24] = 0x07;  // fan inputs enabled
  regs_[0x25] = 0x0F;  // voltage monitoring enabled
  regs_[0xFD] = 0x50;
  regs_[0xFE] = 0xC3;
  regs_[0xFF] = 0x21;
}

bool Nct7802::LoadDump(const RegisterDump& dump, std::string*) {
  for (int r = 0; r < 256; ++r) frozen_[r] = dump.values[r] >= 0 ? dump.values[r] : 0xFF;
  return true;
}

bool Nct7802::ReadByteData(uint8_t reg, uint8_t* value) {
  if (frozen_[reg] >= 0) {
    *value = static_cast<uint8_t>(frozen_[reg]);
    return true;
  }
  uint64_t now = time_.NowNs();
  for (int i = 0; i < 5; ++i) {
    if (reg != kVoltageRegs[i]) continue;
    long raw = voltages[i].connected ? std::clamp(std::lround(voltages[i].At(now) / kVoltStep[i]), 4L, 0x3FBL) : 0;
    regs_[0x0F] = static_cast<uint8_t>((raw & 3) << 6);
    *value = static_cast<uint8_t>(raw >> 2);
    return true;
  }
  if (reg >= 0x10 && reg <= 0x12) {
    double rpm = fans[reg - 0x10].At(now);
    long count = rpm > 0 ? std::clamp(std::lround(1350000.0 / rpm), 0x20L, 0x1FDFL) : 0x1FFF;
    regs_[0x13] = static_cast<uint8_t>((count & 0x1F) << 3);
    *value = static_cast<uint8_t>(count >> 5);
    return true;
  }
  *value = regs_[reg];
  return true;
}

bool Nct7802::WriteByteData(uint8_t reg, uint8_t value) {
  ++writes;
  if (reg >= 0xFD) return true;  // identification is read-only
  regs_[reg] = value;
  return true;
}

}  // namespace emu
