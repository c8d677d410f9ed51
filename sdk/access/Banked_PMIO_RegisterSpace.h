// Power-management I/O registers in banks: the low nibble of the byte at
// `bankReg` selects the bank. Bank 0xFF means "the bank that is selected".
#pragma once

#include "sdk/access/CRegisterSpace.h"

class Banked_PMIO_RegisterSpace : public CRegisterSpace {
 public:
  Banked_PMIO_RegisterSpace(CIOSpace* window, uint32_t bankRegister)
      : CRegisterSpace(REGSPACE_BANKED_PMIO, window), bankReg(bankRegister) {}
  virtual int Read(uint32_t bank, uint32_t reg, uint8_t* value);
  virtual int Write(uint32_t bank, uint32_t reg, uint8_t value);

  static constexpr uint32_t kCurrentBank = 0xFF;
  uint32_t bankReg;

 private:
  int SelectBank(uint32_t bank);
};
