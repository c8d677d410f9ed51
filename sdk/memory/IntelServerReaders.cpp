// Intel server memory controller hubs:
//  - E7500, E7501, E7505, E7205 (DDR): DRT (0x78) holds tRP (bit 0 set: 2
//    clocks, else 3), tRCD (bit 1 set: 2, else 3), CAS latency (bit 4 set:
//    2, else 2.5) and tRAS (bits 10:9: 0 7 clocks, 1 6, 2 5); DRC (0x7C)
//    the data integrity mode in bits 21:20 (nonzero: ECC) and the dual
//    channel bit 22, which the E7500 does not have: it always runs both
//    channels (the kernel's e7xxx_edac, the E7501 datasheet). The E7500
//    and E7501 clock the memory with the front-side bus.
//  - E7520, E7320, E7525: DRT (0x78) CAS latency - 2 in bits 3:2, tRP - 3
//    in bit 9, tRCD - 3 in bit 10, tRAS - 11 in bits 15:14; DRC bits 21:20
//    the data integrity mode; DDRCSR (0x9A) bits 13:12 both set in dual
//    channel mode (e752x_edac).
//  - 5000P/V/X/Z and 5400 (FB-DIMM): the branches' functions 21.0 and
//    22.0 report the channels with an advanced memory buffer present
//    (AMBPRESENT 0x64 and 0x66, one bit per DIMM; i5000_edac), function
//    16.1 the ECC enable (MC 0x40 bit 5) and the FSB:FBD clock mapping in
//    DDRFRQ (0x56): bits 5:4 on the 5000 (0 1:1, 2 4:5, 3 5:4), bits 2:0 on
//    the 5400 (0, 1, 4 1:1, 2 4:5, 3 and 7 5:4). The DRAM timings live in
//    the buffers on the DIMMs, not in the hub.
//  - 5100 (DDR2, two independent channels): device 16 function 1 holds MC
//    (0x40, bit 5 error detection enable); devices 21.0 and 22.0 are the
//    memory maps of channels 0 and 1, each with six Memory Technology
//    Registers (words at 0x154, 0x156, 0x158, 0x15A, 0x1B0, 0x1B2), bit 10
//    DIMM present (the kernel's i5100_edac, 5100 MCH datasheet 318378).
//  - 7300 (FB-DIMM, two branches of two channels): device 16 function 1
//    holds MC_SETTINGS (0x40, bit 5 ECC enable) and MC_SETTINGS_A (0x58,
//    bit 14 single channel mode: only channel 0 of branch 0); devices 21.0
//    and 22.0 are branches 0 and 1 with eight MTRs (words at 0x80 to 0x8E),
//    bit 8 DIMMs present; outside single mode the two channels of a branch
//    are filled together, so a branch with DIMMs runs two channels (the
//    kernel's i7300_edac, 7300 MCH datasheet 318082).
#include <cstdio>
#include <initializer_list>

#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/ControllerReaders.h"

using mc::Field;

namespace {

void SetEcc(CMemoryInfo& info, bool on) {
  info.eccEnabled = on ? 1 : 0;
  std::snprintf(info.eccText, sizeof(info.eccText), "%s", on ? "ECC" : "No-ECC");
}

// Fixed ratios by code: bus:memory.
struct Ratio {
  int bus, memory;
};

}  // namespace

void ReadE750xController(CNorthBridge& bridge, CMemoryInfo& info, bool e7500, bool synchronous) {
  info.typeCode = MEMTYPE_DDR;
  const uint32_t drt = bridge.ReadConfig(0x78), drc = bridge.ReadConfig(0x7C);
  if (drt != 0xFFFFFFFF) {
    info.tRP = (drt & 0x01) ? 2 : 3;
    info.tRCD = (drt & 0x02) ? 2 : 3;
    info.casLatency = (drt & 0x10) ? 2.0f : 2.5f;
    static constexpr int kTras[4] = {7, 6, 5, -1};
    if (kTras[Field(drt, 10, 9)] > 0) info.tRAS = kTras[Field(drt, 10, 9)];
  }
  if (drc != 0xFFFFFFFF) {
    SetEcc(info, Field(drc, 21, 20) != 0);
    info.channelCount = (e7500 || (drc & (1u << 22))) ? 2 : 1;
  }
  if (synchronous) mc::SetRatio(info, 1, 1);
}

