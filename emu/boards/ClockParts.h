// The clock sources of the emulated boards: the generator on the SMBus or
// the chipset's integrated clock. Their outputs are the board's bus clock
// and PCI Express clock.
#pragma once

#include <cstdint>
#include <memory>

namespace emu {

class EmulatedMachine;
class SmbusBus;
class Ics9plrs139;
class Ics9plrs133;
class Slg505yc264b;
class SmbusRegisterSlave;
class IntegratedClock;

namespace parts {

inline constexpr uint8_t kClockGeneratorAddress = 0x69;
inline constexpr uint8_t kClockStrapAddress = 0x6D;

// ICS 9PLRS139 at 0x69 running at the machine's bus clock and 100 MHz PCI Express.
std::shared_ptr<Ics9plrs139> AddIcs9plrs139(EmulatedMachine& m, SmbusBus& bus);
// ICS 9PLRS133 at 0x69 running at the machine's bus clock.
std::shared_ptr<Ics9plrs133> AddIcs9plrs133(EmulatedMachine& m, SmbusBus& bus);
// The processor-clock strap device of the X79 platform at 0x6D (register
// 0x80: 0xA1 × 1.667, 0xA6 × 1.25, 0xA9 × 2.5, else × 1).
std::shared_ptr<SmbusRegisterSlave> AddClockStrap(EmulatedMachine& m, SmbusBus& bus, uint8_t code);
// Silego SLG505YC264B at 0x69; the processor's bus clock is its output
// times the factor of the strap device.
std::shared_ptr<Slg505yc264b> AddSlg505yc264b(EmulatedMachine& m, SmbusBus& bus, int strap, bool fineStep,
                                              std::shared_ptr<SmbusRegisterSlave> strapDevice);
// The integrated clock of a 6-series (one clock at 10 × the bus clock that
// also gives PCI Express) or 7-series chipset (processor and PCI Express
// clocks, each at 10 × its output).
std::shared_ptr<IntegratedClock> AddIntegratedClock(EmulatedMachine& m, int series);

}  // namespace parts
}  // namespace emu
