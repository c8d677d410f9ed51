#include "emu/chips/WinbondW83627DhgMonitor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "emu/DumpLoader.h"
#include "emu/EmulatedMachine.h"
#include "emu/TimeBase.h"

namespace emu {

WinbondW83627DhgMonitor::WinbondW83627DhgMonitor(TimeBase& time) : time_(time) {
  frozen_.fill(-1);
  regs_[0x40] = 0x01;  // start monitoring
  regs_[0x47] = 0xF0;  // fan 1 and 2 divisor bits 1:0 = 3
  regs_[0x4B] = 0xC0;  // fan 3 divisor bits 1:0 = 3
  regs_[0x4C] = 0x00;
  regs_[0x4E] = 0x80;  // power-on: bank 0, high byte of the vendor id
  regs_[0x58] = 0xC1;
  regs_[0x59] = 0x0F;  // fans 4 and 5 divisor bits 1:0 = 3
  regs_[0x5D] = 0x00;  // divisor bit 2 clear for fans 1-3
}

bool WinbondW83627DhgMonitor::LoadDump(const RegisterDump& dump, std::string* error) {
  int bankSelect = dump.values[0x4E];
  if (bankSelect >= 0 && (bankSelect & 0x07) != 0) {
    if (error) {
      char text[200];
      std::snprintf(text, sizeof(text),
                    "the dump was taken with bank %d selected (register 0x4E = 0x%02X): its 0x50-0x5F are bank %d's; "
                    "dump the chip with bank 0 selected",
                    bankSelect & 0x07, bankSelect, bankSelect & 0x07);
      *error = text;
    }
    return false;
  }
  for (int r = 0; r < 256; ++r) frozen_[r] = dump.values[r] >= 0 ? dump.values[r] : 0xFF;
  if (bankSelect >= 0) regs_[0x4E] = static_cast<uint8_t>(bankSelect);
  dumpLoaded_ = true;
  return true;
}

uint8_t WinbondW83627DhgMonitor::FanCount(int k, uint64_t now) const {
  double rpm = fans[k].At(now);
  if (rpm <= 0) return 0xFF;
  return static_cast<uint8_t>(std::clamp(std::lround(1350000.0 / (rpm * kFanDivisor)), 1L, 0xFEL));
}

uint8_t WinbondW83627DhgMonitor::Read(uint8_t bank, uint8_t reg) const {
  uint64_t now = time_.NowNs();
  auto volts = [&](const Waveform& w) -> uint8_t {
    if (!w.connected) return 0x00;
    return static_cast<uint8_t>(std::clamp(std::lround(w.At(now) / kVoltStep), 1L, 254L));
  };
  auto halfDegrees = [&](const Waveform& w, bool high) -> uint8_t {
    if (!w.connected) return high ? 0x80 : 0x00;
    long half = std::clamp(std::lround(w.At(now) * 2), -254L, 252L);
    return high ? static_cast<uint8_t>(static_cast<int8_t>(half >> 1)) : static_cast<uint8_t>((half & 1) << 7);
  };
  if (reg == 0x4E) return regs_[0x4E];
  if (reg == 0x4F) return (regs_[0x4E] & 0x80) ? 0x5C : 0xA3;
  if (reg < 0x50 || bank == 0) {
    if (frozen_[reg] >= 0) return static_cast<uint8_t>(frozen_[reg]);
    if (reg >= 0x20 && reg <= 0x26) return volts(pins[reg - 0x20]);
    if (reg == 0x27) return temperatures[0].connected ? halfDegrees(temperatures[0], true) : 0x80;
    if (reg >= 0x28 && reg <= 0x2A) return FanCount(reg - 0x28, now);
    if (reg == 0x3F) return FanCount(3, now);
    return regs_[reg];
  }
  if (dumpLoaded_) return 0xFF;  // the dump holds bank 0 only
  if ((bank == 1 || bank == 2) && (reg == 0x50 || reg == 0x51)) return halfDegrees(temperatures[bank], reg == 0x50);
  if (bank == 5 && reg >= 0x50 && reg <= 0x52) return volts(pins[7 + reg - 0x50]);
  if (bank == 5 && reg == 0x53) return FanCount(4, now);
  return 0x00;
}

bool WinbondW83627DhgMonitor::PortRead(uint16_t offset, int, uint32_t* value) {
  *value = offset == 0 ? index_ : Read(regs_[0x4E] & 0x07, index_);
  return true;
}

bool WinbondW83627DhgMonitor::PortWrite(uint16_t offset, int, uint32_t value) {
  if (offset == 0) {
    index_ = static_cast<uint8_t>(value);
  } else if ((regs_[0x4E] & 0x07) == 0 || index_ < 0x50) {
    if (index_ != 0x4F && index_ != 0x58) regs_[index_] = static_cast<uint8_t>(value);
  }
  return true;
}

std::shared_ptr<WinbondW83627DhgMonitor> WinbondW83627DhgMonitor::Attach(EmulatedMachine& m, uint16_t monitorBase) {
  auto chip = std::make_shared<WinbondW83627DhgMonitor>(m.Time());
  m.AddPortDevice(static_cast<uint16_t>(monitorBase + kIndexOffset), 2, chip);
  return chip;
}

}  // namespace emu
