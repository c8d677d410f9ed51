// The register aperture of an ATI R5xx chip with its display controller's
// I2C engine (AVIVO "DC_I2C", radeonhd's r5xx register set): plain
// registers as GpuRegisterFile keeps them, and the engine behind
// 0x7D30-0x7D50 moving one transfer from its byte FIFO when GO is set.
// Each DDC line carries SMBus-style slaves. A line whose pads the GPIO
// block still holds (non-zero mask at 0x7E40 + 0x10 n) cannot be driven:
// the transfer halts.
//
//   STATUS1 0x7D30: bit 0 done, 1 NACK, 2 halt (write 1 to clear), bit 3 GO
//   RESET 0x7D34: bit 0 soft reset (empties the FIFO, clears the status)
//   CONTROL1 0x7D38: bit 0 START, 1 STOP, 2 RECEIVE, 8 enable, bits 17:16 line
//   CONTROL2 0x7D3C: bits 2:0 address bytes, 11:8 data bytes
//   DATA 0x7D44: writes fill the FIFO, reads empty it
//   ARBITRATION 0x7D50: bit 0 software wants the engine; bit 1 granted
//     while it does (the hardware never needs it here); bit 8 done using it
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>

#include "emu/gpu/GpuRegisterFile.h"
#include "emu/smbus/SmbusSlave.h"

namespace emu {

class RadeonAvivoI2c : public GpuRegisterFile {
 public:
  static constexpr int kLines = 3;

  void Attach(int line, uint8_t address, std::shared_ptr<SmbusSlave> device) {
    lines_[static_cast<size_t>(line)][address] = std::move(device);
  }
  int Transfers() const { return transfers_; }

  bool MmioRead(uint64_t offset, int width, uint32_t* value) override;
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override;

 private:
  void Go();

  std::array<std::map<uint8_t, std::shared_ptr<SmbusSlave>>, kLines> lines_;
  std::deque<uint8_t> fifo_;
  SmbusSlave* device_ = nullptr;
  uint8_t pointer_ = 0;
  int transfers_ = 0;
};

}  // namespace emu
