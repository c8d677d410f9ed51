// Brenmor Torvik X79: Sandy Bridge-E processor with the X79 platform
// controller hub (VSA group). MMCONFIG is read from the processor's
// integrated I/O (00:05.0, register 0x84); the memory controller is uncore.
#include <memory>

#include "emu/BoardDescription.h"
#include "emu/CpuModels.h"
#include "emu/EmulatedMachine.h"
#include "emu/boards/BoardMonitoring.h"
#include "emu/boards/ChipsetParts.h"
#include "emu/boards/ClockParts.h"
#include "emu/chips/FintekF71882F.h"
#include "emu/chips/ImcSmbusFunction.h"
#include "emu/firmware/AcpiTables.h"
#include "emu/firmware/SmbiosTable.h"
#include "emu/PciFunction.h"
#include "emu/smbus/SmbusPlacement.h"
#include "emu/smbus/ZundoSlave.h"

namespace emu::boards {

namespace {

// Four 4 GB DDR3-1600 DIMMs without XMP, one per channel. As on the
// platform's reference design, their SPD EEPROMs and thermal sensors sit on
// the processor's memory-controller SMBus, not on the PCH: controller 0
// carries channels A and B, controller 1 channels C and D, the second
// channel of a pair at 0x54 (the address's bit 2 selects the channel).
Ddr3SpdModule Module(uint32_t serial) {
  Ddr3SpdModule d;
  d.sizeMiB = 4096;
  d.dataRateMT = 1600;
  d.partNumber = "TVK1600D3N11/4G";
  d.serial = serial;
  d.makerBank = 1;  // Kingston
  d.makerCode = 0x98;
  return d;
}
const SmbusPlacement kDimmsAB[] = {
    {SmbusBus::kNoSegment, 0x50, SmbusPlacement::Kind::Ddr3Spd, Module(0x7C0A0001)},
    {SmbusBus::kNoSegment, 0x54, SmbusPlacement::Kind::Ddr3Spd, Module(0x7C0A0002)},
};
const SmbusPlacement kDimmsCD[] = {
    {SmbusBus::kNoSegment, 0x50, SmbusPlacement::Kind::Ddr3Spd, Module(0x7C0A0003)},
    {SmbusBus::kNoSegment, 0x54, SmbusPlacement::Kind::Ddr3Spd, Module(0x7C0A0004)},
};
// What firmware leaves in SMBCNTL: the controller polls the thermal sensors
// at 0x18 and 0x1C itself (DTI 0011b), clock running, SPD writes locked.
constexpr uint32_t kImcSmbusControl = 0x3u << 28 | ImcSmbusFunction::kClockRunning |
                                      ImcSmbusFunction::kWriteDisable | ImcSmbusFunction::kTsodPolling | 0x11;

// The processor's memory controller channels on bus 0xFF (Xeon E5-1600/
// 2600 datasheet volume 2): per channel a thermal/timing function (16.0,
// 16.1, 16.4, 16.5) and an error function (16.2, 16.3, 16.6, 16.7), and
// the PCU function 10.1 with the DDR clock ratio. DDR3-1600 9-9-9-28 1T.
void AddMemoryController(EmulatedMachine& m) {
  const uint8_t timing[4] = {0, 1, 4, 5}, error[4] = {2, 3, 6, 7};
  for (int c = 0; c < 4; ++c) {
    auto& t = parts::AddUncore(m, 0xFF, 16, timing[c], static_cast<uint16_t>(0x3CB0 + timing[c]), true);
    t.express = true;
    t.Set32(0x200, 9 | 9 << 5 | 9 << 9 | 28u << 19);  // TCDBP: tRCD tRP CL tRAS
    t.Set32(0x204, 1u << 30 | 6 << 8 | 6 << 4 | 5);       // TCRAP: 1T, tRTP, tWTR, tRRD
    t.Set32(0x214, 208u << 15 | 6240);                   // TCRFTP: tRFC, tREFI
    auto& e = parts::AddUncore(m, 0xFF, 16, error[c], static_cast<uint16_t>(0x3CB0 + error[c]), true);
    e.Set32(0x80, 0x00000020);
  }
  auto& pcu = parts::AddUncore(m, 0xFF, 10, 1, 0x3CC1, true);
  pcu.Set32(0x98, 12);  // 12 x 66.67 MHz DRAM clock
}

void Build(EmulatedMachine& m) {
  parts::AddMemory(m, 16);
  AddProcessors(m, SandyBridgeEI7_3930K());
  m.AddPciFunction(std::make_unique<PciFunction>(0, 0, 0, 0x8086, 0x3C00, 0x06000007));
  parts::AddRootPort(m, 1, 0, 0x3C02);
  auto& iio = m.AddPciFunction(std::make_unique<PciFunction>(0, 5, 0, 0x8086, 0x3C28, 0x08800007));
  iio.Set32(0x84, parts::kMmconfigBase | 0x1);
  auto smbus = parts::AddIntelSouthBridge(m, 0x1D41, 0x1D22);
  ZundoSlave::Plug(m, *smbus);  // the hand-held device in its header
  parts::AddClockStrap(m, *smbus, 0xE0);
  InstallFintekMonitor(m, FintekF71882F::kF71889A, 0x2E, FintekF71882F::kDefaultMonitorBase, FintekWiring::Vsa,
                       "f71882f");
  AttachBoardNct7802(m, *smbus, 0x28);
  AttachBoardNct7802(m, *smbus, 0x2D);
  auto& imc = static_cast<ImcSmbusFunction&>(
      m.AddPciFunction(std::make_unique<ImcSmbusFunction>(0xFF, kImcSmbusControl)));  // memory controller
  PlaceSmbusSlaves(imc.Bus(0), kDimmsAB);
  PlaceSmbusSlaves(imc.Bus(1), kDimmsCD);
  parts::AddUncore(m, 0xFF, 0x0F, 1, 0x3C71, true);  // RAS
  AddMemoryController(m);
  parts::AddMmconfig(m, parts::kMmconfigBase, 256);
  InstallSmbios(m, BoardSmbios(m, "Intel(R) Core(TM) i7-3930K CPU @ 3.20GHz", 100, 3200, 8, 2048));
  InstallAcpiFirmware(m, {parts::kPmBase});
}

}  // namespace

extern const BoardDescription kBrenmorX79 = {
    "brenmor-x79", "Brenmor", "Torvik X79 0601022F0021", 0x0AAB5410, "VSA",
    "Intel X79 PCH, Sandy Bridge-E IIO with MMCONFIG at 00:05.0, Core i7-3930K", &Build,
};

}  // namespace emu::boards
