// The static rows that describe a voltage controller's adjustable rails:
// each names a rail, says which output of the chip carries it and how a raw
// code maps to volts. Tables end with a row whose id is -1.
#pragma once

#include <cstdint>

struct _stMicroControllerOutputDesc {
  const char* label;
  int32_t id;          // RowId bits below
  int32_t type;        // RowType in the low 16 bits
  int32_t stepsAbove;  // settings above the base (type 3: the maximum)
  int32_t stepsBelow;  // type 1: settings below the base; types 2 and 3: the field mask
  float stepAbove;     // volts per code step above the base
  float stepBelow;     // volts per code step below (-1: none)
  float base;          // volts; -1: no absolute base, settings are offsets
};

namespace rowid {
inline constexpr int32_t kOutputMask = 0x0F;
inline constexpr int32_t kCombined = 0x10;      // bits 0-2 name the outputs spanned
inline constexpr int32_t kFirstCpu = 0x20;
inline constexpr int32_t kSecondCpu = 0x40;
inline constexpr int32_t kCpuMask = kFirstCpu | kSecondCpu;
inline constexpr int32_t kEnd = -1;
}  // namespace rowid

enum RowType : int32_t { ROW_CODE = 1, ROW_FIELD = 2, ROW_FIELD_DOWN = 3 };

// Bits of the flags passed with a setting.
inline constexpr int kSettingBelowBase = 0x1;
inline constexpr int kSettingBoost = 0x2;

// Rows before the terminator; 0 for a null table.
int DescriptionCount(const _stMicroControllerOutputDesc* table);
