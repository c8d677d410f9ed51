// Every monitoring-chip family the factory recognises: vendor code, chip
// codes, the class that drives it, the name shown, where it sits, the sizes
// of its default tables, the voltage step and the fan constant. Families
// whose driver is not built here are still identified and named.
#pragma once

#include <cstdint>

enum ChipDriver : int {
  DRIVER_NONE = 0,  // identified and named only
  DRIVER_FINTEK_F71882F,
  DRIVER_FINTEK_F71808E,
  DRIVER_NUVOTON_NCT7802,
  DRIVER_ITE_IT87,
  DRIVER_WINBOND_W83627HF,
  DRIVER_WINBOND_W83627EHF,
  DRIVER_WINBOND_W83627DHG,
  DRIVER_NUVOTON_NCT6776,
};

struct ChipFamily {
  uint32_t vendor;      // kChipFamilyEnd ends the table
  int shift;            // which bits of the chip code hold the id (0 or 16)
  uint32_t lowId, highId;  // chip ids lowId..highId match
  const char* className;
  const char* name;
  const char* bus;
  int voltages, temperatures, fans;  // -1: names its channels itself
  float step;         // volts per count, 0 when not stated
  float fanConstant;  // 0: 1350000
  int driver;         // ChipDriver
};

inline constexpr uint32_t kChipFamilyEnd = 0xFFFFFFFFu;

extern const ChipFamily kChipFamilies[];

// The family of a vendor code and chip code (the Winbond 0xC1 split by the
// Super I/O chip id in bits 8-15 and the ITE bits 16-23 check included), or null.
const ChipFamily* FindChipFamily(uint32_t vendor, uint32_t chipCode);
