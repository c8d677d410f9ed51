// The register aperture of an ATI R6xx/R7xx chip with its display
// controller's I2C engine ("DC_I2C", radeonhd's r6xx register set): plain
// registers as GpuRegisterFile keeps them, and the engine behind
// 0x7D30-0x7D74 running its transactions on the card's DDC lines when GO is
// set. Each line carries SMBus-style slaves (byte registers behind a
// register pointer). A line whose pads are still held by the GPIO block
// (non-zero mask at 0x7E40 + 0x10 n) cannot be driven: the transaction
// times out.
//
//   CONTROL 0x7D30: bit 0 GO (self-clearing), bit 1 soft reset (clears the
//     status), bits 10:8 line, bits 21:20 transactions - 1
//   INTERRUPT_CONTROL 0x7D38: writing bit 1 acknowledges "done"
//   SW_STATUS 0x7D3C: bit 2 done, 5 time-out, 8 stopped on NACK, 12 + t
//     transaction t not acknowledged
//   TRANSACTION0..3 0x7D64..: bit 0 read, 8 stop on NACK, 12 START, 13 STOP,
//     bits 23:16 count
//   DATA 0x7D74: bit 31 with bits 23:16 sets the index; bit 0 clear stores
//     bits 15:8 there (index + 1), set selects reading; a read returns the
//     byte at the index in bits 15:8 (index + 1)
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>

#include "emu/gpu/GpuRegisterFile.h"
#include "emu/smbus/SmbusSlave.h"

namespace emu {

class RadeonDcI2c : public GpuRegisterFile {
 public:
  static constexpr int kLines = 4;

  void Attach(int line, uint8_t address, std::shared_ptr<SmbusSlave> device) {
    lines_[static_cast<size_t>(line)][address] = std::move(device);
  }
  // Transactions the engine ran (GO), for tests.
  int Runs() const { return runs_; }

  bool MmioRead(uint64_t offset, int width, uint32_t* value) override;
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override;

 private:
  void Go();

  std::array<std::map<uint8_t, std::shared_ptr<SmbusSlave>>, kLines> lines_;
  std::array<uint8_t, 256> buffer_{};
  int index_ = 0;
  int runs_ = 0;
};

}  // namespace emu
