// Board descriptions list their SMBus slaves as data; PlaceSmbusSlaves puts
// them on a bus.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "emu/smbus/Ddr2Spd.h"
#include "emu/smbus/Ddr3Spd.h"
#include "emu/smbus/SmbusBus.h"

namespace emu {

struct SmbusPlacement {
  enum class Kind { Ddr3Spd, Ddr2Spd, Registers };
  int segment;  // SmbusBus::kNoSegment: the common segment
  uint8_t address;
  Kind kind;
  // Ddr3Spd: the module (with its thermal sensor at 0x18 | slot when it
  // has one); Registers: initial register values; Ddr2Spd: the module.
  Ddr3SpdModule module = {};
  std::vector<std::pair<uint8_t, uint8_t>> registers = {};
  Ddr2SpdModule ddr2 = {};
};

void PlaceSmbusSlaves(SmbusBus& bus, std::span<const SmbusPlacement> slaves);

}  // namespace emu
