// Intel 8xx and 915/925 memory controller hubs (DDR, DDR2 on the 915/925):
//  - 865/848 and 875P: the DRAM controller registers sit in the memory
//    window (BAR0) of the hub's device 6, which the hub hides unless bit 1
//    of host bridge register 0xF4 is set. DRT (window 0x60): tRP in bits
//    1:0 and tRCD in bits 3:2 (0 4 clocks, 1 3, else 2), CAS latency in
//    bits 6:5 (0 2.5, 1 2, else 3), tRAS = 10 - bits 9:7; bits 22:21 of
//    window 0x68 nonzero in dual channel mode. The memory clock: host
//    bridge 0xC6 bits 1:0 the bus (0 400, 1 533, 2 800 MT/s) and bits 11:10
//    the memory clock select.
//  - 855PM: DRT (host bridge 0x78) tRP bit 0 and tRCD bit 2 (set 2 clocks,
//    else 3), CAS latency bit 4 (set 2, else 2.5), tRAS bits 10:9 (0 7,
//    1 6, 2 5); the DRAM:bus clock in 0xC6 bits 11:10.
//  - 852GM/855GM: DRT in function 1 (0x60) as the 865's, tRAS bits 10:9
//    (0 8 clocks ... 3 5), CAS latency bit 5 (set 2, else 2.5); the clock
//    select in function 3 register 0xC0 bits 2:0.
//  - 915/925 (and E7221): MCHBAR at host bridge 0x44; DRT 0x114 (tRP - 2
//    bits 1:0, tRCD - 2 bits 5:4, CAS code bits 9:8, tRAS bits 23:20), DRC
//    0x120 bits 1:0 the memory type (2 DDR2), DCC 0x200 bits 1:0 the
//    channel mode (1 dual asymmetric, 2 dual interleaved), CLKCFG 0xC00.
#include "sdk/access/CIOSpace.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/ControllerReaders.h"

using mc::Field;
using mc::MchbarWindow;

namespace {

// bus:memory clock ratios; {0, 0} is none.
struct Ratio {
  int bus, memory;
};

constexpr uint32_t kDevice6Enable = 1u << 1;

// DRT of the 865/875 overflow device, and the 852/855GM, which share the
// encoding of tRP, tRCD and the CAS latency.
constexpr int kDelay[4] = {4, 3, 2, 2};

void ReadOverflowDevice(CMemoryInfo& info) {
  uint32_t bar = 0;
  if (!mc::ReadPci(0, 6, 0, 0x10, &bar)) return;
  CIOSpace* w = mc::MapMemoryWindow(bar & ~0xFFFu, 0x1000);
  if (!w) return;
  uint32_t drt = 0, dual = 0;
  if (w->Read32(0x60, &drt) && drt != 0xFFFFFFFF) {
    static constexpr float kCl[4] = {2.5f, 2, 3, 3};
    info.tRP = kDelay[Field(drt, 1, 0)];
    info.tRCD = kDelay[Field(drt, 3, 2)];
    info.casLatency = kCl[Field(drt, 6, 5)];
    info.tRAS = 10 - static_cast<int>(Field(drt, 9, 7));
  }
  if (w->Read32(0x68, &dual) && dual != 0xFFFFFFFF) info.channelCount = Field(dual, 22, 21) ? 2 : 1;
}

}  // namespace

void Read875Controller(CNorthBridge& bridge, CMemoryInfo& info) {
  info.typeCode = MEMTYPE_DDR;
  const uint32_t cfg = bridge.ReadConfig(0xC4);
  if (cfg != 0xFFFFFFFF) {
    // [bus code][memory clock select]
    static constexpr Ratio k875[4][4] = {{{3, 4}, {3, 4}, {3, 4}, {0, 0}},
                                        {{1, 1}, {4, 5}, {2, 3}, {0, 0}},
                                        {{3, 2}, {5, 4}, {1, 1}, {0, 0}},
                                        {{1, 1}, {1, 1}, {1, 1}, {1, 1}}};
    const Ratio r = k875[Field(cfg, 17, 16)][Field(cfg, 27, 26)];
    mc::SetRatio(info, r.bus, r.memory);
  }
  // Device 6 shown for the read only, hidden again as the firmware left it.
  const uint32_t f4 = bridge.ReadConfig(0xF4);
  if (f4 == 0xFFFFFFFF) return;
  const bool hidden = !(f4 & kDevice6Enable);
  if (hidden) {
    if (!bridge.WriteConfig(0xF4, f4 | kDevice6Enable)) return;
    const uint32_t now = bridge.ReadConfig(0xF4);
    if (now == 0xFFFFFFFF || !(now & kDevice6Enable)) {
      bridge.WriteConfig(0xF4, f4);
      return;
    }
  }
  ReadOverflowDevice(info);
  if (hidden) bridge.WriteConfig(0xF4, f4);
}

