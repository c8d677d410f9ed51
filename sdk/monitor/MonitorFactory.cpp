#include "sdk/monitor/MonitorFactory.h"

#include "sdk/monitor/BoardTables.h"
#include "sdk/monitor/CHardwareMonitor.h"
#include "sdk/monitor/ChipFamilies.h"

CHardwareMonitor* BuildMonitor(uint32_t vendor, uint32_t chipCode, int32_t boardKey, int32_t checksum,
                               int address) {
  const ChipFamily* family = FindChipFamily(vendor, chipCode);
  CHardwareMonitor* m = family && family->create ? family->create(chipCode) : nullptr;
  if (!m) {
    // No driver here: listed by its id, named when its family is known.
    m = new CHardwareMonitor(MONITOR_CHIP, static_cast<int>((vendor << 16) | (chipCode & 0xFFFF)));
    m->ApplyFamily(family);
  }
  m->boardId = boardKey;
  InstallBoardTables(m, static_cast<uint32_t>(boardKey), checksum, address);
  return m;
}
