// The "Graphics I2C" section of the display report: every device on the
// I2C buses of NVIDIA Fermi cards that answers both register 0x00 and
// register 0x20, with a dump of its 256 registers. The scan reads 4 buses
// × 128 addresses and is made only when a report is asked for.
#pragma once

#include <string>
#include <vector>

class CDisplayAdapter;

// Each adapter's SDK I2C space is used when it has one, else its own.
void WriteGraphicsI2CReport(const std::vector<CDisplayAdapter*>& adapters, std::string* out);
