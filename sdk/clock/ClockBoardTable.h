// Which SMBus clock generator classes a board carries at 0x69, by board id.
// The chip is not probed: the board tells.
#pragma once

#include <cstdint>
#include <vector>

class CPLL;

using PLLFactory = CPLL* (*)();

// The PLLs of the board's generator in creation order (processor clock
// first, then PCI Express, then PCI); empty when the board has none on the
// SMBus.
std::vector<PLLFactory> SMBusGeneratorFor(uint32_t boardId);
