// Winbond/Nuvoton hardware monitors bank their registers above 0x4F: the
// bank number goes to register 0x4E (bits 2:0) first. Registers are written
// here as bank << 8 | offset; bank 0 registers below 0x50 need no select.
#pragma once

#include <cstdint>

#include "sdk/monitor/CHardwareMonitor.h"

inline constexpr uint8_t kWinbondRegBank = 0x4E;

inline int ReadBankedReg(CHardwareMonitor& m, uint16_t reg, uint8_t* value) {
  uint8_t offset = static_cast<uint8_t>(reg);
  if (offset >= 0x50 || (reg >> 8) != 0) {
    if (!m.WriteReg(kWinbondRegBank, static_cast<uint8_t>(reg >> 8))) {
      *value = 0xFF;
      return 0;
    }
  }
  int ok = m.ReadReg(offset, value);
  if (offset >= 0x50 || (reg >> 8) != 0) m.WriteReg(kWinbondRegBank, 0x00);
  return ok;
}

// Fan divisor 2^n from the bits W83627HF/EHF keep in 0x47, 0x4B and 0x5D
// (data sheets, "Fan Divisor Register" and "VBAT Monitor Control Register").
inline int WinbondFanDivisorShift(CHardwareMonitor& m, int fan) {
  uint8_t r47, r4b, r5d;
  m.ReadReg(0x47, &r47);
  m.ReadReg(0x4B, &r4b);
  m.ReadReg(0x5D, &r5d);
  int low = fan == 0 ? (r47 >> 4) & 3 : fan == 1 ? (r47 >> 6) & 3 : (r4b >> 6) & 3;
  int high = (r5d >> (5 + fan)) & 1;
  return low | high << 2;
}
