// The DRAM controllers integrated in AMD processors, read from function 2
// of the northbridge device (0:18.2): the DDR controller of the early K8,
// the DDR2 controller of the K8 from revision F on and the K10 controller
// (DDR2, and DDR3 in its AM3 parts).
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

}  // namespace

void ReadAmdDramController(CNorthBridge& bridge, CMemoryInfo& info) {
  // The K8 has one controller, 64 or 128 bits wide; the K10 two.
  const bool k8 = bridge.device && bridge.device->DeviceId() == 0x1102;
  if (k8) {
    CProcessor* p = FirstProcessor();
    const K8Revision revision = K8RevisionOf(p);
    if (revision == K8Revision::BeforeF) ReadK8DdrController(bridge, info, p);
    if (revision != K8Revision::FOrLater) return;
  }
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
  const uint32_t trfc = Read(bridge, kTimingHigh + d * kDct1, &timingHigh) ? Field(timingHigh, 22, 20) : 7;
  // tRFC in clocks of the memory clock; a reserved code or an unknown clock
  // gives none.
  if (trfc < 5 && mhz > 0) {
    const float ns = ddr3 ? kTrfcDdr3[trfc] : kTrfcDdr2[trfc];
    info.tRFC = static_cast<int>(std::ceil(ns * mhz / 1000.0f - 0.01f));
  }
}