void ReadE752xController(CNorthBridge& bridge, CMemoryInfo& info) {
  const uint32_t drt = bridge.ReadConfig(0x78), drc = bridge.ReadConfig(0x7C), csr = bridge.ReadConfig(0x98);
  if (drt != 0xFFFFFFFF) {
    info.casLatency = static_cast<float>(Field(drt, 3, 2) + 2);
    info.tRP = static_cast<int>(Field(drt, 9, 9) + 3);
    info.tRCD = static_cast<int>(Field(drt, 10, 10) + 3);
    info.tRAS = static_cast<int>(Field(drt, 15, 14) + 11);
  }
  if (drc != 0xFFFFFFFF) SetEcc(info, Field(drc, 21, 20) != 0);
  if (csr != 0xFFFFFFFF) info.channelCount = Field(csr, 29, 28) == 3 ? 2 : 1;  // DDRCSR is the upper half
}

// The hub's other functions sit on bus 0 next to the host bridge.
void ReadFbdController(CNorthBridge& /*bridge*/, CMemoryInfo& info, bool i5400) {
  info.typeCode = MEMTYPE_FB_DDR2;
  uint32_t v = 0;
  int channels = 0;
  bool known = false;
  for (uint32_t device : {21u, 22u}) {
    if (!mc::ReadPci(0, device, 0, 0x64, &v)) continue;  // AMBPRESENT0 and 1
    known = true;
    channels += (Field(v, 15, 0) != 0) + (Field(v, 31, 16) != 0);
  }
  if (known && channels) info.channelCount = channels;
  if (mc::ReadPci(0, 16, 1, 0x40, &v)) SetEcc(info, v & (1u << 5));
  if (!mc::ReadPci(0, 16, 1, 0x54, &v)) return;
  const uint32_t ddrfrq = Field(v, 23, 16);
  static constexpr Ratio k5000[4] = {{1, 1}, {0, 0}, {4, 5}, {5, 4}};
  static constexpr Ratio k5400[8] = {{1, 1}, {1, 1}, {4, 5}, {5, 4}, {1, 1}, {0, 0}, {0, 0}, {5, 4}};
  const Ratio r = i5400 ? k5400[Field(ddrfrq, 2, 0)] : k5000[Field(ddrfrq, 5, 4)];
  mc::SetRatio(info, r.bus, r.memory);
}

namespace {

// Devices 21.0 and 22.0 whose memory technology registers (dwords at
// `offsets`, two 16-bit registers each) show a DIMM by `presentBit`: the
// number of them with one, or -1 when none could be read.
int DevicesWithDimms(std::initializer_list<uint32_t> offsets, int presentBit) {
  int known = 0, populated = 0;
  for (uint32_t device : {21u, 22u}) {
    bool any = false;
    for (uint32_t offset : offsets) {
      uint32_t v = 0;
      if (!mc::ReadPci(0, device, 0, offset, &v)) continue;
      ++known;
      any = any || (v & (1u << presentBit)) || (v & (1u << (16 + presentBit)));
    }
    populated += any;
  }
  return known ? populated : -1;
}

}  // namespace

void Read5100Controller(CNorthBridge& /*bridge*/, CMemoryInfo& info) {
  info.typeCode = MEMTYPE_DDR2;
  uint32_t v = 0;
  if (mc::ReadPci(0, 16, 1, 0x40, &v)) SetEcc(info, v & (1u << 5));
  if (const int channels = DevicesWithDimms({0x154, 0x158, 0x1B0}, 10); channels > 0) info.channelCount = channels;
}

void Read7300Controller(CNorthBridge& /*bridge*/, CMemoryInfo& info) {
  info.typeCode = MEMTYPE_FB_DDR2;
  uint32_t v = 0;
  if (mc::ReadPci(0, 16, 1, 0x40, &v)) SetEcc(info, v & (1u << 5));
  if (!mc::ReadPci(0, 16, 1, 0x58, &v)) return;  // the mode decides what the branches mean
  if (v & (1u << 14)) {
    info.channelCount = 1;
    return;
  }
  if (const int branches = DevicesWithDimms({0x80, 0x84, 0x88, 0x8C}, 8); branches > 0) info.channelCount = 2 * branches;
}
