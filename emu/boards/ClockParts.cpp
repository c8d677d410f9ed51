#include "emu/boards/ClockParts.h"

#include "emu/EmulatedMachine.h"
#include "emu/chips/IntegratedClock.h"
#include "emu/smbus/Ics9plrs133.h"
#include "emu/smbus/Ics9plrs139.h"
#include "emu/smbus/Slg505yc264b.h"
#include "emu/smbus/SmbusBus.h"
#include "emu/smbus/SmbusRegisterSlave.h"

namespace emu::parts {

std::shared_ptr<Ics9plrs139> AddIcs9plrs139(EmulatedMachine& m, SmbusBus& bus) {
  auto chip = std::make_shared<Ics9plrs139>(
      m.BclkMHz(), 100.0, [&m](double mhz) { if (mhz > 0) m.SetBclkMHz(mhz); },
      [&m](double mhz) { if (mhz > 0) m.SetPcieMHz(mhz); });
  bus.Attach(kClockGeneratorAddress, chip);
  return chip;
}

std::shared_ptr<Ics9plrs133> AddIcs9plrs133(EmulatedMachine& m, SmbusBus& bus) {
  auto chip = std::make_shared<Ics9plrs133>(m.BclkMHz(), [&m](double mhz) { if (mhz > 0) m.SetBclkMHz(mhz); });
  bus.Attach(kClockGeneratorAddress, chip);
  return chip;
}

std::shared_ptr<SmbusRegisterSlave> AddClockStrap(EmulatedMachine&, SmbusBus& bus, uint8_t code) {
  auto strap = std::make_shared<SmbusRegisterSlave>();
  strap->Set(0x80, code);
  bus.Attach(kClockStrapAddress, strap);
  return strap;
}

std::shared_ptr<Slg505yc264b> AddSlg505yc264b(EmulatedMachine& m, SmbusBus& bus, int strap, bool fineStep,
                                              std::shared_ptr<SmbusRegisterSlave> strapDevice) {
  auto factor = [strapDevice] {
    switch (strapDevice ? strapDevice->Get(0x80) : 0xE0) {
      case 0xA1: return 5.0 / 3.0;
      case 0xA6: return 1.25;
      case 0xA9: return 2.5;
      default: return 1.0;
    }
  };
  auto chip = std::make_shared<Slg505yc264b>(strap, fineStep, [&m, factor](double mhz) {
    if (mhz > 0) m.SetBclkMHz(mhz * factor());
  });
  bus.Attach(kClockGeneratorAddress, chip);
  return chip;
}

std::shared_ptr<IntegratedClock> AddIntegratedClock(EmulatedMachine& m, int series) {
  auto clock = std::make_shared<IntegratedClock>();
  const double bclk = m.BclkMHz();
  if (series == 6) {
    clock->AddClock(0, bclk * 10, 900.0, 1200.0, [&m](double mhz) {
      m.SetBclkMHz(mhz / 10);
      m.SetPcieMHz(mhz / 10);
    });
  } else {
    clock->AddClock(0, bclk * 10, 800.0, 1670.0, [&m](double mhz) { m.SetBclkMHz(mhz / 10); });
    clock->AddClock(3, 1000.0, 900.0, 1300.0, [&m](double mhz) { m.SetPcieMHz(mhz / 10); });
  }
  m.SetIntegratedClock(clock, series);
  return clock;
}

}  // namespace emu::parts
