#include "emu/boards/BoardMonitoring.h"

#include <cstdio>

#include "emu/EmulatedMachine.h"
#include "emu/chips/DumpTargets.h"
#include "emu/chips/FintekF71882F.h"
#include "emu/chips/FintekHardwareMonitorBlock.h"
#include "emu/chips/Nct7802.h"
#include "emu/smbus/SmbusBus.h"

namespace emu::boards {

namespace {

// Pin set points (volts at the pin) per wiring: the rail divided down by
// the board's resistors, so that each group's label table gives back the
// nominal rail. 0 leaves the input open.
struct Wiring {
  FintekWiring id;
  double pins[9];
  bool fourthFan;
};

// NB/PCH boards: +3.3 V and standby halved inside; VCORE, DRAM, VTT, NB/PCH
// through 47k/100k and 243/1000 dividers; +5 V 200k/47k; +12 V 2000/243.
constexpr Wiring kWirings[] = {
    {FintekWiring::Nb, {1.655, 0.850, 1.224, 0.885, 0.885, 0.951, 1.300, 1.650, 1.550}, true},
    {FintekWiring::PchVtt, {1.655, 0.830, 1.020, 0.885, 0.845, 0.951, 1.300, 1.650, 1.550}, true},
    {FintekWiring::PchVccio, {1.655, 0.816, 1.020, 0.845, 0.845, 0.951, 1.300, 1.650, 1.550}, true},
    // VSA: VSB3V is 2 x pin + 0.016 V.
    {FintekWiring::Vsa, {1.655, 0.844, 1.012, 0.951, 0.833, 0.842, 1.300, 1.656, 1.550}, true},
    {FintekWiring::Ioh, {1.655, 1.225, 0, 0, 0.955, 1.100, 0, 1.650, 1.550}, true},
    // DP: VCORE/DRAM through 4.7/10, VTT 2.3/10, IOH 24.3/100.
    {FintekWiring::DpFirst, {1.655, 0.816, 1.020, 0.935, 0.885, 0.951, 1.300, 1.650, 1.550}, true},
    {FintekWiring::DpSecond, {0, 0.820, 0.930, 1.020, 1.448, 0, 0, 1.650, 1.550}, false},
};

const Wiring& WiringOf(FintekWiring id) {
  for (const Wiring& w : kWirings)
    if (w.id == id) return w;
  return kWirings[0];
}

void Drive(FintekHardwareMonitorBlock& b, const Wiring& w) {
  for (int i = 0; i < 9; ++i) {
    double v = w.pins[i];
    // Supplies drift by a few mV over a minute or so; standby and battery stay put.
    b.pins[i] = v <= 0 ? Waveform::Open() : i >= 7 ? Waveform::Steady(v) : Waveform::Drift(v, 0.003, 13 + 11 * i);
  }
  b.temperatures[0] = Waveform::Drift(42, 6, 120);
  b.temperatures[1] = Waveform::Drift(55, 3, 200, 1.0);
  b.temperatures[2] = Waveform::Drift(33, 1, 300, 2.0);
  b.fans[0].rpm = Waveform::Drift(1850, 120, 40);
  // The system fan stops for a minute after half a minute; the power
  // supply header's fan spins up 20 s after power-on.
  b.fans[1].rpm = Waveform::Drift(1100, 60, 50);
  b.fans[1].stopped = {{30, 90}};
  b.fans[2].rpm = Waveform::Steady(950);
  b.fans[2].stopped = {{0, 20}};
}

}  // namespace

std::shared_ptr<FintekHardwareMonitorBlock> AttachFintekMonitor(EmulatedMachine& m, uint16_t monitorBase,
                                                                FintekWiring wiring, const std::string& dumpName) {
  const Wiring& w = WiringOf(wiring);
  auto b = FintekHardwareMonitorBlock::Attach(m, monitorBase, w.fourthFan);
  Drive(*b, w);
  RegisterDumpChip(m, dumpName, b);
  return b;
}

std::shared_ptr<FintekHardwareMonitorBlock> InstallFintekMonitor(EmulatedMachine& m, uint16_t chipId,
                                                                 uint16_t configPort, uint16_t monitorBase,
                                                                 FintekWiring wiring, const std::string& dumpName) {
  auto sio = FintekF71882F::Install(m, chipId, configPort, monitorBase);
  return AttachFintekMonitor(m, sio->DeviceBase(FintekF71882F::kMonitorLdn), wiring, dumpName);
}

std::shared_ptr<FintekHardwareMonitorBlock> AttachIohBoardMonitor(EmulatedMachine& m, uint16_t monitorBase) {
  return AttachFintekMonitor(m, monitorBase, FintekWiring::Ioh, "f71882f");
}

std::shared_ptr<Nct7802> MakeBoardNct7802(EmulatedMachine& m, uint8_t address) {
  auto c = std::make_shared<Nct7802>(m.Time());
  c->voltages[0] = Waveform::Drift(3.32, 0.01, 61);
  if (address == 0x28) {
    c->voltages[1] = Waveform::Drift(0.75, 0.002, 31);  // DIMM reference / 2
    c->voltages[3] = Waveform::Drift(0.60, 0.003, 43);  // PLL / 3
    c->voltages[4] = Waveform::Drift(0.46, 0.004, 37);
    c->fans[0].rpm = Waveform::Drift(1300, 80, 55);
    c->fans[1].rpm = Waveform::Steady(900);
    c->fans[1].stopped = {{45, -1}};
  } else {
    // VSEN2 (0x0D) is left open: a reading of 1.304 V there would make the
    // Winbond probe at this address misdetect the chip.
    c->voltages[1] = Waveform::Drift(1.80, 0.006, 29);
    c->voltages[4] = Waveform::Drift(0.55, 0.004, 33);
    c->fans[0].rpm = Waveform::Drift(1450, 90, 65);
    c->fans[2].rpm = Waveform::Steady(700);
    c->fans[2].stopped = {{0, 15}};
  }
  return c;
}

std::shared_ptr<Nct7802> AttachBoardNct7802(EmulatedMachine& m, SmbusBus& bus, uint8_t address) {
  auto c = MakeBoardNct7802(m, address);
  bus.Attach(address, c);
  char name[32];
  std::snprintf(name, sizeof(name), "nct7802@0x%02x", address);
  RegisterDumpChip(m, name, c);
  return c;
}

}  // namespace emu::boards
