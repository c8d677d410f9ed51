// Per-board label tables: which rows a board shows for each chip family,
// keyed by board id (graphics chips: PCI vendor << 16 | device), optionally
// the board checksum and, for SMBus chips, the 7-bit address.
#pragma once

#include <cstdint>

#include "sdk/monitor/MonitorLabels.h"

class CHardwareMonitor;

// The chip families board tables are written for.
enum MonitorTableFamily : int {
  TABLES_NONE = 0,
  TABLES_FINTEK_F71882F,
  TABLES_FINTEK_F71808E,
  TABLES_NUVOTON_NCT7802,
  TABLES_ITE_IT87,
  TABLES_WINBOND_W83627HF,
  TABLES_WINBOND_W83627EHF,
  TABLES_WINBOND_W83627DHG,
  TABLES_NUVOTON_NCT6776,
};

// Which of the three tables an entry replaces (a replaced table may be null:
// the chip's own channel names are shown then).
enum : uint8_t { REPLACE_VOLTAGES = 1, REPLACE_TEMPERATURES = 2, REPLACE_FANS = 4, REPLACE_ALL = 7 };

struct BoardLabelEntry {
  uint32_t boardKey;  // kLabelEnd ends a list
  int family;         // MonitorTableFamily
  int32_t checksum;   // -1: any
  int address;        // SMBus 7-bit address, -1: any
  uint8_t replaces;
  const VoltageLabel* voltages;
  const TemperatureLabel* temperatures;
  const FanLabel* fans;
};

// Vendor board groups (board ids in the group lists of BrenmorBoardTables).
bool IsNbGroupBoard(int32_t boardId);
bool IsIohGroupBoard(int32_t boardId);
bool IsDpGroupBoard(int32_t boardId);
// The group name of a vendor board ("NB", "PCH-VTT", ...), or null.
const char* VendorBoardGroup(int32_t boardId);

// The two temperature tables of the NB group, chosen by register 0x0A.
extern const TemperatureLabel kNbTemperaturesNorthBridge[];
extern const TemperatureLabel kNbTemperaturesCpu[];

extern const BoardLabelEntry kBrenmorBoardTables[];
extern const BoardLabelEntry kOtherBoardTables[];

// The entry for a monitor on a board, or null. Entries with a checksum are
// preferred over the same board's entry without one.
const BoardLabelEntry* FindBoardTables(int family, uint32_t boardKey, int32_t checksum, int address);

// Installs the matching entry's tables on `monitor`. Returns true when one matched.
bool InstallBoardTables(CHardwareMonitor* monitor, uint32_t boardKey, int32_t checksum, int address);
