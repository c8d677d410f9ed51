// Every monitoring-chip family the factory recognises, one row per chip:
// vendor code and chip ids, the name shown, the maker, where it sits, the
// sizes of its channel sets, the voltage step and fan constant, the class
// that drives it (its factory) and its default label tables. Families
// without a driver here are still identified and named. Adding a chip is
// its driver file and a row here (and its probe).
#pragma once

#include <cstdint>

#include "sdk/monitor/MonitorLabels.h"

class CHardwareMonitor;

using MonitorFactoryFn = CHardwareMonitor* (*)(uint32_t chipCode);

struct ChipFamily {
  uint32_t vendor;         // kChipFamilyEnd ends the table
  int shift;               // which bits of the chip code hold the id (0 or 16)
  uint32_t lowId, highId;  // chip ids lowId..highId match
  // Super I/O chip ids (the chip code's low byte) the row needs, 0-ended;
  // null: any. Splits chips that share a monitor id.
  const uint8_t* superIoIds;
  const char* className;
  const char* name;
  const char* maker;
  const char* bus;
  int voltages, temperatures, fans;  // -1: names its channels itself
  float step;                        // volts per count, 0 when not stated
  float fanConstant;                 // 0: 1350000
  MonitorFactoryFn create;           // null: identified and named only
  const VoltageLabel* voltageTable;  // default tables
  const TemperatureLabel* temperatureTable;
  const FanLabel* fanTable;
  int tableFamily;  // which board tables apply (MonitorTableFamily)
};

inline constexpr uint32_t kChipFamilyEnd = 0xFFFFFFFFu;

extern const ChipFamily kChipFamilies[];

// The row of a vendor code and chip code (the first that matches: the
// Winbond 0xC1 rows split by the Super I/O chip id in the low byte, the ITE
// rows need bits 16-23 to be 0 or 0x12), or null.
const ChipFamily* FindChipFamily(uint32_t vendor, uint32_t chipCode);
