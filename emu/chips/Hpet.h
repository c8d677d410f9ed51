// The chipset's high-precision event timer: capabilities, configuration and
// the 64-bit main counter at 14.31818 MHz on the machine's time base.
#pragma once

#include "emu/Devices.h"
#include "emu/TimeBase.h"

namespace emu {

class Hpet : public MmioDevice {
 public:
  static constexpr uint64_t kBase = 0xFED00000;
  static constexpr uint64_t kSize = 0x400;
  static constexpr uint32_t kPeriodFs = 69841279;  // 10^15 / 14318180

  explicit Hpet(TimeBase& time) : time_(time), counter_(1e15 / kPeriodFs, time.NowNs()) {}

  bool MmioRead(uint64_t offset, int width, uint32_t* value) override;
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override;

 private:
  uint64_t Register(uint64_t offset) const;

  TimeBase& time_;
  RateCounter counter_;
  bool enabled_ = true;  // the operating system started it
};

}  // namespace emu
