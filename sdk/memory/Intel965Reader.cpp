// The 965 family's memory controller hubs: the desktop 946GZ/PL,
// Q963/Q965, P965/G965 and G35, and the mobile GM965, PM965, GME965 and
// GLE960 (Intel 965 Express and Mobile Intel 965 Express chipset family
// datasheets), DDR2 only. MCHBAR is host bridge register 0x48. Both keep
// the clocks in CLKCFG (0xC00: bus clock code in bits 2:0, memory clock
// code in bits 6:4) but lay the DRAM registers out differently: the
// desktop hubs as the 3 Series after them (channel 1 0x400 above channel
// 0, population in bits 23:20 of 0x260), the mobile ones in the CxDRB /
// CxDRT block at 0x1200 (channel 1 0x100 above; rank 3's boundary in the
// upper half of 0x1204 is the channel's top, 0 when it is empty).
// The GM45/GM47/PM45 keep the mobile layout and clock codes (coreboot's
// northbridge/intel/gm45/gm45.h: CxDRB at 0x1200, CxDRT at 0x1210 + 0x100
// per channel, CLKCFG at 0xC00; memtest86+ 5 decodes its timings and
// clocks as the GM965's) but run DDR2 or DDR3, and nothing read here tells
// which: their memory type stays unset.
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/ControllerReaders.h"

using mc::Field;
using mc::MchbarWindow;

namespace {

// A timing field: bits high..low of the dword at `offset`, plus `add`
// clocks; offset 0 when the hub has none.
struct TimingField {
  uint32_t offset;
  int high, low, add;
};

struct Hub965 {
  uint32_t channelStride;
  TimingField population;  // nonzero when the channel holds memory
  TimingField tRP, tRCD, tRAS, cas, tRFC;
  int fsbUnits[8];     // bus clock by code, in 33.33 MHz units
  int memoryUnits[8];  // memory clock by code, in 33.33 MHz units
};

constexpr Hub965 kDesktop = {
    0x400,
    {0x260, 23, 20, 0},
    {0x252, 16, 13, 0},  // tRP
    {0x258, 19, 16, 0},  // tRCD
    {0x250, 15, 11, 0},  // tRAS
    {0x29C, 19, 17, 3},  // CAS latency
    {0, 0, 0, 0},        // tRFC: not in this block
    {8, 4, 6, 5, 10, 0, 12, 0},   // 1066, 533, 800, 667, 1333, -, 1600
    {0, 8, 10, 12, 16, 20, 0, 0},  // DDR2-533, -667, -800 (and the codes above)
};

constexpr Hub965 kMobile = {
    0x100,
    {0x1204, 31, 16, 0},  // C0DRB3
    {0x1214, 2, 0, 2},    // CxDRT1 tRP - 2
    {0x1214, 7, 5, 2},    // CxDRT1 tRCD - 2
    {0x1214, 25, 21, 0},  // CxDRT1 tRAS
    {0x121C, 25, 23, 3},  // CxDRT3 CAS latency - 3
    {0x121C, 20, 13, 0},  // CxDRT3 tRFC
    {0, 4, 6, 5, 0, 0, 8, 0},    // -, 533, 800, 667, -, -, 1066
    {0, 5, 6, 8, 10, 12, 0, 0},  // DDR2-333, -400, -533, -667, -800
};

bool ReadField(const MchbarWindow& w, const TimingField& f, uint32_t channel, int* out) {
  bool ok = false;
  if (!f.offset) return false;
  const uint32_t v = w.Bits(f.offset + channel, f.high, f.low, &ok);
  if (ok) *out = static_cast<int>(v) + f.add;
  return ok;
}

void ReadHub(CNorthBridge& bridge, CMemoryInfo& info, const Hub965& hub) {
  MchbarWindow w(bridge, 0x2000, true);
  if (!w.Ok()) return;
  int present[2] = {};
  const bool known0 = ReadField(w, hub.population, 0, &present[0]);
  const bool known1 = ReadField(w, hub.population, hub.channelStride, &present[1]);
  if ((known0 || known1) && (present[0] || present[1])) {
    info.channelCount = present[0] && present[1] ? 2 : 1;
    const uint32_t c = present[0] ? 0 : hub.channelStride;
    ReadField(w, hub.tRP, c, &info.tRP);
    ReadField(w, hub.tRCD, c, &info.tRCD);
    ReadField(w, hub.tRAS, c, &info.tRAS);
    ReadField(w, hub.tRFC, c, &info.tRFC);
    int cas = 0;
    if (ReadField(w, hub.cas, c, &cas)) info.casLatency = static_cast<float>(cas);
  }
  uint32_t v = 0;
  if (w.Read(0xC00, &v)) mc::SetRatio(info, hub.fsbUnits[Field(v, 2, 0)], hub.memoryUnits[Field(v, 6, 4)]);
}

}  // namespace

void Read965Controller(CNorthBridge& bridge, CMemoryInfo& info, bool mobile) {
  info.typeCode = MEMTYPE_DDR2;
  ReadHub(bridge, info, mobile ? kMobile : kDesktop);
}

void ReadGm45Controller(CNorthBridge& bridge, CMemoryInfo& info) { ReadHub(bridge, info, kMobile); }
