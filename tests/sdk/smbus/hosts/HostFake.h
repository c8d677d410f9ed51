// A register-level fake of an SMBus host on a bare virtual-time machine,
// reached through a window that is not a port window: the class's own
// register sequence runs (never the driver's in-kernel read) and only the
// class's waits move the clock.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "emu/Devices.h"
#include "sdk/access/CIOSpace.h"
#include "tests/support/EmulatedSdk.h"

namespace hosttest {

// 64 byte registers, little-endian for wider accesses; a read that touches
// a register in `failing` fails. `onWrite` sees each
// byte written after it is stored; `onRead` may replace what a read gives.
// Every access is logged for the sequence checks.
class RegisterFake : public emu::PortDevice {
 public:
  struct Access {
    bool write;
    uint16_t reg;
    uint8_t value;
  };
  bool PortRead(uint16_t offset, int width, uint32_t* value) override {
    uint32_t v = 0;
    for (int i = 0; i < width; ++i) {
      uint16_t reg = (offset + i) & 63;
      if (failing.count(reg)) return false;
      uint32_t b = regs[reg];
      if (onRead) onRead(reg, &b);
      ++reads[reg];
      log.push_back({false, reg, static_cast<uint8_t>(b)});
      v |= (b & 0xFF) << (8 * i);
    }
    *value = v;
    return true;
  }
  bool PortWrite(uint16_t offset, int width, uint32_t value) override {
    for (int i = 0; i < width; ++i) {
      uint16_t reg = (offset + i) & 63;
      uint8_t b = static_cast<uint8_t>(value >> (8 * i));
      uint8_t before = regs[reg];
      regs[reg] = b;
      log.push_back({true, reg, b});
      if (onWrite) onWrite(reg, b, before);
    }
    return true;
  }
  // Writes to `reg` logged after the `from`-th access.
  int WritesTo(uint16_t reg, size_t from = 0) const {
    int n = 0;
    for (size_t i = from; i < log.size(); ++i) n += log[i].write && log[i].reg == reg;
    return n;
  }
  int Writes(size_t from) const {
    int n = 0;
    for (size_t i = from; i < log.size(); ++i) n += log[i].write;
    return n;
  }
  // Index just past the last write of `value` to `reg` (0 when none).
  size_t After(uint16_t reg, uint8_t value) const {
    for (size_t i = log.size(); i-- > 0;)
      if (log[i].write && log[i].reg == reg && log[i].value == value) return i + 1;
    return 0;
  }

  uint8_t regs[64] = {};
  std::map<uint16_t, int> reads;
  std::set<uint16_t> failing;  // registers whose reads fail
  std::vector<Access> log;
  std::function<void(uint16_t reg, uint8_t value, uint8_t before)> onWrite;
  std::function<void(uint16_t reg, uint32_t* value)> onRead;
};

class DirectWindow : public CIOSpace {
 public:
  explicit DirectWindow(emu::PortDevice* d) : CIOSpace(IOSPACE_MEMORY, 0, 0x700, 64), dev_(d) {}
  int Read8(uint32_t o, uint8_t* v) override { return Get(o, 1, v); }
  int Read16(uint32_t o, uint16_t* v) override { return Get(o, 2, v); }
  int Read32(uint32_t o, uint32_t* v) override { return Get(o, 4, v); }
  int Write8(uint32_t o, uint8_t v) override { return dev_->PortWrite(static_cast<uint16_t>(o), 1, v); }
  int Write16(uint32_t o, uint16_t v) override { return dev_->PortWrite(static_cast<uint16_t>(o), 2, v); }
  int Write32(uint32_t o, uint32_t v) override { return dev_->PortWrite(static_cast<uint16_t>(o), 4, v); }

 private:
  template <typename T>
  int Get(uint32_t o, int width, T* v) {
    uint32_t x = 0;
    if (!dev_->PortRead(static_cast<uint16_t>(o), width, &x)) return 0;
    *v = static_cast<T>(x);
    return 1;
  }
  emu::PortDevice* dev_;
};

// Virtual milliseconds since construction.
class Clock {
 public:
  explicit Clock(emu::EmulatedMachine& m) : m_(m), start_(m.Time().NowNs()) {}
  uint64_t Ms() const { return (m_.Time().NowNs() - start_) / 1000000; }

 private:
  emu::EmulatedMachine& m_;
  uint64_t start_;
};

}  // namespace hosttest
