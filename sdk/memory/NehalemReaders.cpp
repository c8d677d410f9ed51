// Memory controllers in the processor's uncore, reached through PCI
// configuration space on the uncore's bus: Nehalem/Westmere (Intel Core
// i7-900 and Xeon 5500/5600 datasheets volume 2, "Integrated Memory
// Controller" registers; the kernel's i7core_edac reads the same
// functions) and Sandy Bridge-E (Xeon E5-1600/2600 datasheet volume 2).
#include <bit>
#include <cstdio>

#include "sdk/access/CPCIDevice.h"
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/ControllerReaders.h"

using mc::Field;
using mc::ReadPci;

void ReadNehalemController(CNorthBridge& bridge, CMemoryInfo& info) {
  if (!bridge.device) return;
  const uint32_t bus = bridge.device->bus;
  uint32_t v = 0;
  info.typeCode = MEMTYPE_DDR3;

  // MC_DIMM_CLK_RATIO_STATUS (device 3, function 4): the QCLK ratio, DRAM
  // clock = bus clock x ratio / 2.
  int ratio = -1;
  if (ReadPci(bus, 3, 4, 0x50, &v)) {
    ratio = static_cast<int>(Field(v, 4, 0));
    info.ratioValue = ratio * 0.5f;
    std::snprintf(info.ratioText, sizeof(info.ratioText), "2:%d", ratio);
  }

  // The first channel whose rank timing (MC_CHANNEL_RANK_TIMING_A) is set.
  int channel = -1;
  for (uint32_t d = 4; d <= 6 && channel < 0; ++d)
    if (ReadPci(bus, d, 0, 0x80, &v) && v != 0) channel = static_cast<int>(d);
  if (channel >= 0) {
    // CAS latency from the mode register shadow (MRS_VALUE_0_1), or from
    // the ODT parameters by the ratio when the shadow is empty.
    if (ReadPci(bus, channel, 0, 0x70, &v) && v != 0) {
      info.casLatency = static_cast<float>(Field(v, 7, 4) + 4);
    } else if (ReadPci(bus, channel, 0, 0x9C, &v)) {
      const int f = static_cast<int>(Field(v, 11, 8));
      switch (ratio) {
        case 6: info.casLatency = static_cast<float>(f + 5); break;
        case 8: info.casLatency = static_cast<float>(f + 6); break;
        case 10: info.casLatency = static_cast<float>(f + 7); break;
        case 12: info.casLatency = static_cast<float>(f + 8); break;
        default: break;
      }
    }
    if (ReadPci(bus, channel, 0, 0x88, &v)) {  // MC_CHANNEL_BANK_TIMING
      info.tRP = static_cast<int>(Field(v, 3, 0));
      info.tRAS = static_cast<int>(Field(v, 8, 4));
      info.tRCD = static_cast<int>(Field(v, 12, 9));
    }
    if (ReadPci(bus, channel, 0, 0x8C, &v)) info.tRFC = static_cast<int>(Field(v, 8, 0));  // REFRESH_TIMING
    if (ReadPci(bus, channel, 0, 0xB8, &v)) info.commandRate = (v & 0x08) ? 2 : 1;
  }

  ReadNehalemUncoreRatio(bridge, info);
  // MC_CONTROL: the active channels.
  if (ReadPci(bus, 3, 0, 0x48, &v)) {
    const int active = std::popcount(Field(v, 10, 8));
    if (active > 0) info.channelCount = active;
  }
}

void ReadNehalemUncoreRatio(CNorthBridge& bridge, CMemoryInfo& info) {
  if (!bridge.device) return;
  uint32_t v = 0;
  // CURRENT_UCLK_RATIO of the QPI generic function (device 0, function 0).
  if (ReadPci(bridge.device->bus, 0, 0, 0xC0, &v)) info.uncoreRatio = static_cast<float>(Field(v, 6, 0));
}

void ReadSandyBridgeEController(CNorthBridge&, CMemoryInfo& info) {
  constexpr uint32_t kBus = 255, kChannels = 16;
  uint32_t v = 0;
  info.typeCode = MEMTYPE_DDR3;
  info.channelCount = 0;
  // A channel is populated unless its error function reports the
  // unpopulated code 11; an absent function is no channel.
  struct Channel {
    uint32_t errorFunction, timingFunction;
  };
  constexpr Channel kChannelFunctions[] = {{2, 0}, {3, 1}, {6, 4}, {7, 5}};
  int timing = -1;
  for (const Channel& c : kChannelFunctions) {
    if (!ReadPci(kBus, kChannels, c.errorFunction, 0x80, &v) || Field(v, 5, 0) == 11) continue;
    ++info.channelCount;
    timing = static_cast<int>(c.timingFunction);
  }
  if (timing >= 0) {
    if (ReadPci(kBus, kChannels, timing, 0x200, &v)) {  // TCDBP
      info.casLatency = static_cast<float>(Field(v, 13, 9));
      info.tRCD = static_cast<int>(Field(v, 4, 0));
      info.tRP = static_cast<int>(Field(v, 8, 5));
      info.tRAS = static_cast<int>(Field(v, 24, 19));
    }
    if (ReadPci(kBus, kChannels, timing, 0x204, &v)) {  // TCRAP
      const uint32_t rate = Field(v, 31, 30);
      info.commandRate = rate ? static_cast<int>(rate) : 1;
    }
    if (ReadPci(kBus, kChannels, timing, 0x214, &v)) info.tRFC = static_cast<int>(Field(v, 24, 15));  // TCRFTP
  }
  // The power control unit's memory clock ratio in 66.67 MHz steps.
  if (ReadPci(kBus, 10, 1, 0x98, &v)) {
    info.ratioValue = Field(v, 5, 0) * 0.6667f;
    std::snprintf(info.ratioText, sizeof(info.ratioText), "1:%u", Field(v, 4, 0));
  }
}
