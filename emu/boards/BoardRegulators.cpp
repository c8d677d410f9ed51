#include "emu/boards/BoardRegulators.h"

#include <cstdio>

#include "emu/EmulatedMachine.h"
#include "emu/chips/Chl8102.h"
#include "emu/chips/Chl8328.h"
#include "emu/chips/DumpTargets.h"
#include "emu/chips/F72262.h"
#include "emu/chips/FintekHardwareMonitorBlock.h"
#include "emu/chips/Isl90727.h"
#include "emu/chips/Pca9545a.h"
#include "emu/chips/Up6228.h"
#include "emu/chips/Vt1186m.h"
#include "emu/smbus/SmbusBus.h"

namespace emu::boards {

namespace {

// A rail seen at a monitor pin through a divider of `above` over `below`.
std::function<void(double)> ToPin(FintekHardwareMonitorBlock& block, int pin, double above, double below) {
  Waveform* w = &block.pins[pin];
  return [w, above, below](double volts) { w->base = volts * below / (above + below); };
}

template <typename Chip>
std::shared_ptr<Chip> Place(EmulatedMachine& m, SmbusBus& bus, int segment, uint8_t address,
                            std::shared_ptr<Chip> chip, const char* kind) {
  if (segment == SmbusBus::kNoSegment) bus.Attach(address, chip);
  else bus.AttachToSegment(segment, address, chip);
  char name[48];
  if (segment == SmbusBus::kNoSegment) std::snprintf(name, sizeof(name), "%s@0x%02x", kind, address);
  else std::snprintf(name, sizeof(name), "%s@%d:0x%02x", kind, segment, address);
  RegisterDumpTarget(m, name, chip, nullptr);
  return chip;
}

}  // namespace

void InstallZ68Regulators(EmulatedMachine& m, SmbusBus& bus, FintekHardwareMonitorBlock& monitor) {
  constexpr int kNone = SmbusBus::kNoSegment;
  // The firmware hands over with VCORE set to 1.200 V (code 191) on the
  // first uP6228; the second follows its VID.
  auto vcore = Place(m, bus, kNone, 0x45, std::make_shared<Up6228>(1.2, 191, true), "up6228");
  vcore->output.Connect(ToPin(monitor, 1, 47, 100));
  Place(m, bus, kNone, 0x46, std::make_shared<Up6228>(1.1, 0, false), "up6228");
  // DRAM 1.500 V on loop 1 (override pair, code 251); loop 2 unused.
  auto dram = std::make_shared<Chl8328>();
  dram->Preset(0xD0, 0x40);
  dram->Preset(0xD1, 251);
  Place(m, bus, kNone, 0x32, dram, "chl8328");
  dram->loops[0].Connect(ToPin(monitor, 2, 47, 100));
  // NF200, VCCSA and PCH/SFR trims.
  Place(m, bus, kNone, 0x31, std::make_shared<F72262>(F72262::Channels{{{1.2, 0.025, 0.125}, {}, {}}}), "f72262");
  Place(m, bus, kNone, 0x33,
        std::make_shared<F72262>(F72262::Channels{{{}, {}, {0.925, 0.05, 0.05}}}), "f72262");
  auto pch = Place(m, bus, kNone, 0x34,
                   std::make_shared<F72262>(F72262::Channels{{{1.05, 0.025, 0.125}, {1.8, 0.025, 0.125}}}),
                   "f72262");
  pch->outputs[0].Connect(ToPin(monitor, 4, 243, 1000));
  // DQ reference trims of both channels.
  Place(m, bus, kNone, 0x2E, std::make_shared<Isl90727>(0.75, 0.01), "isl90727");
  Place(m, bus, kNone, 0x3E, std::make_shared<Isl90727>(0.75, 0.01), "isl90727");
  // VCCIO 1.050 V (0.9 V + 30 steps, followed).
  auto vccio = Place(m, bus, kNone, 0x0C, std::make_shared<Chl8102>(0.9, 1.05, 0x80 | 30), "chl8102");
  vccio->output.Connect(ToPin(monitor, 3, 243, 1000));
}

void InstallP45Regulator(EmulatedMachine& m, SmbusBus& bus) {
  Place(m, bus, SmbusBus::kNoSegment, 0x70, std::make_shared<Vt1186m>(66), "vt1186m");
}

void InstallDualProcessorRegulators(EmulatedMachine& m, SmbusBus& bus, FintekHardwareMonitorBlock& first,
                                    FintekHardwareMonitorBlock& second) {
  constexpr int kNone = SmbusBus::kNoSegment;
  auto sw = Place(m, bus, kNone, 0x72, std::make_shared<Pca9545a>(0x01), "pca9545a");
  Pca9545a::Drive(bus, sw);
  FintekHardwareMonitorBlock* monitors[2] = {&first, &second};
  for (int cpu = 0; cpu < 2; ++cpu) {
    // VCORE 1.200 V (code 66) through the 4.7k/10k divider.
    auto vr = Place(m, bus, cpu, 0x70, std::make_shared<Vt1186m>(66), "vt1186m");
    vr->output.Connect(ToPin(*monitors[cpu], 1, 4.7, 10));
    Place(m, bus, cpu, 0x30,
          std::make_shared<F72262>(F72262::Channels{{{0, 0.01, 0.05}, {0, 0.01, 0.05}, {1.2, 0.025, 0.125}}}),
          "f72262");
    Place(m, bus, cpu, 0x35, std::make_shared<F72262>(), "f72262");
  }
  Place(m, bus, kNone, 0x31, std::make_shared<F72262>(), "f72262");
  Place(m, bus, kNone, 0x32, std::make_shared<F72262>(), "f72262");
  Place(m, bus, kNone, 0x33, std::make_shared<F72262>(), "f72262");
  Place(m, bus, kNone, 0x34, std::make_shared<F72262>(), "f72262");
  Place(m, bus, kNone, 0x36, std::make_shared<F72262>(), "f72262");
  Place(m, bus, kNone, 0x2E, std::make_shared<Isl90727>(), "isl90727");
  Place(m, bus, kNone, 0x3E, std::make_shared<Isl90727>(), "isl90727");
}

}  // namespace emu::boards
