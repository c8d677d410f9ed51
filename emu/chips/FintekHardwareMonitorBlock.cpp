#include "emu/chips/FintekHardwareMonitorBlock.h"

#include <algorithm>
#include <cmath>

#include "emu/DumpLoader.h"
#include "emu/EmulatedMachine.h"
#include "emu/TimeBase.h"

namespace emu {

FintekHardwareMonitorBlock::FintekHardwareMonitorBlock(TimeBase& time, bool fourthFan)
    : time_(time), fourthFan_(fourthFan) {
  frozen_.fill(-1);
  regs_[0x01] = 0x03;  // start monitoring, fan control
  for (uint8_t pwm : {0xA3, 0xB3, 0xC3, 0xD3}) regs_[pwm] = 0xFF;
  regs_[0x5A] = 0x19;  // vendor id as the block reports it (0x5A/0x5B)
  regs_[0x5B] = 0x34;
}

bool FintekHardwareMonitorBlock::LoadDump(const RegisterDump& dump, std::string*) {
  for (int r = 0; r < 256; ++r) frozen_[r] = dump.values[r] >= 0 ? dump.values[r] : 0xFF;
  return true;
}

uint8_t FintekHardwareMonitorBlock::Read(uint8_t reg) const {
  if (frozen_[reg] >= 0) return static_cast<uint8_t>(frozen_[reg]);
  uint64_t now = time_.NowNs();
  if (reg >= 0x20 && reg <= 0x28) {
    const Waveform& w = pins[reg - 0x20];
    if (!w.connected) return 0x00;
    return static_cast<uint8_t>(std::clamp(std::lround(w.At(now) / 0.008), 1L, 254L));
  }
  if (reg == 0x72 || reg == 0x74 || reg == 0x76) {
    const Waveform& w = temperatures[(reg - 0x72) / 2];
    if (!w.connected) return 0x80;
    return static_cast<uint8_t>(static_cast<int8_t>(std::clamp(std::lround(w.At(now)), -127L, 126L)));
  }
  for (int k = 0; k < 4; ++k) {
    uint8_t hi = static_cast<uint8_t>(0xA0 + 0x10 * k);
    if (reg != hi && reg != hi + 1) continue;
    if (k == 3 && !fourthFan_) return 0x00;
    double rpm = fans[k].At(now);
    long count = rpm > 0 ? std::clamp(std::lround(1500000.0 / rpm), 1L, 0x0FFEL) : 0x0FFF;
    return reg == hi ? static_cast<uint8_t>(count >> 8) : static_cast<uint8_t>(count);
  }
  return regs_[reg];
}

bool FintekHardwareMonitorBlock::PortRead(uint16_t offset, int, uint32_t* value) {
  *value = offset == 0 ? index_ : Read(index_);
  return true;
}

bool FintekHardwareMonitorBlock::PortWrite(uint16_t offset, int, uint32_t value) {
  if (offset == 0) index_ = static_cast<uint8_t>(value);
  else regs_[index_] = static_cast<uint8_t>(value);
  return true;
}

std::shared_ptr<FintekHardwareMonitorBlock> FintekHardwareMonitorBlock::Attach(EmulatedMachine& m,
                                                                              uint16_t monitorBase,
                                                                              bool fourthFan) {
  auto block = std::make_shared<FintekHardwareMonitorBlock>(m.Time(), fourthFan);
  m.AddPortDevice(static_cast<uint16_t>(monitorBase + kIndexOffset), 2, block);
  return block;
}

}  // namespace emu
