// The display controller's I2C engine of ATI R6xx and R7xx chips (RV6xx,
// RV770: "DC_I2C"), as the radeonhd driver and the chips' register
// reference describe it. The engine runs up to four transactions from a
// data buffer of address and data bytes:
//
//   0x7D30 DC_I2C_CONTROL: bit 0 GO, bit 1 soft reset, bits 10:8 the DDC
//          line, bits 21:20 the number of transactions minus one
//   0x7D34 DC_I2C_ARBITRATION, 0x7D38 DC_I2C_INTERRUPT_CONTROL (bit 1
//          acknowledges "done")
//   0x7D3C DC_I2C_SW_STATUS: bit 2 done; bits 4 aborted, 5 time-out,
//          8 stopped on NACK, 12 transaction 0 not acknowledged
//   0x7D4C + 8 n / 0x7D50 + 8 n  DDC n speed (prescale in bits 31:16) and
//          setup
//   0x7D64 / 0x7D68 DC_I2C_TRANSACTION0/1: bit 0 read, bit 8 stop on NACK,
//          bit 12 START, bit 13 STOP, bits 23:16 the byte count
//   0x7D74 DC_I2C_DATA: bit 31 sets the buffer index (bits 23:16), bit 0
//          selects reading; the byte in bits 15:8
//
// Before a transaction the line's pads are handed to the engine: its GPIO
// mask, output and enable registers (0x7E40 + 0x10 n, + 4, + 8) are cleared.
// Reads only (the space offers no write).
#pragma once

#include <cstdint>

#include "sdk/graphics/CI2CRegisterSpace.h"

class ATI_R6XX_I2CRegisterSpace : public CI2CRegisterSpace {
 public:
  static constexpr int kPorts = 3;
  static constexpr uint32_t kControl = 0x7D30, kArbitration = 0x7D34, kInterruptControl = 0x7D38;
  static constexpr uint32_t kStatus = 0x7D3C, kSpeed = 0x7D4C, kSetup = 0x7D50;
  static constexpr uint32_t kTransaction0 = 0x7D64, kTransaction1 = 0x7D68, kData = 0x7D74;
  static constexpr uint32_t kGpioMask = 0x7E40;
  static constexpr uint32_t kStatusDone = 0x4;
  static constexpr uint32_t kStatusFailed = 0x1000 | 0x100 | 0x10 | 0x20;
  static constexpr int kPolls = 1000;

  // `window` is the adapter's register aperture.
  explicit ATI_R6XX_I2CRegisterSpace(CIOSpace* window);

  // Address for writing and the register byte, then the address for reading
  // and one byte back.
  int ReadByte(int port, int address, uint8_t reg, uint8_t* value) override;

 private:
  bool Mask(uint32_t offset, uint32_t value, uint32_t mask);
  bool Run(int port, int address, uint8_t reg, uint8_t* value);
};
