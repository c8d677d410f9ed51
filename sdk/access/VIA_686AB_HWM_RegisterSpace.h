// The hardware-monitor registers of the VT82C686A/B south bridge. A read
// first touches the configuration register at 0x40 and sets its start bit,
// which makes the monitor latch fresh readings.
#pragma once

#include "sdk/access/CRegisterSpace.h"

class VIA_686AB_HWM_RegisterSpace : public CRegisterSpace {
 public:
  explicit VIA_686AB_HWM_RegisterSpace(CIOSpace* window) : CRegisterSpace(REGSPACE_VIA_686AB_HWM, window) {}
  // Always reports success (the chip gives no sign of failure).
  virtual int Read(uint32_t reg, uint8_t* value);

  static constexpr uint32_t kConfig = 0x40;
};
