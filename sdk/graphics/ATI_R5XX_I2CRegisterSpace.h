// The display controller's I2C engine of ATI R5xx chips (AVIVO "DC_I2C"),
// as the radeonhd driver drives it: one transfer at a time from a byte
// FIFO.
//
//   0x7D30 DC_I2C_STATUS1: bit 0 done, 1 not acknowledged, 2 halted (bits
//          0-2 clear when written with 1), bit 3 GO (busy until the
//          transfer ends)
//   0x7D34 DC_I2C_RESET: bit 0 soft reset
//   0x7D38 DC_I2C_CONTROL1: bit 0 START, 1 STOP, 2 RECEIVE, 8 enable, the
//          DDC line in bits 17:16
//   0x7D3C DC_I2C_CONTROL2: address bytes in bits 2:0, data bytes in bits
//          11:8, prescale in bits 31:16
//   0x7D40 DC_I2C_CONTROL3: bits 31:24 time limit
//   0x7D44 DC_I2C_DATA: the FIFO
//   0x7D50 DC_I2C_ARBITRATION: bit 0 software wants the engine, bit 1 it
//          may use it, bit 8 software is done with it
//
// A read is the address for writing with the register byte, then a second
// transfer with the address for reading that receives one byte. Reads only.
#pragma once

#include <cstdint>

#include "sdk/graphics/CI2CRegisterSpace.h"

class ATI_R5XX_I2CRegisterSpace : public CI2CRegisterSpace {
 public:
  static constexpr int kPorts = 3;
  static constexpr uint32_t kStatus = 0x7D30, kReset = 0x7D34, kControl1 = 0x7D38, kControl2 = 0x7D3C;
  static constexpr uint32_t kControl3 = 0x7D40, kData = 0x7D44, kArbitration = 0x7D50;
  static constexpr int kPolls = 1000;

  explicit ATI_R5XX_I2CRegisterSpace(CIOSpace* window);

  int ReadByte(int port, int address, uint8_t reg, uint8_t* value) override;

 private:
  bool Mask(uint32_t offset, uint32_t value, uint32_t mask);
  // One transfer of the bytes already in the FIFO; true when it is done.
  bool Transfer(uint32_t control1, int dataBytes);
};
