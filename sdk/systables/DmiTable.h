// The SMBIOS structure table as bytes: structure sizes, strings and string
// cleaning, and the walk. Everything is bounded by the table's length, so
// that a damaged table ends the walk instead of being read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace dmi {

inline constexpr size_t kMaxTable = 0x4000;

// One structure inside the table: formatted area [0, length) and the whole
// structure including its string set [0, size).
struct StructureView {
  const uint8_t* bytes;
  size_t length;  // formatted length (byte 1)
  size_t size;    // formatted area + string set

  uint8_t Type() const { return bytes[0]; }
  bool Has(size_t offset, size_t width = 1) const { return offset + width <= length; }
  uint8_t Byte(size_t offset) const { return Has(offset) ? bytes[offset] : 0; }
  uint16_t Word(size_t offset) const {
    return Has(offset, 2) ? static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8) : 0;
  }
  uint32_t Dword(size_t offset) const {
    return Has(offset, 4) ? static_cast<uint32_t>(Word(offset) | static_cast<uint32_t>(Word(offset + 2)) << 16) : 0;
  }
  // String n (1-based) of the string set into `out` (at most outSize - 1
  // characters), cleaned. Number 0, a number past the set, a string field
  // beyond the formatted area or an unterminated string give "".
  void String(size_t fieldOffset, char* out, size_t outSize) const;
};

// Size of the structure at `p` with `available` bytes left in the table:
// 0 when not even the formatted area fits. A string set that is not closed
// by two zero bytes before the table end runs to the table end.
size_t StructureSize(const uint8_t* p, size_t available);

// Looks up string `number` in the string set [set, end) without cleaning.
// Returns the string's start and writes its length, or null.
const char* FindString(const uint8_t* set, const uint8_t* end, unsigned number, size_t* length);

// Cleans a string in place: strings of 512 characters or more and empty
// ones stay as they are; otherwise leading and trailing blanks and every
// double and single quote are removed.
void CleanString(char* text);

// Calls `visit` for every structure in table order. The walk ends at the
// table length (capped at kMaxTable), at a structure that does not fit, or
// at one whose size would not advance the cursor. Returns the number of
// structures visited.
int WalkTable(const uint8_t* table, size_t length, const std::function<void(const StructureView&)>& visit);

}  // namespace dmi
