#include "emu/chips/IteIt87Monitor.h"

#include <algorithm>
#include <cmath>

#include "emu/DumpLoader.h"
#include "emu/EmulatedMachine.h"
#include "emu/TimeBase.h"

namespace emu {

namespace {
constexpr uint8_t kFanLow[5] = {0x0D, 0x0E, 0x0F, 0x80, 0x82};
constexpr uint8_t kFanHigh[5] = {0x18, 0x19, 0x1A, 0x81, 0x83};
}  // namespace

IteIt87Monitor::IteIt87Monitor(TimeBase& time) : time_(time) {
  frozen_.fill(-1);
  regs_[0x00] = 0x11;  // configuration: start, update
  regs_[0x0B] = 0x09;  // fan divisors (8-bit mode only)
  regs_[0x0C] = 0x37;  // 16-bit counters for fans 1-3, fans 4 and 5 enabled
  regs_[0x15] = 0x80;  // fan 1 automatic, driven by temperature input 0
  regs_[0x16] = 0x50;  // fan 2 manual, duty 0x50 / 128
  regs_[0x17] = 0x7F;
  regs_[0x58] = 0x90;
  regs_[0x5B] = 0x12;
}

bool IteIt87Monitor::LoadDump(const RegisterDump& dump, std::string*) {
  for (int r = 0; r < 256; ++r) frozen_[r] = dump.values[r] >= 0 ? dump.values[r] : 0xFF;
  return true;
}

uint8_t IteIt87Monitor::Read(uint8_t reg) const {
  if (frozen_[reg] >= 0) return static_cast<uint8_t>(frozen_[reg]);
  uint64_t now = time_.NowNs();
  if (reg >= 0x20 && reg <= 0x28) {
    const Waveform& w = pins[reg - 0x20];
    if (!w.connected) return 0x00;
    return static_cast<uint8_t>(std::clamp(std::lround(w.At(now) / kVoltStep), 1L, 254L));
  }
  if (reg >= 0x29 && reg <= 0x2B) {
    const Waveform& w = temperatures[reg - 0x29];
    if (!w.connected) return 0x80;
    return static_cast<uint8_t>(static_cast<int8_t>(std::clamp(std::lround(w.At(now)), -127L, 126L)));
  }
  for (int k = 0; k < 5; ++k) {
    if (reg != kFanLow[k] && reg != kFanHigh[k]) continue;
    double rpm = fans[k].At(now);
    long count = rpm > 0 ? std::clamp(std::lround(1350000.0 / (2.0 * rpm)), 1L, 0xFFFEL) : 0xFFFF;
    return reg == kFanHigh[k] ? static_cast<uint8_t>(count >> 8) : static_cast<uint8_t>(count);
  }
  return regs_[reg];
}

bool IteIt87Monitor::PortRead(uint16_t offset, int, uint32_t* value) {
  *value = offset == 0 ? index_ : Read(index_);
  return true;
}

bool IteIt87Monitor::PortWrite(uint16_t offset, int, uint32_t value) {
  if (offset == 0) index_ = static_cast<uint8_t>(value);
  else if (index_ != 0x58 && index_ != 0x5B) regs_[index_] = static_cast<uint8_t>(value);
  return true;
}

std::shared_ptr<IteIt87Monitor> IteIt87Monitor::Attach(EmulatedMachine& m, uint16_t monitorBase) {
  auto chip = std::make_shared<IteIt87Monitor>(m.Time());
  m.AddPortDevice(static_cast<uint16_t>(monitorBase + kIndexOffset), 2, chip);
  return chip;
}

}  // namespace emu
