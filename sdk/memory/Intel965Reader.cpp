// The 965 family's memory controller hubs and their successors built the
// same way: 946GZ/PL, Q963/Q965, P965/G965, G35 and the mobile GM965,
// PM965, GME965 and GLE960 (Intel 965 Express and Mobile 965 Express
// chipset family datasheets), DDR2. MCHBAR (host bridge register 0x48)
// holds per channel, channel 1 0x100 above channel 0:
//   CxDRBy  0x1200  rank boundaries, 16 bits per rank; rank 3's (0x1206)
//                   is the channel's top, 0 when the channel is empty
//   CxDRT1  0x1214  tRP - 2 in bits 2:0, tRCD - 2 in bits 7:5, tRAS in
//                   bits 25:21
//   CxDRT3  0x121C  CAS latency - 3 in bits 25:23, tRFC in bits 20:13
// and CLKCFG (0xC00) the bus clock in bits 2:0 and the memory clock in
// bits 6:4; the mobile parts number the memory clocks from 400 MT/s at
// code 2 (533 at 3, 667 at 4), the desktop ones from 533 at code 1.
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/ControllerReaders.h"

using mc::Field;
using mc::MchbarWindow;

namespace {

constexpr uint32_t kChannelStride = 0x100, kRankBoundaries = 0x1204, kDrt1 = 0x1214, kDrt3 = 0x121C;

// Clocks in units of 33.33 MHz, by CLKCFG code.
struct Clocking {
  int fsb[8];
  int memory[8];
};
constexpr Clocking kDesktop = {{8, 4, 6, 5, 0, 0, 0, 0}, {0, 8, 10, 12, 0, 0, 0, 0}};  // 1066/533/800/667; DDR2-533..800
constexpr Clocking kMobile = {{3, 4, 6, 5, 0, 0, 0, 0}, {0, 0, 6, 8, 10, 12, 0, 0}};   // 400/533/800/667; DDR2-400..800

}  // namespace

void Read965Controller(CNorthBridge& bridge, CMemoryInfo& info, bool mobile) {
  info.typeCode = MEMTYPE_DDR2;
  MchbarWindow w(bridge, 0x2000, true);
  if (!w.Ok()) return;
  uint32_t v = 0;
  bool populated[2] = {};
  bool known = false;
  for (uint32_t c = 0; c < 2; ++c) {
    if (!w.Read(kRankBoundaries + c * kChannelStride, &v)) continue;
    known = true;
    populated[c] = Field(v, 31, 16) != 0;
  }
  if (known && (populated[0] || populated[1])) {
    info.channelCount = populated[0] && populated[1] ? 2 : 1;
    const uint32_t c = populated[0] ? 0 : kChannelStride;
    if (w.Read(kDrt1 + c, &v)) {
      info.tRP = static_cast<int>(Field(v, 2, 0) + 2);
      info.tRCD = static_cast<int>(Field(v, 7, 5) + 2);
      info.tRAS = static_cast<int>(Field(v, 25, 21));
    }
    if (w.Read(kDrt3 + c, &v)) {
      info.casLatency = static_cast<float>(Field(v, 25, 23) + 3);
      info.tRFC = static_cast<int>(Field(v, 20, 13));
    }
  }
  if (w.Read(0xC00, &v)) {
    const Clocking& k = mobile ? kMobile : kDesktop;
    mc::SetRatio(info, k.fsb[Field(v, 2, 0)], k.memory[Field(v, 6, 4)]);
  }
}
