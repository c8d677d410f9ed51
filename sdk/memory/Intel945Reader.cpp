// The 945 family's memory controller hub (Intel 945G/945P/945PL and
// 945GM/945PM/945GME Express chipset datasheets), DDR2 only. Its MCHBAR
// (host bridge register 0x44) holds per channel the DRAM timing register
// CxDRT1 (channel 0 at 0x114, channel 1 at 0x194): tRP - 2 in bits 2:0,
// tRCD - 2 in bits 6:4, the CAS latency code in bits 9:8 (0 CL5, 1 CL4,
// 2 CL3, 3 CL6), tRFC in bits 15:10 and tRAS in bits 23:19, in clocks;
// the channel mode in DCC (0x200) bits 2:0 (0 channel 0 alone, bit 0 dual
// asymmetric, bit 1 dual interleaved, bit 2 channel 1 alone); and the
// clocks in CLKCFG (0xC00): the front-side bus in bits 2:0, the memory in
// bits 6:4 (the mobile parts count the memory codes one higher).
#include <cstdio>

#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/ControllerReaders.h"

using mc::Field;
using mc::MchbarWindow;

namespace {

// Clocks in units of 33.33 MHz (the bus's base clock, the memory clock).
int FsbUnits(uint32_t code, bool mobile) {
  static constexpr int kDesktop[8] = {8, 4, 6, 5, 0, 0, 0, 0};  // 1066, 533, 800, 667
  static constexpr int kMobile[8] = {3, 4, 0, 5, 0, 0, 0, 0};   // 400, 533, -, 667
  return (mobile ? kMobile : kDesktop)[code & 7];
}
int MemoryUnits(uint32_t code, bool mobile) {
  static constexpr int kUnits[8] = {0, 6, 8, 10, 0, 0, 0, 0};  // DDR2-400, -533, -667
  const uint32_t c = mobile ? code - 1 : code;
  return c < 8 ? kUnits[c] : 0;
}

}  // namespace

void Read945Controller(CNorthBridge& bridge, CMemoryInfo& info, bool mobile) {
  info.typeCode = MEMTYPE_DDR2;
  MchbarWindow w(bridge, 4096, true, 0x44);
  if (!w.Ok()) return;
  uint32_t v = 0;
  uint32_t channel = 0;
  if (w.Read(0x200, &v)) {
    const uint32_t mode = Field(v, 2, 0);
    info.channelCount = (mode & 3) ? 2 : 1;
    if (mode & 4) channel = 0x80;
  }
  if (w.Read(0x114 + channel, &v)) {
    static constexpr float kCl[4] = {5, 4, 3, 6};
    info.tRP = static_cast<int>(Field(v, 2, 0) + 2);
    info.tRCD = static_cast<int>(Field(v, 6, 4) + 2);
    info.casLatency = kCl[Field(v, 9, 8)];
    info.tRFC = static_cast<int>(Field(v, 15, 10));
    info.tRAS = static_cast<int>(Field(v, 23, 19));
  }
  if (w.Read(0xC00, &v)) {
    const int fsb = FsbUnits(Field(v, 2, 0), mobile), mem = MemoryUnits(Field(v, 6, 4), mobile);
    mc::SetRatio(info, fsb, mem);
  }
}
