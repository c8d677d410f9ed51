#include "emu/chips/ImcSmbusFunction.h"

#include "emu/smbus/SmbusBus.h"

namespace emu {

ImcSmbusFunction::ImcSmbusFunction(uint8_t bus, uint32_t controlAtBoot)
    : PciFunction(bus, 15, 0, 0x8086, 0x3CA8, 0x08800000, 0x80) {
  express = true;
  for (int c = 0; c < 2; ++c) {
    buses_[c] = std::make_shared<SmbusBus>();
    const uint32_t base = c * kStride;
    Set32(kStatus + base, 0);
    Set32(kCommand + base, 0);
    Set32(kControl + base, controlAtBoot);
    // Status is read-only but for SBE; command and control are handled in
    // ConfigWrite.
    SetWritable(kStatus + base, 4, 0x00);
  }
}

void ImcSmbusFunction::ConfigWrite(uint32_t offset, int width, uint32_t value) {
  const uint32_t reg = offset & ~3u;
  for (int c = 0; c < 2; ++c) {
    const uint32_t base = c * kStride;
    if (reg != kStatus + base && reg != kCommand + base && reg != kControl + base) continue;
    // A narrower write replaces its bytes of the register.
    const int shift = static_cast<int>(offset - reg) * 8;
    const uint32_t mask = width == 4 ? 0xFFFFFFFFu : ((1u << (width * 8)) - 1) << shift;
    const uint32_t written = (Get32(reg) & ~mask) | ((value << shift) & mask);
    if (reg == kStatus + base) {
      // Writing 0 to SBE clears it; nothing else in the register is writable.
      if ((mask & kSbe) && !(written & kSbe)) Set32(reg, Get32(reg) & ~kSbe);
    } else if (reg == kControl + base) {
      // The write-disable bit is the firmware's lock: software cannot clear it.
      Set32(reg, (written & ~kWriteDisable) | (Get32(reg) & kWriteDisable));
    } else {
      Set32(reg, written & ~kTrigger);
      if ((mask & kTrigger) && (written & kTrigger)) Execute(c, written);
    }
    return;
  }
  PciFunction::ConfigWrite(offset, width, value);
}

void ImcSmbusFunction::Execute(int c, uint32_t command) {
  const uint32_t base = c * kStride;
  const uint32_t control = Get32(kControl + base);
  const uint8_t address = static_cast<uint8_t>((control >> 28) << 3 | ((command >> 24) & 7));
  const uint8_t reg = static_cast<uint8_t>(command >> 16);
  const bool word = command & kWord;
  const uint32_t type = (command >> 27) & 3;
  uint32_t status = 0;
  SmbusSlave* slave = (control & kClockRunning) ? buses_[c]->Find(address) : nullptr;
  bool ok = false;
  if (slave && type == 0) {
    if (word) {
      uint16_t v = 0;
      // The controller keeps the first byte on the wire in bits 15:8.
      ok = slave->ReadWordData(reg, &v);
      if (ok) status = kRdo | static_cast<uint16_t>(v << 8 | v >> 8);
    } else {
      uint8_t v = 0;
      ok = slave->ReadByteData(reg, &v);
      if (ok) status = kRdo | v;
    }
  } else if (slave && type == 1 && !(control & kWriteDisable)) {
    const uint16_t data = static_cast<uint16_t>(command);
    ok = word ? slave->WriteWordData(reg, static_cast<uint16_t>(data << 8 | data >> 8))
              : slave->WriteByteData(reg, static_cast<uint8_t>(data));
    if (ok) status = kWod;
  }
  Set32(kStatus + base, ok ? status : kSbe);
}

}  // namespace emu