void Read855PmController(CNorthBridge& bridge, CMemoryInfo& info) {
  info.typeCode = MEMTYPE_DDR;
  const uint32_t drt = bridge.ReadConfig(0x78);
  if (drt != 0xFFFFFFFF) {
    static constexpr int kTras[4] = {7, 6, 5, -1};
    info.tRP = (drt & 0x01) ? 2 : 3;
    info.tRCD = (drt & 0x04) ? 2 : 3;
    info.casLatency = (drt & 0x10) ? 2.0f : 2.5f;
    if (kTras[Field(drt, 10, 9)] > 0) info.tRAS = kTras[Field(drt, 10, 9)];
  }
  const uint32_t cfg = bridge.ReadConfig(0xC4);
  if (cfg != 0xFFFFFFFF) {
    static constexpr Ratio kSelect[4] = {{1, 1}, {3, 5}, {3, 4}, {3, 4}};
    const Ratio r = kSelect[Field(cfg, 27, 26)];
    mc::SetRatio(info, r.bus, r.memory);
  }
}

void Read852GmController(CNorthBridge& bridge, CMemoryInfo& info) {
  info.typeCode = MEMTYPE_DDR;
  const uint32_t bus = bridge.device ? bridge.device->bus : 0, dev = bridge.device ? bridge.device->device : 0;
  uint32_t v = 0;
  if (mc::ReadPci(bus, dev, 1, 0x60, &v)) {
    static constexpr int kTras[4] = {8, 7, 6, 5};
    info.tRP = kDelay[Field(v, 1, 0)];
    info.tRCD = kDelay[Field(v, 3, 2)];
    info.casLatency = (v & 0x20) ? 2.0f : 2.5f;
    info.tRAS = kTras[Field(v, 10, 9)];
  }
  if (mc::ReadPci(bus, dev, 3, 0xC0, &v)) {
    static constexpr Ratio kSelect[8] = {{3, 4}, {1, 1}, {1, 1}, {3, 4}, {1, 1}, {1, 1}, {4, 5}, {3, 5}};
    const Ratio r = kSelect[Field(v, 2, 0)];
    mc::SetRatio(info, r.bus, r.memory);
  }
}

void Read915Controller(CNorthBridge& bridge, CMemoryInfo& info, bool mobile) {
  MchbarWindow w(bridge, 4096, true, 0x44);
  if (!w.Ok()) return;
  uint32_t drc = 0, v = 0;
  if (!w.Read(0x120, &drc)) return;  // without the type the CAS code means nothing
  const bool ddr2 = Field(drc, 1, 0) == 2;
  info.typeCode = ddr2 ? MEMTYPE_DDR2 : MEMTYPE_DDR;
  if (w.Read(0x200, &v)) info.channelCount = (Field(v, 1, 0) == 1 || Field(v, 1, 0) == 2) ? 2 : 1;
  if (w.Read(0x114, &v)) {
    static constexpr float kDdr2Cl[4] = {5, 4, 3, 6};
    static constexpr float kDdrCl[4] = {3, 2.5f, 2, 2};
    info.tRP = static_cast<int>(Field(v, 1, 0) + 2);
    info.tRCD = static_cast<int>(Field(v, 5, 4) + 2);
    info.casLatency = (ddr2 ? kDdr2Cl : kDdrCl)[Field(v, 9, 8)];
    info.tRAS = static_cast<int>(Field(v, 23, 20));
  }
  if (!w.Read(0xC00, &v)) return;
  const uint32_t select = Field(v, 5, 4);
  Ratio r = {1, 1};
  if (!ddr2) {
    if (select == 1) r = {5, 4};
  } else if (v & 0x04) {  // 1066 MT/s bus
    if (select == 2) r = {4, 3};
  } else if (select == 1) {
    r = {3, 2};
  } else if (select == 2) {
    r = mobile ? Ratio{2, 3} : Ratio{1, 1};
  } else if (select == 3) {
    r = !(v & 0x01) ? Ratio{3, 4} : (mobile ? Ratio{1, 2} : Ratio{2, 3});
  }
  mc::SetRatio(info, r.bus, r.memory);
}
