#include "emu/boards/ChipsetParts.h"

#include <cmath>
#include <memory>

#include "emu/EmulatedMachine.h"
#include "emu/chips/AcpiPmBlock.h"
#include "emu/chips/IntelSmbusHost.h"
#include "emu/chips/MchbarRegisters.h"
#include "emu/chips/MmconfigWindow.h"
#include "emu/smbus/SmbusBus.h"

namespace emu::parts {

void AddMemory(EmulatedMachine& m, unsigned gigabytes) {
  m.AddRam(0x00000000, 0x000A0000);
  m.AddRam(0x000E0000, 0x00020000);  // firmware area (SMBIOS, ACPI pointers)
  m.AddRam(0x00100000, 0xBFF00000 - 0x00100000);
  if (gigabytes > 3) m.AddRam(0x100000000ull, (static_cast<uint64_t>(gigabytes) << 30) - 0xC0000000ull);
  m.SetInstalledMemory(static_cast<uint64_t>(gigabytes) << 30);
}

std::shared_ptr<SmbusBus> AddIntelSouthBridge(EmulatedMachine& m, uint16_t lpcId, uint16_t smbusId) {
  auto& lpc = m.AddPciFunction(std::make_unique<PciFunction>(0, 0x1F, 0, 0x8086, lpcId, 0x06010000, 0x80));
  lpc.Set32(0x40, kPmBase | 1);  // ACPI base address
  lpc.Set8(0x44, 0x80);          // ACPI decode enable
  auto& smbus = m.AddPciFunction(std::make_unique<PciFunction>(0, 0x1F, 3, 0x8086, smbusId, 0x0C050000));
  smbus.Set32(0x20, kSmbusBase | 1);
  smbus.Set16(0x04, 0x0001);
  smbus.Set8(0x40, 0x01);  // host enable
  m.AddPortDevice(kPmBase, AcpiPmBlock::kSize, std::make_shared<AcpiPmBlock>(m.Time()));
  auto bus = std::make_shared<SmbusBus>();
  m.AddPortDevice(kSmbusBase, IntelSmbusHost::kSize, std::make_shared<IntelSmbusHost>(m, bus, nullptr, kSmbusBase));
  return bus;
}

PciFunction& AddRootPort(EmulatedMachine& m, uint8_t device, uint8_t function, uint16_t deviceId) {
  auto& port = m.AddPciFunction(std::make_unique<PciFunction>(0, device, function, 0x8086, deviceId, 0x06040000, 0x01));
  port.express = true;
  port.Set8(0x18, 0);  // primary bus
  port.Set8(0x19, static_cast<uint8_t>(device + 1));
  port.Set8(0x1A, static_cast<uint8_t>(device + 1));
  port.AddCapability(0x01, 0x40, 8);  // power management 1.1
  port.Set16(0x42, 0x0002);
  port.AddCapability(0x10, 0x60, 0x3C);
  port.Set16(0x62, 0x0042);            // version 2, root port
  port.Set32(0x6C, 0x01000000 | 16 << 4);  // port 1, x16
  port.Set16(0x72, 16 << 4);           // negotiated x16
  port.Set32(0x100, 0x14010001);       // advanced error reporting, next 0x140
  port.Set32(0x140, 0x00010002);       // virtual channel, last
  return port;
}

void AddMmconfig(EmulatedMachine& m, uint32_t base, unsigned buses) {
  m.AddMmio(base, static_cast<uint64_t>(buses) << 20, std::make_shared<MmconfigWindow>(m));
}

PciFunction& AddUncore(EmulatedMachine& m, uint8_t bus, uint8_t device, uint8_t function, uint16_t deviceId,
                       bool multiFunction) {
  return m.AddPciFunction(std::make_unique<PciFunction>(bus, device, function, 0x8086, deviceId, 0x06000000,
                                                        multiFunction ? 0x80 : 0x00));
}

void AddNehalemMemoryController(EmulatedMachine& m, uint8_t bus, const NehalemImc& imc) {
  if (PciFunction* qpi = m.FindPciFunction(bus, 0, 0)) qpi->Set32(0xC0, static_cast<uint32_t>(imc.uncoreRatio));
  if (PciFunction* control = m.FindPciFunction(bus, 3, 0))
    control->Set32(0x48, ((1u << imc.channels) - 1) << 8);  // MC_CONTROL: CHANNEL_ACTIVE
  AddUncore(m, bus, 3, 4, imc.testFunctionId, true).Set32(0x50, static_cast<uint32_t>(imc.qclkRatio));
  // DDR3 mode register 0: CL in A6:A4 (CL - 4), write recovery in A11:A9.
  const uint32_t mr0 = static_cast<uint32_t>((imc.cl - 4) << 4 | 5 << 9);
  // ODT_PARAMS1 bits 11:8 hold CL less a ratio-dependent offset (5 + (ratio - 6) / 2).
  const uint32_t odt = static_cast<uint32_t>(imc.cl - (5 + (imc.qclkRatio - 6) / 2)) << 8;
  for (int c = 0; c < 3; ++c) {
    if (!imc.channelIds[c]) continue;  // a two-channel controller has no third
    auto& f = AddUncore(m, bus, static_cast<uint8_t>(4 + c), 0, imc.channelIds[c], true);
    if (c >= imc.channels) continue;
    f.Set32(0x70, imc.mrsShadow ? (0x0044u << 16 | mr0) : 0);                       // MRS_VALUE_0_1
    f.Set32(0x7C, 0x0000000F);                                                       // RANK_PRESENT
    f.Set32(0x80, 0x00A2F5CFu);                                                      // RANK_TIMING_A
    f.Set32(0x88, static_cast<uint32_t>(imc.tRP | imc.tRAS << 4 | imc.tRCD << 9));  // BANK_TIMING
    f.Set32(0x8C, static_cast<uint32_t>(imc.tRFC) | 0x28u << 9);                    // REFRESH_TIMING
    f.Set32(0x9C, odt);                                                              // ODT_PARAMS1
    f.Set32(0xB8, imc.twoT ? 0x08u : 0x00u);                                         // SCHEDULER_PARAMS
  }
}

void AddSandyBridgeMemoryController(EmulatedMachine& m, PciFunction& host, const SandyBridgeImc& imc) {
  auto& mchbar = AddMchbar(m, host, 0xFED10000, 0x8000);
  for (int c = 0; c < 2; ++c) {
    const uint32_t base = c ? 0x400u : 0u;
    // TC_DBP: tRCD, tRP, CL, CWL, tRAS; TC_RAP: 1T, tWR, tFAW, tWTR, tCKE, tRTP, tRRD.
    mchbar.Set32(0x4000 + base, static_cast<uint32_t>(imc.tRCD | imc.tRP << 4 | imc.cl << 8 | 8 << 12 | imc.tRAS << 16));
    mchbar.Set32(0x4004 + base, 1u << 30 | 12 << 24 | 24 << 16 | 6 << 12 | 4 << 8 | 6 << 4 | 5);
    // MAD_DIMM_CHx: DIMM A size in 256 MB units, its rank bit.
    if (imc.channel[c]) mchbar.Set32(0x5004 + 4 * c, (imc.dualRank ? 1u << 17 : 0u) | (imc.dimmMiB / 256));
  }
  mchbar.Set32(0x5E04, imc.biosData);
}

void AddCore2MemoryController(EmulatedMachine& m, PciFunction& mch, uint32_t base, const Core2Imc& imc) {
  auto& mchbar = AddMchbar(m, mch, base, 0x4000);
  if (imc.series4)
    mchbar.Set32(0x1A8, imc.ddr3 ? 0x04u : 0x00u);
  else
    mchbar.Set32(0x1E8, imc.ddr3 ? 0x00u : 0x01u);
  // The channel's CAS field holds CL plus a fixed offset: 6 on the 4 Series, 9 before.
  const uint32_t clField = static_cast<uint32_t>(imc.cl + (imc.series4 ? 6 : 9));
  for (uint32_t channel : {0x000u, 0x400u}) {
    mchbar.Set32(0x220 + channel, imc.twoT ? 0x10u : 0x00u);
    mchbar.Set32(0x250 + channel, static_cast<uint32_t>(imc.tRFC | imc.tRP << 13) << 16);  // 0x252
    mchbar.Set32(0x258 + channel, static_cast<uint32_t>(imc.tRCD) << 17);
    mchbar.Set32(0x25C + channel, static_cast<uint32_t>(imc.tRAS) << 8);  // 0x25D
    mchbar.Set32(0x260 + channel, 0x00100000);                            // rank population
    mchbar.Set32(0x264 + channel, clField << 16);                         // 0x265 bits 13:8
  }
  mchbar.Set32(0x110, 0x00000000);  // 0x111 bit 1 clear: interleaved (dual-channel) mode
  const uint32_t memory = imc.memoryCode;
  mchbar.SetDynamic32(0xC00, [&m, memory] { return memory << 4 | ClkcfgFsbCode(m.BclkMHz()); });
}

MchbarRegisters& AddMchbar(EmulatedMachine& m, PciFunction& host, uint32_t base, uint32_t size,
                           uint32_t barRegister) {
  host.Set32(barRegister, base | 1);
  host.SetWritable(barRegister, 1, 0x01);
  auto window = std::make_shared<MchbarRegisters>(host, size, barRegister);
  m.AddMmio(base, size, window);
  return *window;
}

uint32_t ClkcfgFsbCode(double busMHz) {
  struct Code {
    double mhz;
    uint32_t code;
  };
  static constexpr Code kCodes[] = {{133.33, 1}, {166.67, 3}, {200, 2}, {266.67, 0}, {333.33, 4}, {400, 6}};
  const Code* best = &kCodes[0];
  for (const Code& c : kCodes)
    if (std::fabs(c.mhz - busMHz) < std::fabs(best->mhz - busMHz)) best = &c;
  return best->code;
}

}  // namespace emu::parts
