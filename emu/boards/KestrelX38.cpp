// Kestrel X38: another maker's board with the Intel X38 memory
// controller hub and ICH9R. Not one of the vendor's boards: its id is in no
// vendor group.
#include <memory>

#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/boards/ChipsetParts.h"
#include "emu/chips/DumpTargets.h"
#include "emu/chips/IteIt87Monitor.h"
#include "emu/chips/SuperIoChip.h"
#include "emu/chips/WinbondW83627DhgMonitor.h"
#include "emu/firmware/AcpiTables.h"
#include "emu/firmware/SmbiosTable.h"
#include "emu/smbus/SmbusPlacement.h"

namespace emu::boards {

namespace {

// ITE IT8718F at 0x2E: environment controller (logical device 4) at 0x228.
constexpr uint16_t kIteMonitorBase = 0x0228;
// Winbond W83627DHG at 0x4E: hardware monitor (logical device 0x0B) at the
// classic 0x290, so it answers at 0x295/0x296.
constexpr uint16_t kWinbondMonitorBase = 0x0290;

void AddMonitoringChips(EmulatedMachine& m) {
  auto ite = std::make_shared<SuperIoChip>(SuperIoMaker::Ite, 0x2E);
  ite->SetGlobal(0x20, 0x87);
  ite->SetGlobal(0x21, 0x18);
  ite->SetGlobal(0x22, 0x05);  // revision
  ite->AddLogicalDevice(0x04, kIteMonitorBase, 0, true);
  m.AddPortDevice(0x2E, SuperIoChip::kPorts, ite);
  auto it87 = IteIt87Monitor::Attach(m, kIteMonitorBase);
  // VIN0 VCORE, VIN1 DDR2 1.8 V, VIN2 3.3 V, VIN3 +5 V through 6.8k/10k,
  // VIN4 +12 V through 30k/10k, VIN8 the battery.
  it87->pins[0] = Waveform::Drift(1.250, 0.012, 17);
  it87->pins[1] = Waveform::Drift(1.840, 0.008, 29);
  it87->pins[2] = Waveform::Drift(3.300, 0.010, 41);
  it87->pins[3] = Waveform::Drift(5.05 * 10 / 16.8, 0.006, 53);
  it87->pins[4] = Waveform::Drift(12.1 * 10 / 40, 0.006, 67);
  it87->pins[8] = Waveform::Steady(3.05);
  it87->temperatures[0] = Waveform::Drift(36, 2, 180);
  it87->temperatures[1] = Waveform::Drift(47, 5, 90, 0.5);
  it87->fans[0].rpm = Waveform::Drift(2100, 150, 35);
  it87->fans[1].rpm = Waveform::Drift(1200, 40, 70);
  it87->fans[1].stopped = {{30, 90}};
  it87->fans[2].rpm = Waveform::Steady(1000);
  it87->fans[3].rpm = Waveform::Steady(800);
  it87->fans[3].stopped = {{0, 20}};
  RegisterDumpChip(m, "it8718f", it87);

  auto winbond = std::make_shared<SuperIoChip>(SuperIoMaker::Winbond, 0x4E);
  winbond->SetGlobal(0x20, 0xA0);
  winbond->SetGlobal(0x21, 0x25);
  winbond->AddLogicalDevice(0x0B, kWinbondMonitorBase, 0, true);
  m.AddPortDevice(0x4E, SuperIoChip::kPorts, winbond);
  auto dhg = WinbondW83627DhgMonitor::Attach(m, kWinbondMonitorBase);
  // VIN0 VCORE, VIN1 +12 V through 56k/10k (first board revision), VIN3 3.3 V halved.
  dhg->pins[0] = Waveform::Drift(1.250, 0.010, 19);
  dhg->pins[1] = Waveform::Drift(12.0 * 10 / 66, 0.004, 43);
  dhg->pins[3] = Waveform::Drift(3.3 / 2, 0.004, 31);
  dhg->temperatures[0] = Waveform::Drift(44, 3, 150);
  dhg->temperatures[1] = Waveform::Drift(40.5, 4, 110);
  dhg->fans[0].rpm = Waveform::Drift(1700, 80, 45);
  RegisterDumpChip(m, "w83627dhg", dhg);
}

// Two 2 GB DDR2-800 DIMMs without profiles, run at 5-5-5-18 1T.
Ddr2SpdModule Module(uint32_t serial) {
  Ddr2SpdModule d;
  d.partNumber = "TVK2-800-2G";
  d.serial = serial;
  d.makerBank = 1;  // Kingston
  d.makerCode = 0x98;
  return d;
}
const SmbusPlacement kDimms[] = {
    {SmbusBus::kNoSegment, 0x50, SmbusPlacement::Kind::Ddr2Spd, {}, {}, Module(0x4B380001)},
    {SmbusBus::kNoSegment, 0x52, SmbusPlacement::Kind::Ddr2Spd, {}, {}, Module(0x4B380002)},
};
const parts::Core2Imc kImc = {.series4 = false, .ddr3 = false, .cl = 5, .tRCD = 5, .tRP = 5, .tRAS = 18,
                              .tRFC = 51, .twoT = false, .memoryCode = 3};

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 4);
  AddProcessors(m, NehalemBloomfieldI7_920());
  auto& mch = m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x29E0, 0x06000001));
  mch.Set32(0x60, parts::kMmconfigBase | 1);
  parts::AddCore2MemoryController(m, mch, 0xFED14000, kImc);
  parts::AddRootPort(m, 1, 0, 0x29E1);
  auto smbus = parts::AddIntelSouthBridge(m, 0x2916, 0x2930);
  PlaceSmbusSlaves(*smbus, kDimms);
  AddMonitoringChips(m);
  parts::AddMmconfig(m, parts::kMmconfigBase, 256);
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Core(TM)2 Extreme CPU X9650 @ 3.00GHz", 333, 3000, 4, 1024));
  InstallAcpiFirmware(m, {parts::kPmBase});
}

}  // namespace

extern const BoardDescription kKestrelX38 = {
    "kestrel-x38", "Kestrel Technology", "Kestrel X38 10116N800043F", 0x23236EA6, "other",
    "another maker's board: Intel X38 + ICH9R (Core i7-920 stands in)", &Build,
};

}  // namespace emu::boards
