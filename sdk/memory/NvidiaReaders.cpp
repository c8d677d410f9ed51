// NVIDIA nForce memory controllers:
//  - nForce2 (the SPP/IGP host bridge, DDR): the DRAM timings in function 1
//    of the bridge's device (0x90: tRAS in bits 18:15, tRCD in bits 23:20,
//    tRP in bits 31:28; 0xA0: the CAS latency code in bits 6:4, 2 CL2,
//    3 CL3, 6 CL2.5), the DIMM slots' enables in bit 0 of function 2's
//    0x40, 0x44 and 0x48 (slots 1 and 2 on channel A, slot 3 on channel B)
//    and the memory PLL in function 3: M in bits 3:0 and N in bits 7:4 of
//    0x70 (0x7C on the parts whose 0x70 holds zero), memory clock = bus
//    clock x N / M.
//  - nForce4 Intel Edition (DDR2): the controller in device 1 (function 0
//    0x8C: tRAS bits 21:16, tRCD bits 27:24; 0x9C: tRP bits 11:8;
//    function 1 0xD0: CAS latency bits 6:4, 0x80 bits 1:0 nonzero in dual
//    channel mode) and the clock in function 2 of the host bridge (0x74:
//    M bits 3:0, N bits 7:4, 0 meaning 16; 0x60 bit 22 set: synchronous).
#include <initializer_list>

#include "sdk/access/CPCIDevice.h"
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/ControllerReaders.h"

using mc::Field;

namespace {

struct Place {
  uint32_t bus, device;
};
Place Of(const CNorthBridge& bridge) {
  return bridge.device ? Place{bridge.device->bus, bridge.device->device} : Place{0, 0};
}

}  // namespace

void ReadNforce2Controller(CNorthBridge& bridge, CMemoryInfo& info) {
  info.typeCode = MEMTYPE_DDR;
  const Place p = Of(bridge);
  uint32_t v = 0;
  if (mc::ReadPci(p.bus, p.device, 1, 0x90, &v)) {
    info.tRAS = static_cast<int>(Field(v, 18, 15));
    info.tRCD = static_cast<int>(Field(v, 23, 20));
    info.tRP = static_cast<int>(Field(v, 31, 28));
  }
  if (mc::ReadPci(p.bus, p.device, 1, 0xA0, &v)) {
    switch (Field(v, 6, 4)) {
      case 2: info.casLatency = 2; break;
      case 3: info.casLatency = 3; break;
      case 6: info.casLatency = 2.5f; break;
      default: break;
    }
  }
  bool slot[3] = {}, known = false;
  for (uint32_t i = 0; i < 3; ++i) {
    if (!mc::ReadPci(p.bus, p.device, 2, 0x40 + 4 * i, &v)) continue;
    known = true;
    slot[i] = v & 1;
  }
  const bool channelA = slot[0] || slot[1], channelB = slot[2];
  if (known && (channelA || channelB)) info.channelCount = channelA && channelB ? 2 : 1;
  for (uint32_t reg : {0x70u, 0x7Cu}) {
    if (!mc::ReadPci(p.bus, p.device, 3, reg, &v)) continue;
    const int m = static_cast<int>(Field(v, 3, 0)), n = static_cast<int>(Field(v, 7, 4));
    if (m && n) {
      mc::SetRatio(info, m, n);
      break;
    }
  }
}

void ReadNforce4IntelController(CNorthBridge& bridge, CMemoryInfo& info) {
  info.typeCode = MEMTYPE_DDR2;
  const Place p = Of(bridge);
  uint32_t v = 0;
  // The fields count clocks directly: a zero is an unprogrammed field.
  const auto set = [](int* field, uint32_t clocks) {
    if (clocks) *field = static_cast<int>(clocks);
  };
  if (mc::ReadPci(p.bus, 1, 0, 0x8C, &v)) {
    set(&info.tRAS, Field(v, 21, 16));
    set(&info.tRCD, Field(v, 27, 24));
  }
  if (mc::ReadPci(p.bus, 1, 0, 0x9C, &v)) set(&info.tRP, Field(v, 11, 8));
  if (mc::ReadPci(p.bus, 1, 1, 0xD0, &v) && Field(v, 6, 4)) info.casLatency = static_cast<float>(Field(v, 6, 4));
  if (mc::ReadPci(p.bus, 1, 1, 0x80, &v)) info.channelCount = Field(v, 1, 0) ? 2 : 1;
  uint32_t mode = 0;
  if (mc::ReadPci(p.bus, p.device, 2, 0x60, &mode) && (mode & (1u << 22))) {
    mc::SetRatio(info, 1, 1);
  } else if (mc::ReadPci(p.bus, p.device, 2, 0x74, &v)) {
    const uint32_t m = Field(v, 3, 0), n = Field(v, 7, 4);
    mc::SetRatio(info, m ? static_cast<int>(m) : 16, n ? static_cast<int>(n) : 16);
  }
}
