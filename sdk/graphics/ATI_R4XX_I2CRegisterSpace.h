// The hardware I2C engines of ATI R1xx-R4xx chips, as the Linux radeon
// driver drives them (r100_hw_i2c_xfer): one transfer at a time from a byte
// FIFO. Port 0 is the engine at 0x90 (I2C_CNTL_0, I2C_CNTL_1, I2C_DATA);
// ports 1 to 3 are the DVI engine at 0x2E0 with its pin select (bits 4:3
// of its CNTL_0) on DDC1, DDC2 or DDC3.
//
//   CNTL_0: bit 0 done, 1 not acknowledged, 2 halted, 5 soft reset,
//           6 drive enable, 8 START, 9 STOP, 10 RECEIVE, 12 GO (busy until
//           the transfer ends), bits 31:16 the prescaler pair (n << 8 | n - 1)
//   CNTL_1: bits 3:0 data bytes, 7:4 address bytes, 16 select, 17 enable,
//           bits 31:24 time limit
//
// The prescaler comes from the engine's reference clock (SetupClock). Reads
// only.
#pragma once

#include <cstdint>

#include "sdk/graphics/CI2CRegisterSpace.h"

class ATI_R4XX_I2CRegisterSpace : public CI2CRegisterSpace {
 public:
  static constexpr int kPorts = 4;
  static constexpr uint32_t kMonitorEngine = 0x90, kDviEngine = 0x2E0;
  static constexpr int kPolls = 1000;
  static constexpr int kDefaultReferenceKHz = 27000;

  // `referenceKHz`: the engine clock the video BIOS gives (kHz).
  ATI_R4XX_I2CRegisterSpace(CIOSpace* window, int referenceKHz);

  int ReadByte(int port, int address, uint8_t reg, uint8_t* value) override;
  // The first consecutive pair n, n - 1 from 25, 24 upward whose product
  // exceeds the reference clock / 320; the bus time limit is 2 n.
  int SetupClock() override;

  int prescale = -1, divLow = -1, divHigh = -1;
  int referenceClock;

 private:
  // One transfer of the bytes already in the FIFO; true when it is done.
  bool Transfer(uint32_t engine, uint32_t command);
};
