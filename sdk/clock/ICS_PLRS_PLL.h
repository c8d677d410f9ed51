// The block-image synthesisers of the ICS 9PLRS1xx generators: one register
// image read with an SMBus block read of register 0, an 11-bit multiplier N
// whose bit 0 has no place in the registers, a 6-bit divider M, copies of
// the N byte, and an enable bit that hands the synthesiser to software.
// Frequency = reference × N / M.
#pragma once

#include <cstdint>

#include "sdk/clock/CPLL.h"

class ICS_PLRS_PLL : public CPLL {
 public:
  // Where one synthesiser's fields sit in the image.
  struct Layout {
    int mByte;             // bits 5:0 M, bits 7:6 N bits 2:1
    int nByte;             // N bits 10:3
    int copies[3];         // copies of the N byte
    int enableByte;        // software-control enable
    uint8_t enableMask;
    int byteCount;         // bytes the synthesiser needs; set in byte 8 when fewer come back
    int writeStart;        // partial write when already enabled: first register
    int writeLength;       //   and length
    int searchStartM;      // preferred divider of the search; 0 = the M last read
  };
  static constexpr int kBufferSize = 64;
  static constexpr int kMaxN = 2000;
  static constexpr int kMaxM = 63;
  static constexpr int kFullWriteLength = 29;
  static constexpr int kByteCountRegister = 8;

  ICS_PLRS_PLL(uint32_t pllId, uint32_t pllKind, const char* pllName, float referenceMHz, const Layout& layout);

  int Read() override;
  int SetFrequency(float mhz) override;
  int Apply() override;

  // The pending values of the last successful SetFrequency (-1 before).
  int PendingN() const { return pendingN_; }
  int PendingM() const { return pendingM_; }
  // Bytes the chip reported on the last block read (-1 before).
  int ReadCount() const { return readCount_; }
  // Writes Apply() sent since construction (tests and diagnostics).
  int WritesSent() const { return writes_; }

 protected:
  // Builds the output list after a successful read.
  virtual void MakeOutputs() = 0;
  // The processor-clock output: the divider between this PLL and the
  // measured bus clock, found once while both agree and kept afterwards (a
  // read after a ramp must not divide by a bus clock measured before it).
  void MakeCpuOutput();

  const Layout& layout_;

 private:
  int pendingN_ = -1, pendingM_ = -1;
  int writes_ = 0;
  int cpuDivider_ = 0;
};
