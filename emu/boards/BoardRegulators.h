// The vendor boards' voltage controllers on the SMBus and the rails they
// drive: each controller's output is routed to the monitoring chip's pin
// through the board's divider, so a new code shows in the readings.
#pragma once

#include <memory>

namespace emu {

class EmulatedMachine;
class SmbusBus;
class FintekHardwareMonitorBlock;

namespace boards {

// Z68 board (0x031CC94C): uP6228 at 0x45/0x46, CHL8328 at 0x32, F72262 at
// 0x31/0x33/0x34, ISL90727 at 0x2E/0x3E and CHL8102 at 0x0C; VCORE, DRAM,
// VCCIO and PCH drive the Fintek block's pins.
void InstallZ68Regulators(EmulatedMachine& m, SmbusBus& bus, FintekHardwareMonitorBlock& monitor);

// P45 board (0x938A7FD8): the VT1186M at 0x70 behind the ICH10R's host
// holding VCORE at 1.200 V (code 66). Its output is not routed to the
// monitoring chip: the board's VCORE pin keeps its fixed reading.
void InstallP45Regulator(EmulatedMachine& m, SmbusBus& bus);

// Dual-processor board: the PCA9545A at 0x72 with each processor's branch
// (VT1186M at 0x70, F72262 at 0x30 and 0x35) on its channels 0 and 1; the
// board's F72262 at 0x31..0x34 and 0x36 and the ISL90727 at 0x2E/0x3E on
// the common segment. The firmware leaves the first processor's branch
// connected. Each VT1186M drives its processor's VCORE pin.
void InstallDualProcessorRegulators(EmulatedMachine& m, SmbusBus& bus, FintekHardwareMonitorBlock& first,
                                    FintekHardwareMonitorBlock& second);

}  // namespace boards
}  // namespace emu
