// The register aperture of an ATI R1xx-R4xx chip with its two hardware I2C
// engines (the Linux radeon driver's r100_hw_i2c_xfer register set): the
// monitor engine at 0x90 on DDC line 0 and the DVI engine at 0x2E0 whose pin
// select (bits 4:3 of its CNTL_0) picks lines 1-3. Each engine moves one
// transfer from its byte FIFO when GO is written:
//
//   CNTL_0 (+0): bits 0-2 done / NACK / halt (written 1: cleared), 5 soft
//     reset (empties the FIFO), 8 START, 9 STOP, 10 RECEIVE, 12 GO
//   CNTL_1 (+4): bits 3:0 data bytes, 17 enable
//   DATA (+8): writes fill the FIFO, reads empty it
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>

#include "emu/gpu/GpuRegisterFile.h"
#include "emu/smbus/SmbusSlave.h"

namespace emu {

class RadeonR100I2c : public GpuRegisterFile {
 public:
  static constexpr int kLines = 4;

  void Attach(int line, uint8_t address, std::shared_ptr<SmbusSlave> device) {
    lines_[static_cast<size_t>(line)][address] = std::move(device);
  }

  bool MmioRead(uint64_t offset, int width, uint32_t* value) override;
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override;

 private:
  struct Engine {
    uint32_t base;
    std::deque<uint8_t> fifo;
    uint8_t pointer = 0;
  };
  Engine* EngineAt(uint64_t offset, uint32_t* reg);
  void Go(Engine& e, uint32_t control);

  std::array<std::map<uint8_t, std::shared_ptr<SmbusSlave>>, kLines> lines_;
  std::array<Engine, 2> engines_{{{0x90, {}, 0}, {0x2E0, {}, 0}}};
};

}  // namespace emu
