// The chipset's ACPI power-management I/O block: PM1 status/enable/control
// and the 24-bit power-management timer at offset 8, counting at 3.579545 MHz
// on the machine's time base.
#pragma once

#include "driver/DriverProtocol.h"
#include "emu/Devices.h"
#include "emu/TimeBase.h"

namespace emu {

class AcpiPmBlock : public PortDevice {
 public:
  static constexpr double kTimerHz = drv::kPmTimerHz;
  static constexpr uint16_t kSize = 0x80;

  explicit AcpiPmBlock(TimeBase& time) : time_(time), timer_(kTimerHz, time.NowNs()) {}

  bool PortRead(uint16_t offset, int width, uint32_t* value) override;
  bool PortWrite(uint16_t offset, int width, uint32_t value) override;

 private:
  TimeBase& time_;
  RateCounter timer_;
  uint8_t regs_[kSize] = {};
};

}  // namespace emu
