// Silego SLG505YC264B clock generator (SMBus 0x69). Its processor clock is
// a linear function of N around a base frequency that the board's strap
// pins choose (byte 0 bits 7:5), with a step per N count that also depends
// on bit 6 of byte 1.
#pragma once

#include "sdk/clock/CPLL.h"

inline constexpr uint32_t kPLLId_SLG505YC264B = 0x40505264;

class SLG505YC264B_CPU_PLL : public CPLL {
 public:
  static constexpr int kBufferSize = 256;
  static constexpr int kByteCountRegister = 12;
  static constexpr int kMaxN = 1023;  // byte 16 and bits 7:6 of byte 15

  SLG505YC264B_CPU_PLL();
  int Read() override;
  int SetFrequency(float mhz) override;
  int Apply() override;

  int PendingN() const { return pendingN_; }
  int WritesSent() const { return writes_; }

  // The frequency model of the strap.
  float baseFrequency = -1.0f;
  float stepPerN = -1.0f;
  int baseN = -1;

 private:
  int pendingN_ = -1;
  int writes_ = 0;
};
