// The DRAM controllers integrated in AMD processors, read from function 2
// of the northbridge device (0:18.2): the DDR controller of the early K8,
// the DDR2 controller of the K8 from revision F on, the K10 controller
// (DDR2, and DDR3 in its AM3 parts) with the family 11h one built like it,
// and the DDR3 controllers of families 12h, 14h and 15h.
// Layout from the family 10h BIOS and Kernel Developer's Guide: F2x88
// DRAM Timing Low, F2x8C DRAM Timing High, F2x90/F2x94 DRAM Configuration
// Low/High and F2x110 DRAM Controller Select Low; the K10's second
// controller (DCT1) has the same registers 0x100 higher. The memory clock
// is a multiple of the 200 MHz reference clock the processor's bus clock
// also comes from.
#include <cmath>
#include <cstdio>

#include "sdk/access/CPCIDevice.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/ControllerReaders.h"

using mc::Field;

namespace {

constexpr uint32_t kTimingLow = 0x88, kTimingHigh = 0x8C, kConfigLow = 0x90, kConfigHigh = 0x94, kSelectLow = 0x110;
constexpr uint32_t kDct1 = 0x100;
constexpr uint32_t kDdr3Mode = 1u << 8, kMemClkFreqValid = 1u << 3, kDisDramInterface = 1u << 14,
                   kSlowAccessMode = 1u << 20, kDctGangEn = 1u << 4, kWidth128 = 1u << 11;

// MemClkFreq codes: the memory clock in units of 200/3 MHz and the
// reference clock : memory clock ratio as the Memory page writes it.
struct MemClk {
  int thirds;  // MHz x 3 / 200
  const char* ratio;
};
constexpr MemClk kMemClk[8] = {
    {3, "1:1"}, {4, "3:4"}, {5, "3:5"}, {6, "1:2"}, {8, "3:8"}, {10, "3:10"}, {12, "1:4"}, {0, nullptr},
};

// Trfc0 codes of F2x8C[22:20] in nanoseconds (by device density).
constexpr float kTrfcDdr2[5] = {75.0f, 105.0f, 127.5f, 195.0f, 327.5f};
constexpr float kTrfcDdr3[5] = {90.0f, 110.0f, 160.0f, 300.0f, 350.0f};

// Registers above 0xFF (the second controller, the select register) are
// extended configuration space: read through the enhanced configuration
// window where the platform has one; without it they are unknown.
bool Read(CNorthBridge& bridge, uint32_t reg, uint32_t* value) {
  if (reg > 0xFF) {
    const CPCIDevice* d = bridge.device;
    return d && mc::ReadPci(d->bus, d->device, d->function, reg, value);
  }
  *value = bridge.ReadConfig(reg);
  return *value != 0xFFFFFFFF;
}

// Revision F (sockets AM2 and F, DDR2) starts at extended model 4; the
// DDR controllers before it lay these registers out otherwise. Unknown
// without an identified family 0Fh processor.
enum class K8Revision { Unknown, BeforeF, FOrLater };
K8Revision K8RevisionOf(CProcessor* p) {
  if (!p || p->GetFamily() != 0xF || p->GetExtendedFamily() != 0) return K8Revision::Unknown;
  return p->GetExtendedModel() >= 4 ? K8Revision::FOrLater : K8Revision::BeforeF;
}

CProcessor* FirstProcessor() {
  CCPUInterface* cpu = QUARNSDK::HasInstance() ? QUARNSDK::GetInstance()->cpuInterface : nullptr;
  return cpu ? cpu->GetProcessor(0) : nullptr;
}

// The DDR controller of the K8 before revision F (BKDG for the AMD
// Athlon 64 and Opteron, F2x88-F2x94): one controller, 64 or 128 bits.
// Its memory clock is the core clock divided by an integer: the smallest
// divisor that keeps the clock at or below the nominal one for the
// processor's highest multiplier.
void ReadK8DdrController(CNorthBridge& bridge, CMemoryInfo& info, CProcessor* p) {
  uint32_t low = 0, config = 0, high = 0;
  if (!Read(bridge, kConfigHigh, &high) || !(high & (1u << 25))) return;  // MemClkValid
  info.typeCode = MEMTYPE_DDR;
  if (Read(bridge, kConfigLow, &config)) {
    info.channelCount = (config & (1u << 16)) ? 2 : 1;  // 128BitEn
    info.commandRate = (config & (1u << 28)) ? 2 : 1;   // En2T
  }
  if (Read(bridge, kTimingLow, &low)) {
    static constexpr float kCl[8] = {-1, 2, 3, -1, -1, 2.5f, -1, -1};
    if (kCl[Field(low, 2, 0)] > 0) info.casLatency = kCl[Field(low, 2, 0)];
    info.tRFC = static_cast<int>(Field(low, 11, 8) + 9);
    info.tRCD = static_cast<int>(Field(low, 14, 12));
    info.tRAS = static_cast<int>(Field(low, 23, 20));
    info.tRP = static_cast<int>(Field(low, 26, 24));
  }
  // MemClk codes 000b 100, 010b 133, 101b 166, 111b 200 MHz.
  static constexpr int kThirdsOf100[8] = {3, 0, 4, 0, 0, 5, 0, 6};
  const int thirds = kThirdsOf100[Field(high, 22, 20)];
  float ratio = p ? p->GetCoreMaxRatio(0) : -1.0f;
  if (!(ratio > 0) && p) ratio = p->GetCoreMultiplier(0);
  if (thirds && ratio > 0) {
    const float nominal = 100.0f * static_cast<float>(thirds) / 3.0f;
    info.clockDivisor = static_cast<int>(std::ceil(ratio * 200.0f / nominal - 0.001f));
  }
}

// tRFC in clocks of the memory clock from a Trfc0 code (ns by device
// density); a reserved code or an unknown clock gives none.
void SetTrfc(CMemoryInfo& info, uint32_t code, bool ddr3, float mhz) {
  if (code >= 5 || !(mhz > 0)) return;
  const float ns = ddr3 ? kTrfcDdr3[code] : kTrfcDdr2[code];
  info.tRFC = static_cast<int>(std::ceil(ns * mhz / 1000.0f - 0.01f));
}

// The K10 controller (families 10h and 11h) and the K8 from revision F:
// one or two DCTs, the second one's registers 0x100 higher.
void ReadK10Controller(CNorthBridge& bridge, CMemoryInfo& info, bool k8) {
  uint32_t high[2] = {}, value = 0;
  bool active[2] = {}, known[2] = {};
  for (int d = 0; d < (k8 ? 1 : 2); ++d) {
    known[d] = Read(bridge, kConfigHigh + d * kDct1, &high[d]);
    active[d] = known[d] && !(high[d] & kDisDramInterface);
  }
  if (!active[0] && !active[1]) return;
  const bool wide = Read(bridge, kConfigLow, &value) && (value & kWidth128);
  if (k8) {
    info.channelCount = wide ? 2 : 1;
  } else if (Read(bridge, kSelectLow, &value) && (value & kDctGangEn)) {
    // Ganged, both controllers run one 128-bit channel pair in lockstep.
    info.channelCount = 2;
  } else if (known[1] || wide) {
    info.channelCount = wide ? 2 : static_cast<int>(active[0]) + static_cast<int>(active[1]);
  }
  const int d = active[0] ? 0 : 1;
  const uint32_t config = high[d];
  const bool ddr3 = config & kDdr3Mode;
  info.typeCode = ddr3 ? MEMTYPE_DDR3 : MEMTYPE_DDR2;
  info.commandRate = (config & kSlowAccessMode) ? 2 : 1;

  float mhz = -1.0f;
  const int code = static_cast<int>(Field(config, 2, 0));
  if ((config & kMemClkFreqValid) && kMemClk[code].ratio && (ddr3 ? code >= 3 : code <= 3)) {
    info.ratioValue = static_cast<float>(kMemClk[code].thirds) / 3.0f;
    std::snprintf(info.ratioText, sizeof(info.ratioText), "%s", kMemClk[code].ratio);
    mhz = 200.0f * info.ratioValue;
  }

  uint32_t low = 0;
  if (Read(bridge, kTimingLow + d * kDct1, &low)) {
    if (ddr3) {
      info.casLatency = static_cast<float>(Field(low, 3, 0) + 4);
      info.tRCD = static_cast<int>(Field(low, 6, 4) + 5);
      info.tRP = static_cast<int>(Field(low, 9, 7) + 5);
      info.tRAS = static_cast<int>(Field(low, 15, 12) + 15);
    } else {
      info.casLatency = static_cast<float>(Field(low, 3, 0) + 1);
      info.tRCD = static_cast<int>(Field(low, 5, 4) + 3);
      info.tRP = static_cast<int>(Field(low, 9, 8) + 3);
      info.tRAS = static_cast<int>(Field(low, 15, 12) + 3);
    }
  }
  uint32_t timingHigh = 0;
  if (Read(bridge, kTimingHigh + d * kDct1, &timingHigh)) SetTrfc(info, Field(timingHigh, 22, 20), ddr3, mhz);
}

// From family 12h on the DCT takes a five-bit MemClkFreq, valid with bit 7
// of F2x94: the memory clock is (code + 6) x 33.33 MHz for the codes the
// BIOS programs (333 MHz at 04h up to 1066 MHz at 1Ah; AGESA's client and
// unified northbridge code, family 15h BKDG). DDR3 only.
constexpr uint32_t kMemClkFreqValidLate = 1u << 7;
float SetLateMemClk(uint32_t configHigh, CMemoryInfo& info) {
  const uint32_t code = Field(configHigh, 4, 0);
  const bool programmable = code == 4 || code == 6 || (code >= 10 && code <= 26 && (code - 10) % 4 == 0);
  if (!(configHigh & kMemClkFreqValidLate) || !programmable) return -1.0f;
  // Against the 200 MHz reference clock: (code + 6) / 6.
  mc::SetRatio(info, 6, static_cast<int>(code) + 6);
  return 200.0f * info.ratioValue;
}

// Families 12h (Llano) and 14h (Ontario, Zacate), the client northbridge:
// F2x88 holds only the CAS latency (Tcl, CL - 4); tRCD, tRP and tRAS sit in
// the DCT's extra register space behind the F2xF0 index register, which a
// reader would have to write, so they are not read. Llano has a second DCT
// 0x100 higher; Ontario one (`dcts` 0: not known, the first is read and
// no channel count given).
void ReadClientController(CNorthBridge& bridge, CMemoryInfo& info, int dcts) {
  uint32_t high[2] = {};
  bool active[2] = {};
  for (int d = 0; d < (dcts == 2 ? 2 : 1); ++d)
    active[d] = Read(bridge, kConfigHigh + d * kDct1, &high[d]) && !(high[d] & kDisDramInterface);
  if (!active[0] && !active[1]) return;
  if (dcts) info.channelCount = static_cast<int>(active[0]) + static_cast<int>(active[1]);
  const int d = active[0] ? 0 : 1;
  info.typeCode = MEMTYPE_DDR3;
  info.commandRate = (high[d] & kSlowAccessMode) ? 2 : 1;
  const float mhz = SetLateMemClk(high[d], info);
  uint32_t v = 0;
  if (Read(bridge, kTimingLow + d * kDct1, &v) && Field(v, 3, 0) != 0)
    info.casLatency = static_cast<float>(Field(v, 3, 0) + 4);
  if (Read(bridge, kTimingHigh + d * kDct1, &v)) SetTrfc(info, Field(v, 22, 20), true, mhz);
}

// Family 15h: the timings moved to F2x200 (DRAM Timing 0: Tcl 4:0, Trcd
// 12:8, Trp 20:16, Tras 29:24, all in clocks) and F2x208 (Trfc0 2:0). The
// second DCT is reached only by switching F1x10C[DctCfgSel], a write, so
// the registers read are those of the DCT the firmware left selected; the
// channel count comes from F2x110, whose high-range and channel-interleave
// enables are set only when both DCTs carry memory.
void ReadFam15Controller(CNorthBridge& bridge, CMemoryInfo& info) {
  uint32_t high = 0, v = 0;
  if (!Read(bridge, kConfigHigh, &high) || (high & kDisDramInterface)) return;
  info.typeCode = MEMTYPE_DDR3;
  info.commandRate = (high & kSlowAccessMode) ? 2 : 1;
  const float mhz = SetLateMemClk(high, info);
  if (Read(bridge, kSelectLow, &v)) info.channelCount = (v & 0x5) ? 2 : 1;  // DctSelHiRngEn, DctSelIntLvEn
  if (Read(bridge, 0x200, &v)) {
    info.casLatency = static_cast<float>(Field(v, 4, 0));
    info.tRCD = static_cast<int>(Field(v, 12, 8));
    info.tRP = static_cast<int>(Field(v, 20, 16));
    info.tRAS = static_cast<int>(Field(v, 29, 24));
  }
  if (Read(bridge, 0x208, &v)) SetTrfc(info, Field(v, 2, 0), true, mhz);
}

}  // namespace

void ReadAmdDramController(CNorthBridge& bridge, CMemoryInfo& info) {
  switch (bridge.device ? bridge.device->DeviceId() : 0) {
    case 0x1102: {  // K8: the layout depends on the revision
      CProcessor* p = FirstProcessor();
      const K8Revision revision = K8RevisionOf(p);
      if (revision == K8Revision::BeforeF) ReadK8DdrController(bridge, info, p);
      if (revision == K8Revision::FOrLater) ReadK10Controller(bridge, info, true);
      break;
    }
    case 0x1702: {  // families 12h and 14h share the function's identifier
      CProcessor* p = FirstProcessor();
      const bool known = p && p->GetFamily() == 0xF;
      const int ext = known ? p->GetExtendedFamily() : -1;
      // Without the processor's family the number of DCTs is not known.
      ReadClientController(bridge, info, ext == 3 ? 2 : (ext == 5 ? 1 : 0));
      break;
    }
    case 0x1602: case 0x1402: case 0x141C: case 0x1572: ReadFam15Controller(bridge, info); break;
    default: ReadK10Controller(bridge, info, false); break;
  }
}
