// VIA north bridges for Socket A with an SDRAM controller: KX133 (VT8371)
// and KT133/KT133A (VT8363/VT8363A). Register 0x69, DRAM Clock Select,
// bit 6: the DRAM clock runs 33 MHz faster than the processor's bus (100 /
// 133 MHz), else at the bus clock (VT8363A datasheet, Device 0 Offset 69).
#include <cstdio>

#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/CModuleInfo.h"
#include "sdk/memory/ControllerReaders.h"

void ReadViaSdramController(CNorthBridge& bridge, CMemoryInfo& info) {
  info.typeCode = MEMTYPE_SDRAM;
  const uint32_t v = bridge.ReadConfig(0x68);
  if (v == 0xFFFFFFFF) return;
  if (v & (1u << 14)) {  // 0x69 bit 6
    info.clockOffset = 33.34f;
    info.ratioValue = -1.0f;  // the offset rule, not a ratio, gives the clock
    std::snprintf(info.ratioText, sizeof(info.ratioText), "FSB + 33 MHz");
  } else {
    info.clockOffset = -1.0f;
    mc::SetRatio(info, 1, 1);
  }
}
