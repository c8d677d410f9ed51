// Memory controller hubs and host bridges whose controller registers sit
// in the MCHBAR window: the Core 2 generation (3-series, X38/X48,
// 4-series, Atom), Clarkdale, Sandy Bridge and Ivy Bridge. Offsets are
// those of the Intel datasheets' MCHBAR register maps (the channel 1 copy
// 0x400 above channel 0).
#include <cstdio>

#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/ControllerReaders.h"

using mc::Field;
using mc::MchbarWindow;

namespace {

// Channels, mode bit and the timings the Core 2 and Clarkdale controllers
// share; returns the offset of the channel whose registers are read
// (0 or 0x400), or -1 when neither is populated.
int ReadCommonChannels(const MchbarWindow& w, CMemoryInfo& info) {
  uint32_t v = 0;
  const bool ch0 = w.Read(0x260, &v) && Field(v, 23, 20) != 0;
  const bool ch1 = w.Read(0x660, &v) && Field(v, 23, 20) != 0;
  if (ch0 || ch1) info.channelCount = ch0 && ch1 ? 2 : 1;
  if (w.Read(0x111, &v)) info.modeBit = (v & 0x02) ? 0 : 1;
  if (!ch0 && !ch1) return -1;
  const uint32_t c = ch0 ? 0 : 0x400;
  bool ok = false;
  uint32_t b = w.Bits(0x25D + c, 5, 0, &ok);
  if (ok) info.tRAS = static_cast<int>(b);
  if (w.Read(0x252 + c, &v)) {
    info.tRFC = static_cast<int>(Field(v, 8, 0));
    info.tRP = static_cast<int>(Field(v, 16, 13));
  }
  b = w.Bits(0x258 + c, 20, 17, &ok);
  if (ok) info.tRCD = static_cast<int>(b);
  b = w.Bits(0x220 + c, 4, 4, &ok);
  if (ok) info.commandRate = b ? 2 : 1;
  return static_cast<int>(c);
}

// CLKCFG front-side bus (bits 2:0) and memory (bits 6:4) codes of the
// 3- and 4-series hubs, both in units of 33.33 MHz of clock.
int FsbUnits(uint32_t code) {
  static constexpr int kUnits[8] = {8, 4, 6, 5, 10, 0, 12, 0};  // 266, 133, 200, 166, 333, -, 400, -
  return kUnits[code & 7];
}
int MemoryUnits(uint32_t code) {
  static constexpr int kUnits[8] = {0, 8, 10, 12, 16, 20, 24, 0};  // DDR2-533 ... DDR3-1600
  return kUnits[code & 7];
}

}  // namespace

void ReadClarkdaleController(CNorthBridge& bridge, CMemoryInfo& info) {
  info.typeCode = MEMTYPE_DDR3;
  MchbarWindow w(bridge, 4096, true);
  if (!w.Ok()) return;
  const int c = ReadCommonChannels(w, info);
  uint32_t v = 0;
  if (c >= 0) {
    bool ok = false;
    const uint32_t cl = w.Bits(0x240 + c, 3, 0, &ok);
    if (ok && cl) {
      info.casLatency = static_cast<float>(cl + 3);
    } else if (w.Read(0x265 + c, &v)) {
      info.casLatency = static_cast<float>(static_cast<int>(Field(v, 13, 8)) - 5);
    }
  }
  if (w.Read(0x2C20, &v)) {
    const uint32_t r = Field(v, 4, 0);
    info.ratioValue = r * 0.25f;
    std::snprintf(info.ratioText, sizeof(info.ratioText), "4:%u", r);
  }
}

namespace {

void ReadSandyOrIvy(CNorthBridge& bridge, CMemoryInfo& info, bool ivy) {
  info.typeCode = MEMTYPE_DDR3;
  // MCHBAR is enabled by the firmware on these; nothing is switched on.
  MchbarWindow w(bridge, 0x6000, false);
  if (!w.Ok()) return;
  uint32_t v0 = 0, v1 = 0;
  const bool r0 = w.Read(0x5004, &v0), r1 = w.Read(0x5008, &v1);  // MAD_DIMM_CH0/1
  if (!r0 && !r1) return;
  const uint32_t w0 = r0 ? v0 & 0xFFFF : 0, w1 = r1 ? v1 & 0xFFFF : 0;
  uint32_t c = 0;
  if (w0 && w1) {
    info.channelCount = 2;
  } else {
    info.channelCount = 1;
    c = w0 ? 0 : 0x400;
  }
  uint32_t v = 0;
  if (w.Read(0x4000 + c, &v)) {  // TC_DBP
    info.casLatency = static_cast<float>(Field(v, 11, 8));
    info.tRCD = static_cast<int>(Field(v, 3, 0));
    info.tRP = static_cast<int>(Field(v, 7, 4));
    info.tRAS = static_cast<int>(Field(v, 23, 16));
  }
  if (w.Read(0x4004 + c, &v)) {  // TC_RAP
    const uint32_t rate = Field(v, 31, 30);
    info.commandRate = rate ? static_cast<int>(rate) : 1;
  }
  // MC_BIOS_DATA: the DDR ratio in 133.33 MHz steps; on Ivy Bridge bit 8
  // selects 100 MHz steps.
  if (w.Read(0x5E04, &v)) {
    const uint32_t r = Field(v, 4, 0);
    std::snprintf(info.ratioText, sizeof(info.ratioText), "1:%u", r);
    info.ratioValue = (ivy && (v & 0x100)) ? r * 1.0f : r * 1.3334f;
  }
}

}  // namespace

void ReadSandyBridgeController(CNorthBridge& bridge, CMemoryInfo& info) { ReadSandyOrIvy(bridge, info, false); }
void ReadIvyBridgeController(CNorthBridge& bridge, CMemoryInfo& info) { ReadSandyOrIvy(bridge, info, true); }

void ReadCore2Controller(CNorthBridge& bridge, CMemoryInfo& info, Core2Hub hub) {
  MchbarWindow w(bridge, 4096, true);
  if (!w.Ok()) return;
  uint32_t clkcfg = 0;
  if (!w.Read(0xC00, &clkcfg) || clkcfg == 0) return;
  uint32_t v = 0;
  switch (hub) {
    case Core2Hub::Series4:
      if (w.Read(0x1A8, &v)) info.typeCode = (v & 0x04) ? MEMTYPE_DDR3 : MEMTYPE_DDR2;
      break;
    case Core2Hub::Atom:
      if (w.Read(0x224, &v)) {
        if (Field(v, 4, 0) == 0) info.typeCode = MEMTYPE_DDR2;
        if (Field(v, 4, 0) == 1) info.typeCode = MEMTYPE_DDR3;
      }
      break;
    case Core2Hub::Series3:
      if (w.Read(0x1E8, &v)) info.typeCode = (v & 0x01) ? MEMTYPE_DDR2 : MEMTYPE_DDR3;
      break;
  }
  const int c = ReadCommonChannels(w, info);
  if (c >= 0 && w.Read(0x265 + c, &v))
    info.casLatency = static_cast<float>(static_cast<int>(Field(v, 13, 8)) - (hub == Core2Hub::Series4 ? 6 : 9));
  // FSB:DRAM from the clocking configuration.
  const int fsb = FsbUnits(Field(clkcfg, 2, 0)), mem = MemoryUnits(Field(clkcfg, 6, 4));
  mc::SetRatio(info, fsb, mem);
}
