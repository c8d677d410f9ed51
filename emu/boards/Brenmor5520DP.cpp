// Brenmor Torvik 5520 DP: two-socket board with the Intel 5520 I/O hub and
// ICH10R (DP group). Each socket's uncore answers on its own bus (0xFE,
// 0xFF).
#include <memory>

#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/boards/BoardMonitoring.h"
#include "emu/boards/BoardRegulators.h"
#include "emu/boards/ChipsetParts.h"
#include "emu/boards/ClockParts.h"
#include "emu/chips/FintekF71882F.h"
#include "emu/firmware/AcpiTables.h"
#include "emu/firmware/SmbiosTable.h"
#include "emu/smbus/SmbusPlacement.h"
#include "emu/smbus/ZundoSlave.h"

namespace emu::boards {

namespace {

// Six 2 GB registered ECC DDR3-1333 DIMMs, three per processor (SPD at
// 0x50-0x52 for the first, 0x53-0x55 for the second), with thermal sensors.
Ddr3SpdModule Rdimm(uint32_t serial) {
  Ddr3SpdModule d;
  d.registered = true;
  d.partNumber = "TVK3R1333C9-2GE";
  d.serial = serial;
  d.makerBank = 0;  // Samsung
  d.makerCode = 0xCE;
  return d;
}
const SmbusPlacement kDimms[] = {
    {SmbusBus::kNoSegment, 0x50, SmbusPlacement::Kind::Ddr3Spd, Rdimm(0x3D0E0001)},
    {SmbusBus::kNoSegment, 0x51, SmbusPlacement::Kind::Ddr3Spd, Rdimm(0x3D0E0002)},
    {SmbusBus::kNoSegment, 0x52, SmbusPlacement::Kind::Ddr3Spd, Rdimm(0x3D0E0003)},
    {SmbusBus::kNoSegment, 0x53, SmbusPlacement::Kind::Ddr3Spd, Rdimm(0x3D0E0004)},
    {SmbusBus::kNoSegment, 0x54, SmbusPlacement::Kind::Ddr3Spd, Rdimm(0x3D0E0005)},
    {SmbusBus::kNoSegment, 0x55, SmbusPlacement::Kind::Ddr3Spd, Rdimm(0x3D0E0006)},
};

const parts::NehalemImc kImc = {
    .testFunctionId = 0x2D9C, .channelIds = {0x2DA0, 0x2DA8, 0x2DB0}, .channels = 3, .qclkRatio = 10,
    .uncoreRatio = 20, .cl = 9, .tRCD = 9, .tRP = 9, .tRAS = 24, .tRFC = 107, .twoT = false,
};

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 12);
  AddProcessors(m, WestmereEpXeonX5650Pair());
  m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x3406, 0x06000022));
  // The hub's control, status and RAS registers: QPIFREQSEL (0xD0 bits 1:0)
  // 10b, the X5650's 6.4 GT/s links.
  m.AddPciFunction(std::make_unique<PciFunction>(0, 20, 2, 0x8086, 0x3423, 0x08000022)).Set32(0xD0, 2);
  parts::AddRootPort(m, 3, 0, 0x340A);
  auto smbus = parts::AddIntelSouthBridge(m, 0x3A16, 0x3A30);
  ZundoSlave::Plug(m, *smbus);  // the hand-held device in its header
  parts::AddIcs9plrs139(m, *smbus);
  // Processor 0's rails on the F71882F at 0x2E, processor 1's on the F71808
  // at 0x4E.
  auto first = InstallFintekMonitor(m, FintekF71882F::kF71882F, 0x2E, FintekF71882F::kDefaultMonitorBase,
                                    FintekWiring::DpFirst, "f71882f");
  auto second = InstallFintekMonitor(m, FintekF71882F::kF71808E, 0x4E, 0x0A20, FintekWiring::DpSecond, "f71808");
  InstallDualProcessorRegulators(m, *smbus, *first, *second);
  PlaceSmbusSlaves(*smbus, kDimms);
  for (uint8_t bus : {uint8_t{0xFE}, uint8_t{0xFF}}) {
    parts::AddUncore(m, bus, 0, 0, 0x2C70, true);  // QPI generic
    parts::AddUncore(m, bus, 3, 0, 0x2D98, true);  // memory controller
    parts::AddUncore(m, bus, 3, 1, 0x2D99, true);
    parts::AddNehalemMemoryController(m, bus, kImc);
  }
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Xeon(R) CPU X5650 @ 2.67GHz", 133, 2667, 12, 1024));
  InstallAcpiFirmware(m, {parts::kPmBase});
}

}  // namespace

extern const BoardDescription kBrenmor5520DP = {
    "brenmor-5520dp", "Brenmor", "Torvik 5520 DP 000200348;01358>", 0x4FC5613E, "DP",
    "Intel 5520 IOH + ICH10R, two Xeon X5650 (Westmere-EP, 6 cores, 12 threads each)", &Build,
};

}  // namespace emu::boards
