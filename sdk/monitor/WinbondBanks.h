// Winbond/Nuvoton hardware monitors bank their registers above 0x4F: the
// bank number goes to register 0x4E (bits 2:0) first. Registers are written
// here as bank << 8 | offset.
#pragma once

#include <cstdint>

#include "sdk/monitor/CHardwareMonitor.h"

inline constexpr uint8_t kWinbondRegBank = 0x4E;

// Reads `reg` (bank << 8 | offset), selecting its bank only when it is not
// the one selected already: a refresh selects each bank it needs once, not
// once per register. Bank 0 registers below 0x50 are shared by every bank.
inline int ReadBankedReg(CHardwareMonitor& m, uint16_t reg, uint8_t* value) {
  const uint8_t offset = static_cast<uint8_t>(reg);
  const int bank = reg >> 8;
  const bool needsBank = offset >= 0x50 || bank != 0 || m.selectedBank > 0;
  if (needsBank && m.selectedBank != bank) {
    if (!m.WriteReg(kWinbondRegBank, static_cast<uint8_t>(bank))) {
      m.selectedBank = -1;
      *value = 0xFF;
      return 0;
    }
    m.selectedBank = bank;
  }
  return m.ReadReg(offset, value);
}

// Leaves the chip in bank 0, where firmware and other programs expect it,
// at the end of a refresh.
inline void RestoreBankZero(CHardwareMonitor& m) {
  if (m.selectedBank > 0) m.WriteReg(kWinbondRegBank, 0x00);
  m.selectedBank = -1;
}

// Fan divisor 2^n from the bits W83627HF/EHF keep in 0x47, 0x4B and 0x5D
// (data sheets, "Fan Divisor Register" and "VBAT Monitor Control Register").
inline int WinbondFanDivisorShift(CHardwareMonitor& m, int fan) {
  uint8_t r47, r4b, r5d;
  ReadBankedReg(m, 0x47, &r47);
  ReadBankedReg(m, 0x4B, &r4b);
  ReadBankedReg(m, 0x5D, &r5d);
  int low = fan == 0 ? (r47 >> 4) & 3 : fan == 1 ? (r47 >> 6) & 3 : (r4b >> 6) & 3;
  int high = (r5d >> (5 + fan)) & 1;
  return low | high << 2;
}
